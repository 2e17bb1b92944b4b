#include "shell/desktop_integration.hpp"

#include <QClipboard>
#include <QGuiApplication>
#include <QLoggingCategory>
#include <utility>

#include "platform/app_paths.hpp"
#include "shell/clipboard_save_file.hpp"
#include "shell/main_window.hpp"
#include "shell/popup_messages.hpp"
#include "ui/text.hpp"

namespace tulvo::shell {
namespace {

Q_LOGGING_CATEGORY(lcHotkey, "tulvo.hotkey")

bool onWayland() {
    return QGuiApplication::platformName().startsWith(QLatin1String("wayland"));
}

}  // namespace

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
    connect(&portal_, &platform::PortalShortcut::pressed, this,
            &DesktopIntegration::portalKeyPressed);
    connect(&portal_, &platform::PortalShortcut::bound, this, [this](const QString& trigger) {
        qCInfo(lcHotkey, "lookup key F%d bound through the GlobalShortcuts portal (trigger %s)",
               wantedHotkey_, qPrintable(trigger.isEmpty() ? QStringLiteral("?") : trigger));
    });
    connect(&portal_, &platform::PortalShortcut::unavailable, this,
            &DesktopIntegration::registerX11Hotkey);
    locator_.setTextHandler([this](const QString& text) { lookUpText(text); });
}

void DesktopIntegration::registerHotkey(int number) {
    unregisterHotkey();
    if (number < 5 || number > 12) return;
    wantedHotkey_ = number;
    portal_.bind(number);
}

void DesktopIntegration::unregisterHotkey() {
    wantedHotkey_ = 0;
    portal_.release();
    hotkey_.unregisterKey();
}

int DesktopIntegration::grabbedHotkey() const {
    return portal_.isBound() ? portal_.boundKey() : hotkey_.registeredKey();
}

void DesktopIntegration::registerX11Hotkey(const QString& why) {
    if (wantedHotkey_ == 0) return;
    if (hotkey_.registerKey(wantedHotkey_)) {
        qCDebug(lcHotkey, "lookup key F%d grabbed on X11 (%s)", wantedHotkey_, qPrintable(why));
    } else if (onWayland()) {
        qCInfo(lcHotkey,
               "lookup key F%d is off: %s, and a Wayland session gives no X11 grab; a desktop "
               "shortcut running 'tulvo --lookup' can stand in",
               wantedHotkey_, qPrintable(why));
    } else {
        qCInfo(lcHotkey, "lookup key F%d could not be grabbed (%s)", wantedHotkey_,
               qPrintable(why));
    }
}

void DesktopIntegration::portalKeyPressed() {
    if (!onWayland()) {
        captureSelection();
        return;
    }
    // A Wayland program cannot press Ctrl+C in another: the text selected
    // there (the primary selection, where the desktop has one) is looked up.
    const QString selected = QGuiApplication::clipboard()->text(QClipboard::Selection).trimmed();
    if (selected.isEmpty())
        bringToFront();
    else
        lookUpText(selected);
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
