// What ties the main window to the desktop: the global function key and the
// clipboard capture it runs, the hidden locator for the popup program, and
// the speech voice.
#pragma once

#include <QObject>
#include <filesystem>

#include "platform/portal_shortcut.hpp"
#include "platform/x11_hotkey.hpp"
#include "shell/hidden_locator.hpp"
#include "shell/selection_capture.hpp"
#include "shell/speech.hpp"

namespace tulvo::shell {

class MainWindow;

class DesktopIntegration : public QObject {
    Q_OBJECT
  public:
    DesktopIntegration(MainWindow& window, std::filesystem::path programDirectory);

    // Registers F<number> (5..12): through the desktop's GlobalShortcuts
    // portal where it offers one, else as an X11 grab. The answer may come
    // later; a refusal is not reported.
    void registerHotkey(int number);
    void unregisterHotkey();
    int grabbedHotkey() const;

    bool listenLocator(const QString& name = kHiddenLocator) { return locator_.listen(name); }
    // Why lookups from other programs are unavailable or moved, if they are.
    const QStringList& locatorProblems() const { return locator_.problems(); }
    Speech& speech() { return speech_; }

    // The capture of the focused program's selection: clipboard saved and
    // emptied, Ctrl+C, the window raised, the selection pasted into the
    // search box, the clipboard put back, then the search.
    void captureSelection();
    // A helper program the window waited for has ended: a press that came
    // meanwhile is captured now.
    void programEnded();
    // The main window shown, raised and activated.
    void bringToFront();
    // The locator's messages: 0x507 looks the text up, 0x508 shows the window.
    void handleLocatorMessage(uint32_t message, int64_t first, int64_t second);
    // `tulvo --lookup`'s text (any length), looked up as 0x507's is. Line
    // breaks become spaces, as the box holds one line.
    void lookUpText(const QString& text);

  private:
    // The portal has no shortcut for us: the X11 grab instead.
    void registerX11Hotkey(const QString& why);
    // A press of the portal's shortcut.
    void portalKeyPressed();

    MainWindow& window_;
    std::filesystem::path dir_;
    platform::X11Hotkey hotkey_;
    platform::PortalShortcut portal_;
    int wantedHotkey_ = 0;
    HiddenLocator locator_;
    SelectionCapture capture_;
    bool captureWaiting_ = false;
    Speech speech_;
};

}  // namespace tulvo::shell
