#include "options/options_file.hpp"
#include "platform/whole_file.hpp"

#include <fcntl.h>
#include <unistd.h>

#include <cstdio>
#include <fstream>
#include <sstream>

#include "platform/app_paths.hpp"
#include "platform/unicode_text.hpp"
#include "shell/settings.hpp"

namespace tulvo::options {
namespace {

char firstLetter(std::string_view value) {
    return value.empty() ? '\0' : value.front();
}

std::string_view strippedSpaces(std::string_view text) {
    const size_t first = text.find_first_not_of(' ');
    if (first == std::string_view::npos) return {};
    text.remove_prefix(first);
    return text.substr(0, text.find_last_not_of(" \t") + 1);
}

void replaceAll(std::string& text, std::string_view from, std::string_view to) {
    for (size_t at = text.find(from); at != std::string::npos; at = text.find(from, at + to.size()))
        text.replace(at, from.size(), to);
}

// Replaces until none is left: "   " becomes " ", ", , , " becomes ", ".
void collapse(std::string& text, std::string_view from, std::string_view to) {
    for (size_t at = text.find(from); at != std::string::npos; at = text.find(from, at))
        text.replace(at, from.size(), to);
}

std::string readText(const std::filesystem::path& file) {
    return readWholeFile(file).value_or(std::string());
}

const char* yesNo(bool value) {
    return value ? "yes" : "no";
}

}  // namespace

int hotkeyItemFor(std::string_view value) {
    if (firstLetter(value) != 'f') return 0;
    std::string digits;
    for (char c : value.substr(1))
        if (c != ' ') digits.push_back(c);
    // The number that the digits at the front make, as a C conversion reads it.
    int number = 0;
    for (size_t i = 0; i < digits.size() && i < 4 && digits[i] >= '0' && digits[i] <= '9'; ++i)
        number = number * 10 + (digits[i] - '0');
    const int item = number - 4;
    return (item < 1 || item >= kHotkeyItems) ? 0 : item;
}

PopupLists readPopupReadme(std::string_view text) {
    PopupLists lists;
    std::string* section = nullptr;
    while (!text.empty()) {
        const size_t end = text.find_first_of("\r\n");
        std::string line = asciiLowered(strippedSpaces(text.substr(0, end)));
        text.remove_prefix(end == std::string_view::npos ? text.size() : end + 1);
        if (line.empty() || line.front() == '\'') continue;
        if (line == "applications") {
            section = &lists.applications;
        } else if (line == "exclusions") {
            section = &lists.exclusions;
        } else if (section) {
            if (!section->empty()) *section += ", ";
            *section += line;
        }
    }
    return lists;
}

OptionsState readOptions(const std::filesystem::path& dir) {
    // The settings and the readme markers are the user's files.
    const platform::AppPaths paths(dir);
    const std::filesystem::path f10Marker = paths.topLevelUserFile(shell::kF10Marker);
    const std::filesystem::path popupMarker = paths.topLevelUserFile(shell::kPopupMarker);
    const shell::SettingsText settings(
        readText(paths.userFile(shell::kSettingsPath.filename().string())));
    OptionsState state;
    std::error_code ec;

    const std::string fontsize = settings.loweredValue("fontsize");
    state.fontSize = fontsize == "small"   ? OptionsState::Small
                     : fontsize == "large" ? OptionsState::Large
                                           : OptionsState::Medium;
    state.showPad = firstLetter(settings.loweredValue("show_writing_pad")) != 'n';
    state.traditional =
        firstLetter(settings.loweredValue("prefer_simplified_or_traditional")) == 't';

    std::string hotkey = settings.loweredValue("tulvo_hotkey");
    if (hotkey.empty() && std::filesystem::exists(f10Marker, ec)) {
        std::filesystem::remove(f10Marker, ec);
        hotkey = "f10";
    }
    state.hotkeyItem = hotkeyItemFor(hotkey);

    const std::string popup = settings.loweredValue("enable_popup");
    const bool popupReadme = popup.empty() && std::filesystem::exists(popupMarker, ec);
    state.popupEnabled = popup.empty() ? popupReadme : firstLetter(popup) != 'n';
    if (popupReadme) {
        const PopupLists lists = readPopupReadme(readText(popupMarker));
        state.popupApplications = lists.applications;
        state.popupExclusions = lists.exclusions;
        std::filesystem::remove(popupMarker, ec);
    } else {
        state.popupApplications = settings.value("popup_applications");
        state.popupExclusions = settings.value("popup_exclusions");
        state.popupAlternate = settings.value("popup_alternate");
        state.popupInFlash = firstLetter(settings.loweredValue("popup_in_flash")) != 'n';
        state.popupInPdf = firstLetter(settings.loweredValue("popup_in_pdf")) != 'n';
    }

    state.track = firstLetter(settings.loweredValue("favorite_track")) == 'y';
    state.updateBack = firstLetter(settings.loweredValue("favorite_track_updateback")) == 'y';
    state.trackFile = settings.value("favorite_trackfile");
    const std::string encoding = settings.value("favorite_trackfile_encoding");
    if (!encoding.empty()) {
        // As a C conversion reads it: an optional sign and the digits that follow.
        int sign = 1;
        size_t i = 0;
        if (encoding[0] == '-' || encoding[0] == '+') sign = encoding[i++] == '-' ? -1 : 1;
        long number = 0;
        for (;
             i < encoding.size() && encoding[i] >= '0' && encoding[i] <= '9' && number < 1'000'000;
             ++i)
            number = number * 10 + (encoding[i] - '0');
        state.trackEncoding = int(sign * number);
    }
    return state;
}

std::string normaliseProgramList(std::string text) {
    replaceAll(text, "\r", ", ");
    replaceAll(text, "\n", "");
    replaceAll(text, ".exe ", ".exe, ");
    replaceAll(text, ".EXE ", ".EXE, ");
    replaceAll(text, ",", ", ");
    collapse(text, "  ", " ");
    collapse(text, ", , ", ", ");
    return text;
}

std::string optionsText(const OptionsState& state) {
    std::string text;
    const auto line = [&text](std::string_view key, std::string_view value) {
        text.append(key).append("=").append(value).append("\r\n");
    };
    line("fontsize", state.fontSize == OptionsState::Small    ? "small"
                     : state.fontSize == OptionsState::Medium ? "medium"
                                                              : "large");
    line("show_writing_pad", yesNo(state.showPad));
    line("prefer_simplified_or_traditional", state.traditional ? "traditional" : "simplified");
    line("tulvo_hotkey", state.hotkeyItem <= 0 || state.hotkeyItem >= kHotkeyItems
                             ? std::string("(none)")
                             : "F" + std::to_string(state.hotkeyItem + 4));
    line("enable_popup", yesNo(state.popupEnabled));
    line("popup_applications", normaliseProgramList(state.popupApplications));
    line("popup_alternate", normaliseProgramList(state.popupAlternate));
    line("popup_exclusions", normaliseProgramList(state.popupExclusions));
    line("popup_in_flash", yesNo(state.popupInFlash));
    line("popup_in_pdf", yesNo(state.popupInPdf));
    line("favorite_track", yesNo(state.track));
    line("favorite_track_updateback", yesNo(state.updateBack));
    if (!state.trackFile.empty()) {
        line("favorite_trackfile", state.trackFile);
        if (state.trackEncoding != -1)
            line("favorite_trackfile_encoding", std::to_string(state.trackEncoding));
    }
    return text;
}

bool writeOptions(const std::filesystem::path& dir, const OptionsState& state) {
    const platform::AppPaths paths(dir);
    return writeWholeFile(paths.userFile(shell::kSettingsPath.filename().string()),
                          optionsText(state));
}

std::string installedVersion(std::string_view argument) {
    if (argument.size() > 32) argument = argument.substr(argument.size() - 32);
    const size_t first = argument.find_first_not_of(' ');
    if (first == std::string_view::npos) return {};
    return std::string(argument.substr(first, argument.find_last_not_of(' ') - first + 1));
}

}  // namespace tulvo::options
