// Whether a window can be shown: checked before Qt starts, so that a program
// without a display says so in its own words and exits with status 1 instead
// of Qt aborting.
#pragma once

#include <string>
#include <string_view>

namespace tulvo::apps {

// True when Qt's chosen platform can show windows here: a platform other
// than X11 and Wayland was asked for (offscreen, vnc …), or the Wayland
// compositor's socket exists, or the X server named by DISPLAY accepts a
// connection.
bool displayAvailable();

// The message for a program started without a display.
std::string noDisplayMessage(std::string_view program);

// Prints noDisplayMessage and gives false when there is no display. While
// the QApplication is then made, a fatal error of Qt's platform start-up
// ends the program with the same message and status 1.
bool requireDisplay(std::string_view program);

// To be called once the QApplication exists: Qt's messages go their usual
// way again.
void displayStarted();

}  // namespace tulvo::apps
