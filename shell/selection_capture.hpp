// The capture of the focused program's selection, as a small state machine
// on timers: the clipboard saved and emptied, Ctrl+C sent key by key with a
// pause after each so the focused program can copy, the window raised, the
// box emptied and the copy pasted into it, the clipboard put back, then the
// search. The window's event loop runs between the steps; nothing processes
// events inside them.
#pragma once

#include <QObject>
#include <QTimer>
#include <filesystem>
#include <functional>

namespace tulvo::shell {

class MainWindow;

class SelectionCapture : public QObject {
    Q_OBJECT
  public:
    SelectionCapture(MainWindow& window, std::filesystem::path saveFile,
                     std::function<void()> raiseWindow);

    // Starts a capture; a press during a capture starts another after it.
    void start();
    bool running() const { return step_ != Step::Idle; }

  private:
    enum class Step { Idle, CopyKeys, Paste, PutBack };
    void advance();

    MainWindow& window_;
    std::filesystem::path saveFile_;
    std::function<void()> raiseWindow_;
    QTimer timer_;
    Step step_ = Step::Idle;
    int keyStep_ = 0;
    bool again_ = false;
};

}  // namespace tulvo::shell
