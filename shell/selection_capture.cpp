#include "shell/selection_capture.hpp"

#include <QClipboard>
#include <QGuiApplication>
#include <QLineEdit>

#include "platform/x11_hotkey.hpp"
#include "shell/clipboard_capture.hpp"
#include "shell/main_window.hpp"
#include "shell/search_bar.hpp"

namespace tulvo::shell {
namespace {

// The pause after each synthetic key, for the focused program to act on it.
constexpr int kKeyPauseMs = 10;

}  // namespace

SelectionCapture::SelectionCapture(MainWindow& window, std::filesystem::path saveFile,
                                   std::function<void()> raiseWindow)
    : window_(window), saveFile_(std::move(saveFile)), raiseWindow_(std::move(raiseWindow)) {
    timer_.setSingleShot(true);
    connect(&timer_, &QTimer::timeout, this, &SelectionCapture::advance);
}

void SelectionCapture::start() {
    // A capture inside a capture would save the half-way clipboard.
    if (running()) {
        again_ = true;
        return;
    }
    saveClipboard(saveFile_);
    QGuiApplication::clipboard()->clear();
    step_ = Step::CopyKeys;
    keyStep_ = 0;
    advance();
}

void SelectionCapture::advance() {
    QComboBox& box = window_.searchBar().box();
    switch (step_) {
        case Step::Idle:
            return;
        case Step::CopyKeys:
            // Without X11 no key is sent and the capture goes on at once.
            if (keyStep_ < platform::kCopyKeySteps && platform::sendCopyKey(keyStep_)) {
                ++keyStep_;
                timer_.start(kKeyPauseMs);
                return;
            }
            raiseWindow_();
            box.setEditText(QString());
            step_ = Step::Paste;
            timer_.start(0);
            return;
        case Step::Paste:
            if (QLineEdit* edit = box.lineEdit()) edit->paste();
            step_ = Step::PutBack;
            timer_.start(0);
            return;
        case Step::PutBack:
            restoreClipboard(saveFile_);
            step_ = Step::Idle;
            window_.searchFromBox();
            if (std::exchange(again_, false)) start();
            return;
    }
}

}  // namespace tulvo::shell
