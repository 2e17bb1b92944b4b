// The stroke-order box: 101 × 101 pixels beside the headword or the current
// character, where the current character is written stroke by stroke. The
// StrokeAnimation state machine decides what happens next; this widget
// carries its steps out from a timer of Qt's event loop, so that the program
// stays responsive while it draws. The drawing is kept in an image, which
// also repaints the box when it is uncovered.
#pragma once

#include <QElapsedTimer>
#include <QImage>
#include <QTimer>
#include <QWidget>
#include <filesystem>
#include <functional>
#include <string>
#include <vector>

#include "characters/stroke_animation.hpp"
#include "characters/stroke_order.hpp"

namespace tulvo::characters {

// Time given to each line of a sweep. A common character has 1,000 to
// 2,500 lines and a 0.2 s pause after most strokes, so it is written in one
// to three seconds whatever the machine's speed.
inline constexpr double kDefaultLineMilliseconds = 0.5;

class StrokeOrderBox : public QWidget {
    Q_OBJECT
  public:
    // Opens `strokeFile` (kept open) and sits in `parent` at the box's left
    // edge; its top is set by setTop.
    StrokeOrderBox(std::filesystem::path strokeFile, QWidget* parent);

    // The box's top edge in the parent window.
    void setTop(int top);
    int top() const { return top_; }

    // Requests an animation of `character`, which becomes the one the box
    // shows.
    void animate(char16_t character);
    // Requests an animation of the character shown (0: idle, 1: animating,
    // -1: requested; a request while drawing restarts from the first stroke).
    void request();
    // Stops the animation; the box keeps what is drawn so far.
    void stop();
    int state() const { return animation_.state(); }
    char16_t character() const { return animation_.character(); }

    // Starts `program` with `arguments` without waiting for it, and calls
    // `ended` from the event loop once it has finished.
    using ProgramStarter =
        std::function<void(const std::filesystem::path& program, std::vector<std::string> arguments,
                           std::function<void()> ended)>;
    // "Edit strokes animation": closes the file and starts `program` with the
    // character's 8-digit code; once it has ended, opens the file again and
    // requests an animation. A missing program shows nothing.
    void editStrokes(char16_t character, const std::filesystem::path& program,
                     const ProgramStarter& start);

    // Press handling is skipped while this says so (the radical window is
    // open).
    void setPressesIgnored(std::function<bool()> ignored) { pressesIgnored_ = std::move(ignored); }

    void setLineMilliseconds(double milliseconds) { lineMilliseconds_ = milliseconds; }
    const StrokeOrderFile& file() const { return file_; }
    // What the box shows, and the smoothed strokes drawn so far.
    const QImage& drawing() const { return screen_; }
    const QImage& smoothed() const { return smoothed_; }
    // Lines drawn since the animation last started.
    int linesDrawn() const { return linesDrawn_; }

  signals:
    // Right button: the character menu for the shown character.
    void menuRequested(char16_t character, QPoint globalPosition);
    // Any other button, before the animation is requested: the speech
    // service speaks the character when it has a voice.
    void speakRequested(char16_t character);
    // Double-click: look the character up.
    void lookupRequested(char16_t character);
    // An animation started (the box was cleared) or ended.
    void started();
    void finished();

  protected:
    void paintEvent(QPaintEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseDoubleClickEvent(QMouseEvent* event) override;

  private:
    void tick();
    void wake();
    void fillStroke(const AnimationStep& step);
    void drawLine(const AnimationStep& step);

    StrokeOrderFile file_;
    StrokeAnimation animation_;
    QTimer timer_;
    QElapsedTimer clock_;
    double lineMilliseconds_ = kDefaultLineMilliseconds;
    double due_ = 0;        // clock time at which the next line may be drawn
    double waitUntil_ = 0;  // end of a line delay or of a stroke's pause
    int top_ = 45;
    int linesDrawn_ = 0;
    std::function<bool()> pressesIgnored_;

    // The 400 × 400 canvas the strokes are filled into, its smoothed 100 ×
    // 100 reduction, and the box as drawn.
    QImage canvas_;
    QImage smoothed_;
    QImage screen_;
};

}  // namespace tulvo::characters
