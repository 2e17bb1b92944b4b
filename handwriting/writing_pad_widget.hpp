// The writing pad: mouse strokes captured by the pad's rules, the ink drawn
// on the pad's surface, and a recognition pass after every stroke whose
// candidates go to the grid.
#pragma once

#include <QImage>
#include <QWidget>
#include <filesystem>
#include <functional>

#include "handwriting/matcher.hpp"
#include "handwriting/shape_recognizer.hpp"
#include "handwriting/stroke_capture.hpp"

namespace tulvo::handwriting {

class CandidateGrid;

class WritingPadWidget : public QWidget {
    Q_OBJECT
  public:
    // The recogniser reads `recogFile` and the shapes beside it once, at the
    // first pass; `preference` gives the character-form preference at the
    // time of the pass.
    WritingPadWidget(CandidateGrid& grid, std::filesystem::path recogFile,
                     std::function<CharForm()> preference, QWidget* parent);

    const Drawing& drawing() const { return drawing_; }
    const CandidateList& candidates() const { return recognizer_.candidates(); }
    // What the pad shows: the surface the ink is drawn on.
    const QImage& surface() const { return surface_; }

  public slots:
    // "Erase": an empty drawing, an empty pad and an empty grid.
    void erase();
    // "Analyze": a recognition pass over the current drawing.
    void analyze();

  protected:
    void paintEvent(QPaintEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseDoubleClickEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;

  private:
    void repaintSurface();
    void drawInk(const InkLine& line);

    CandidateGrid& grid_;
    std::filesystem::path recogFile_;
    std::function<CharForm()> preference_;
    Drawing drawing_;
    PadCapture capture_{drawing_};
    ShapeRecognizer recognizer_;
    bool loaded_ = false;
    QImage surface_;
};

}  // namespace tulvo::handwriting
