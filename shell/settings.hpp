// The settings file data/options.txt: looking keys up, and applying every
// key to the main program in a fixed order.
#pragma once

#include <cstdint>
#include <filesystem>
#include <optional>
#include <string>
#include <string_view>

namespace tulvo::shell {

inline const std::filesystem::path kSettingsPath = std::filesystem::path("data") / "options.txt";
inline constexpr const char* kF10Marker = "readme-F10 shortcut.txt";
inline constexpr const char* kPopupMarker = "readme-Popup definitions.txt";

// The file's text as the reader sees it: byte-order mark skipped, CR LF
// appended so that a last line without a line end is read too.
class SettingsText {
  public:
    explicit SettingsText(std::string_view bytes);
    // Reads the file; a missing file is created empty.
    static SettingsText read(const std::filesystem::path& file);

    // The value of the first line whose key matches, with spaces and tabs
    // removed at both ends; empty when no line matches.
    std::string value(std::string_view key) const;
    // The same, lower-cased (ASCII letters).
    std::string loweredValue(std::string_view key) const;

  private:
    std::string text_;
};

// Heights of the four fonts, in pixels of cell height.
struct FontHeights {
    int label = 19;
    int list = 19;
    int panel = 21;
    int character = 50;
    bool operator==(const FontHeights&) const = default;
};

FontHeights fontHeightsFor(std::string_view fontsizeValue);

// 5..12 for F5..F12, or 0 for no hotkey. `value` is lower-cased.
int hotkeyNumber(std::string value, bool f10MarkerExists);

// What applying the settings changes in the main program.
class SettingsTarget {
  public:
    virtual ~SettingsTarget() = default;
    virtual void setFontHeights(const FontHeights& heights) = 0;
    // Redraws the character panel with the new fonts.
    virtual void refreshPanel() {}
    // Shows or hides the writing pad and lays the window out again.
    virtual void setPadShown(bool shown) = 0;
    virtual void setPreferTraditional(bool traditional) = 0;
    // Global hotkey id 0 for key F5..F12 (number 5..12), no modifiers.
    virtual void registerHotkey(int number) = 0;
    virtual void unregisterHotkey() = 0;
    // Sends a message to the popup messenger window; empty when it is not there.
    virtual std::optional<int64_t> sendToPopupMessenger(uint32_t message) = 0;
    // Starts data/tulvopopup with its command-line arguments, without waiting.
    virtual void startPopupProgram(const std::string& arguments) = 0;
    // The main window's handle, written on the popup program's command line.
    virtual uint32_t nativeWindowId() const { return 0; }
    // Re-imports the tracked favorite word list (its bytes and encoding number).
    virtual void importTrackedList(const std::string& bytes, int encoding) = 0;
};

// Applies the settings file; keeps what must last from one read to the next.
class SettingsReader {
  public:
    SettingsReader(std::filesystem::path programDirectory, SettingsTarget& target);

    // At start-up with `firstRead`, and again after the options program ran.
    void apply(bool firstRead);

    bool popupRunning() const { return popupRunning_; }
    int64_t carriedValue() const { return carriedValue_; }
    const std::string& trackedPath() const { return trackedPath_; }
    int trackedEncoding() const { return trackedEncoding_; }
    bool updateBack() const { return updateBack_; }
    bool preferTraditional() const { return preferTraditional_; }

  private:
    // One step a setting group: each changes only its own part.
    void applyLook(const SettingsText& settings, bool firstRead);
    void applyHotkey(const SettingsText& settings);
    void applyPopup(const SettingsText& settings);
    void applyTrackedList(const SettingsText& settings);

    std::filesystem::path dir_;
    SettingsTarget& target_;
    bool hotkeyRegistered_ = false;
    bool popupRunning_ = false;
    int64_t carriedValue_ = 1;
    std::string trackedPath_;
    int trackedEncoding_ = -1;
    bool updateBack_ = false;
    bool preferTraditional_ = false;
};

// Messages exchanged with the popup program.
inline constexpr uint32_t kMessageQuit = 0x505;
inline constexpr uint32_t kMessageQueryState = 0x50B;

}  // namespace tulvo::shell
