// The options program's side of data/options.txt: the file read into the
// state of the window's controls (with the readme files as installation
// defaults, deleted once used) and that state written back whole.
#pragma once

#include <filesystem>
#include <string>
#include <string_view>

namespace tulvo::options {

inline constexpr int kHotkeyItems = 9;  // "(none)", "F 5" … "F12"

// What the controls hold.
struct OptionsState {
    enum FontSize { Small, Medium, Large };
    FontSize fontSize = Medium;
    bool showPad = true;
    bool traditional = false;
    int hotkeyItem = 0;  // item i >= 1 is function key F(i + 4)
    bool popupEnabled = false;
    std::string popupApplications;
    std::string popupAlternate;
    std::string popupExclusions;
    bool popupInFlash = false;
    bool popupInPdf = false;
    bool track = false;
    bool updateBack = false;
    std::string trackFile;
    int trackEncoding = -1;  // code page of the tracked list; -1 none chosen

    bool operator==(const OptionsState&) const = default;
};

// Reads data/options.txt under `programDirectory` into the controls' state.
// A readme file that supplies a default is deleted.
OptionsState readOptions(const std::filesystem::path& programDirectory);

// The hotkey list item for a lower-cased `tulvo_hotkey` value.
int hotkeyItemFor(std::string_view value);

// The two lists of the popup readme: lines after "applications" and after
// "exclusions", joined with ", "; empty lines and lines starting with ' are
// skipped.
struct PopupLists {
    std::string applications;
    std::string exclusions;
};
PopupLists readPopupReadme(std::string_view text);

// A program-list box's text as it is written: line breaks become ", ",
// program names are separated by ", ", runs of spaces and empty items
// collapse. The ends are kept as they are.
std::string normaliseProgramList(std::string text);

// The file's text: the fourteen keys in their order, CR LF after each line.
std::string optionsText(const OptionsState& state);

// Replaces data/options.txt with the state's text through a temporary file
// and a rename, so that a failed write leaves the old file whole.
bool writeOptions(const std::filesystem::path& programDirectory, const OptionsState& state);

// The installed version from the program's argument: its last 32
// characters, trimmed of spaces; empty without an argument.
std::string installedVersion(std::string_view argument);

}  // namespace tulvo::options
