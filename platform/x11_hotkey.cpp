#include "platform/x11_hotkey.hpp"

#include <QGuiApplication>

// Xlib's macros (Status, None, KeyPress …) clash with Qt's names: after Qt.
#include <X11/Xlib.h>
#include <X11/extensions/XTest.h>
#include <X11/keysym.h>
#include <xcb/xcb.h>

namespace tulvo::platform {
namespace {

Display* x11Display() {
    auto* x11 = qApp ? qApp->nativeInterface<QNativeInterface::QX11Application>() : nullptr;
    return x11 ? x11->display() : nullptr;
}

xcb_connection_t* x11Connection() {
    auto* x11 = qApp ? qApp->nativeInterface<QNativeInterface::QX11Application>() : nullptr;
    return x11 ? x11->connection() : nullptr;
}

xcb_window_t rootWindow(xcb_connection_t* connection) {
    const xcb_screen_t* screen = xcb_setup_roots_iterator(xcb_get_setup(connection)).data;
    return screen ? screen->root : 0;
}

// The key alone, and with Caps Lock, Num Lock (Mod2) or both.
constexpr uint16_t kLockCombinations[] = {0, XCB_MOD_MASK_LOCK, XCB_MOD_MASK_2,
                                          XCB_MOD_MASK_LOCK | XCB_MOD_MASK_2};

}  // namespace

X11Hotkey::X11Hotkey(QObject* parent) : QObject(parent) {
    if (qApp) qApp->installNativeEventFilter(this);
}

X11Hotkey::~X11Hotkey() {
    unregisterKey();
    if (qApp) qApp->removeNativeEventFilter(this);
}

bool X11Hotkey::registerKey(int number) {
    unregisterKey();
    if (number < 5 || number > 12) return false;
    Display* display = x11Display();
    xcb_connection_t* connection = x11Connection();
    if (!display || !connection) return false;
    const KeyCode keycode = XKeysymToKeycode(display, XK_F5 + static_cast<KeySym>(number - 5));
    if (keycode == 0) return false;
    const xcb_window_t root = rootWindow(connection);
    bool refused = false;
    for (uint16_t modifiers : kLockCombinations) {
        const xcb_void_cookie_t cookie = xcb_grab_key_checked(
            connection, 1, root, modifiers, keycode, XCB_GRAB_MODE_ASYNC, XCB_GRAB_MODE_ASYNC);
        if (xcb_generic_error_t* error = xcb_request_check(connection, cookie)) {
            refused = true;
            free(error);
        }
    }
    if (refused) {
        for (uint16_t modifiers : kLockCombinations)
            xcb_ungrab_key(connection, keycode, root, modifiers);
        xcb_flush(connection);
        return false;
    }
    number_ = number;
    keycode_ = keycode;
    return true;
}

void X11Hotkey::unregisterKey() {
    if (number_ == 0) return;
    if (xcb_connection_t* connection = x11Connection()) {
        const xcb_window_t root = rootWindow(connection);
        for (uint16_t modifiers : kLockCombinations)
            xcb_ungrab_key(connection, static_cast<xcb_keycode_t>(keycode_), root, modifiers);
        xcb_flush(connection);
    }
    number_ = 0;
    keycode_ = 0;
}

bool X11Hotkey::nativeEventFilter(const QByteArray& eventType, void* message, qintptr*) {
    if (number_ == 0 || eventType != "xcb_generic_event_t") return false;
    const auto* event = static_cast<const xcb_generic_event_t*>(message);
    const uint8_t type = event->response_type & 0x7F;
    if (type != XCB_KEY_PRESS && type != XCB_KEY_RELEASE) return false;
    const auto* key = static_cast<const xcb_key_press_event_t*>(message);
    if (key->detail != keycode_) return false;
    const uint16_t others = key->state & ~(XCB_MOD_MASK_LOCK | XCB_MOD_MASK_2) & 0xFF;
    if (others != 0) return false;
    if (type == XCB_KEY_PRESS) {
        // The grab holds the keyboard until the key is released; let it go
        // now so that the synthetic Ctrl+C reaches the focused window.
        if (xcb_connection_t* connection = x11Connection()) {
            xcb_ungrab_keyboard(connection, XCB_CURRENT_TIME);
            xcb_flush(connection);
        }
        emit pressed();
    }
    return true;
}

bool sendCopyKey(int step) {
    if (step < 0 || step >= kCopyKeySteps) return false;
    Display* display = x11Display();
    if (!display) return false;
    int event, error, major, minor;
    if (!XTestQueryExtension(display, &event, &error, &major, &minor)) return false;
    const KeyCode control = XKeysymToKeycode(display, XK_Control_L);
    const KeyCode letter = XKeysymToKeycode(display, XK_c);
    const std::pair<KeyCode, bool> steps[kCopyKeySteps] = {
        {control, true}, {letter, true}, {letter, false}, {control, false}};
    XTestFakeKeyEvent(display, steps[step].first, steps[step].second ? True : False, CurrentTime);
    XFlush(display);
    return true;
}

}  // namespace tulvo::platform
