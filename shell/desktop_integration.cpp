#include "shell/desktop_integration.hpp"

#include <QClipboard>
#include <QCoreApplication>
#include <QGuiApplication>
#include <QLineEdit>
#include <QThread>

#include "shell/clipboard_capture.hpp"
#include "shell/clipboard_save_file.hpp"
#include "shell/main_window.hpp"
#include "shell/popup_messages.hpp"

namespace tulvo::shell {
namespace {

void processAndPause(void*) {
    QCoreApplication::processEvents();
    QThread::msleep(10);
}

}  // namespace

DesktopIntegration::DesktopIntegration(MainWindow& window, std::filesystem::path programDirectory)
    : window_(window),
      dir_(std::move(programDirectory)),
      locator_([this](uint32_t message, int64_t first, int64_t second) {
          handleLocatorMessage(message, first, second);
      }) {
    // Queued: the capture processes events, which it must not do inside the
    // native event filter that saw the key.
    connect(&hotkey_, &platform::X11Hotkey::pressed, this, &DesktopIntegration::captureSelection,
            Qt::QueuedConnection);
}

void DesktopIntegration::bringToFront() {
    if (window_.isMinimized()) window_.showNormal();
    window_.show();
    window_.raise();
    window_.activateWindow();
}

void DesktopIntegration::captureSelection() {
    // A press during a search or another capture waits for it: a capture
    // inside a capture would save the half-way clipboard.
    window_.runWhenFree([this] { captureNow(); });
}

void DesktopIntegration::captureNow() {
    const std::filesystem::path saveFile = dir_ / kClipboardSaveFile;
    saveClipboard(saveFile);
    QGuiApplication::clipboard()->clear();
    platform::sendCopyKeys(processAndPause, nullptr);
    bringToFront();
    QComboBox& box = window_.searchBox();
    box.setEditText(QString());
    QCoreApplication::processEvents();
    if (QLineEdit* edit = box.lineEdit()) edit->paste();
    QCoreApplication::processEvents();
    restoreClipboard(saveFile);
    window_.searchFromBoxNow();
}

void DesktopIntegration::handleLocatorMessage(uint32_t message, int64_t first, int64_t second) {
    if (message == kMessageLookup) {
        const std::u16string text = lookupText(first, second);
        window_.runWhenFree([this, text] {
            window_.searchBox().setEditText(
                QString::fromUtf16(text.data(), static_cast<qsizetype>(text.size())));
            bringToFront();
            window_.searchBox().setFocus();
            window_.searchFromBoxNow();
        });
    } else if (message == kMessageShowWindow) {
        bringToFront();
    }
}

}  // namespace tulvo::shell
