// The programs' own light palette. Their colours (the frequency colours of
// the words, the favorites' orange, the blue of the headwords, the white pad
// and stroke box) are chosen for light ground; a dark palette from the
// desktop would leave half of them unreadable. Every window of the programs
// (the main window, the options program, the reminder, the radical window and
// the dialogs) uses this palette, whatever the desktop's colour scheme is.
#pragma once

#include <QPalette>

namespace tulvo::ui {

// Every role of every colour group set, so that no colour of the desktop's
// palette shows through, also when the desktop changes it while we run.
QPalette lightPalette();
// Gives the application the light palette; call once the application exists.
void useLightPalette();

}  // namespace tulvo::ui
