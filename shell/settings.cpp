#include "shell/settings.hpp"

#include <cstdio>
#include <fstream>
#include <sstream>

#include "favorites/list_import.hpp"
#include "platform/app_paths.hpp"
#include "platform/unicode_text.hpp"
#include "platform/whole_file.hpp"

namespace tulvo::shell {
namespace {

bool startsWith(std::string_view text, char letter) {
    return !text.empty() && text.front() == letter;
}

}  // namespace

SettingsText::SettingsText(std::string_view bytes) {
    if (bytes.substr(0, 3) == "\xEF\xBB\xBF") bytes.remove_prefix(3);
    text_.assign(bytes);
    text_ += "\r\n";
}

SettingsText SettingsText::read(const std::filesystem::path& file) {
    ReadFailure why;
    const auto bytes = readWholeFile(file, size_t(1) << 30, &why);
    if (why == ReadFailure::Missing) std::ofstream create(file, std::ios::binary);
    return SettingsText(bytes.value_or(std::string()));
}

std::string SettingsText::value(std::string_view key) const {
    const std::string wanted = asciiLowered(trimmed(key));
    const std::string_view text = text_;
    // Lines end with CR LF; a file from an editor that ends them with LF
    // alone reads the same.
    for (size_t start = 0; start < text.size();) {
        size_t end = text.find('\n', start);
        if (end == std::string_view::npos) end = text.size();
        std::string_view line = text.substr(start, end - start);
        if (!line.empty() && line.back() == '\r') line.remove_suffix(1);
        start = end + 1;
        const size_t equals = line.find('=');
        if (asciiLowered(trimmed(line.substr(0, equals))) != wanted) continue;
        if (equals == std::string_view::npos) return {};
        const std::string_view rest = line.substr(equals + 1);
        return std::string(trimmed(rest.substr(0, rest.find('='))));
    }
    return {};
}

std::string SettingsText::loweredValue(std::string_view key) const {
    return asciiLowered(value(key));
}

FontHeights fontHeightsFor(std::string_view value) {
    if (value == "small") return {17, 17, 19, 45};
    if (value == "large") return {22, 22, 24, 58};
    return {};
}

int hotkeyNumber(std::string value, bool f10MarkerExists) {
    if (value.empty() && f10MarkerExists) value = "f10";
    if (!startsWith(value, 'f')) return 0;
    std::string digits;
    for (char c : value.substr(1))
        if (c != ' ' && c != '\t') digits.push_back(c);
    if (digits.empty() || digits.size() > 3 ||
        digits.find_first_not_of("0123456789") != std::string::npos)
        return 0;
    const int n = std::stoi(digits);
    return (n < 5 || n > 12) ? 0 : n;
}

SettingsReader::SettingsReader(std::filesystem::path programDirectory, SettingsTarget& target)
    : dir_(std::move(programDirectory)), target_(target) {}

void SettingsReader::apply(bool firstRead) {
    const SettingsText settings =
        SettingsText::read(platform::AppPaths(dir_).userFile(kSettingsPath.filename().string()));
    applyLook(settings, firstRead);
    applyHotkey(settings);
    applyPopup(settings);
    applyTrackedList(settings);
}

// Fonts, the pad and the preferred character forms.
void SettingsReader::applyLook(const SettingsText& settings, bool firstRead) {
    target_.setFontHeights(fontHeightsFor(settings.loweredValue("fontsize")));
    if (!firstRead) target_.refreshPanel();
    if (firstRead) target_.setPadShown(!startsWith(settings.loweredValue("show_writing_pad"), 'n'));

    preferTraditional_ = startsWith(settings.loweredValue("prefer_simplified_or_traditional"), 't');
    target_.setPreferTraditional(preferTraditional_);
}

// The global lookup key, given up and taken again.
void SettingsReader::applyHotkey(const SettingsText& settings) {
    const int hotkey = hotkeyNumber(
        settings.loweredValue("tulvo_hotkey"),
        std::filesystem::exists(platform::AppPaths(dir_).topLevelUserFile(kF10Marker)));
    if (hotkeyRegistered_) {
        target_.unregisterHotkey();
        hotkeyRegistered_ = false;
    }
    if (hotkey != 0) {
        target_.registerHotkey(hotkey);
        hotkeyRegistered_ = true;
    }
}

// The popup program: started, restarted with its state carried, or ended.
void SettingsReader::applyPopup(const SettingsText& settings) {
    std::string popup = settings.loweredValue("enable_popup");
    if (popup.empty() &&
        std::filesystem::exists(platform::AppPaths(dir_).topLevelUserFile(kPopupMarker)))
        popup = "y";
    if (startsWith(popup, 'y')) {
        if (popupRunning_) {
            if (const auto state = target_.sendToPopupMessenger(kMessageQueryState)) {
                carriedValue_ = *state;
                target_.sendToPopupMessenger(kMessageQuit);
            }
        } else {
            carriedValue_ = 1;
        }
        char handle[16];
        std::snprintf(handle, sizeof handle, "%08X", target_.nativeWindowId());
        target_.startPopupProgram(std::to_string(carriedValue_) + " " + handle);
        popupRunning_ = true;
    } else if (popupRunning_) {
        target_.sendToPopupMessenger(kMessageQuit);
        popupRunning_ = false;
    }
}

// The tracked favorite word list, imported again when tracking is on.
void SettingsReader::applyTrackedList(const SettingsText& settings) {
    const std::string encoding = settings.value("favorite_trackfile_encoding");
    trackedEncoding_ = -1;
    if (!encoding.empty() && encoding.size() < 10 &&
        encoding.find_first_not_of("0123456789") == std::string::npos)
        trackedEncoding_ = std::stoi(encoding);

    if (startsWith(settings.loweredValue("favorite_track"), 'y')) {
        trackedPath_ = settings.value("favorite_trackfile");
        // Only a regular file of list size: a pipe or a device named here
        // must not hold up the start.
        auto list = trackedPath_.empty() ? favorites::ListFile{favorites::ListFile::Missing, {}}
                                         : favorites::readListFile(trackedPath_);
        if (list.status == favorites::ListFile::Read) {
            list.bytes.append(2, '\0');
            target_.importTrackedList(list.bytes, trackedEncoding_);
        } else if (list.status != favorites::ListFile::Missing) {
            std::fprintf(stderr, "Tulvo: the tracked word list %s is not read: %s.\n",
                         trackedPath_.c_str(), favorites::listFileProblem(list.status).c_str());
        }
    } else {
        trackedPath_.clear();
    }
    updateBack_ = startsWith(settings.loweredValue("favorite_track_updateback"), 'y');
}

}  // namespace tulvo::shell
