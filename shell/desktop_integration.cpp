#include "shell/desktop_integration.hpp"

#include "platform/app_paths.hpp"
#include "shell/clipboard_save_file.hpp"
#include "shell/main_window.hpp"
#include "shell/popup_messages.hpp"
#include "ui/text.hpp"

namespace tulvo::shell {

DesktopIntegration::DesktopIntegration(MainWindow& window, std::filesystem::path programDirectory)
    : window_(window),
      dir_(std::move(programDirectory)),
      locator_([this](uint32_t message, int64_t first, int64_t second) {
          handleLocatorMessage(message, first, second);
      }),
      capture_(window, platform::AppPaths(dir_).topLevelUserFile(kClipboardSaveFile),
               [this] { bringToFront(); }) {
    // Queued: the capture does not start inside the native event filter that
    // saw the key.
    connect(&hotkey_, &platform::X11Hotkey::pressed, this, &DesktopIntegration::captureSelection,
            Qt::QueuedConnection);
    locator_.setTextHandler([this](const QString& text) { lookUpText(text); });
}

void DesktopIntegration::bringToFront() {
    if (window_.isMinimized()) window_.showNormal();
    window_.show();
    window_.raise();
    window_.activateWindow();
}

void DesktopIntegration::captureSelection() {
    // While the window waits for a helper program the press waits too.
    if (window_.waitingForProgram()) {
        captureWaiting_ = true;
        return;
    }
    capture_.start();
}

void DesktopIntegration::programEnded() {
    if (std::exchange(captureWaiting_, false)) capture_.start();
}

void DesktopIntegration::handleLocatorMessage(uint32_t message, int64_t first, int64_t second) {
    if (message == kMessageLookup) {
        window_.lookUp(ui::toQString(lookupText(first, second)));
    } else if (message == kMessageShowWindow) {
        bringToFront();
    }
}

void DesktopIntegration::lookUpText(const QString& text) {
    QString line = text;
    while (!line.isEmpty() && (line.back() == u'\n' || line.back() == u'\r')) line.chop(1);
    while (!line.isEmpty() && (line.front() == u'\n' || line.front() == u'\r')) line.remove(0, 1);
    line.replace(QStringLiteral("\r\n"), QStringLiteral(" "));
    line.replace(u'\n', u' ').replace(u'\r', u' ').replace(u'\t', u' ');
    window_.lookUp(line);
}

}  // namespace tulvo::shell
