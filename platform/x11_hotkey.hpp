// The global function key: a grab of F5..F12 without modifiers on the X11
// root window (also with Num Lock and Caps Lock on), seen through Qt's native
// event filter. Without an X11 session registration fails silently.
#pragma once

#include <QAbstractNativeEventFilter>
#include <QObject>

namespace tulvo::platform {

class X11Hotkey : public QObject, public QAbstractNativeEventFilter {
    Q_OBJECT
  public:
    explicit X11Hotkey(QObject* parent = nullptr);
    ~X11Hotkey() override;

    // Grabs F<number>, 5..12. False when there is no X11 session or another
    // program holds the key.
    bool registerKey(int number);
    void unregisterKey();
    int registeredKey() const { return number_; }

    bool nativeEventFilter(const QByteArray& eventType, void* message, qintptr* result) override;

  signals:
    void pressed();

  private:
    int number_ = 0;
    unsigned keycode_ = 0;
};

// One of the four key events of Ctrl+C in the window that has the keyboard
// focus: Ctrl down, C down, C up, Ctrl up (steps 0 to 3). The caller gives
// the focused program time between them. False without X11.
inline constexpr int kCopyKeySteps = 4;
bool sendCopyKey(int step);

}  // namespace tulvo::platform
