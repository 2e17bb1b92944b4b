#include "shell/settings.hpp"

#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <vector>

#include "tests/support/temp_dir.hpp"

using namespace tulvo::shell;
using tulvo::testing::TempDir;

namespace {

// Records what applying the settings did.
class FakeTarget : public SettingsTarget {
  public:
    void setFontHeights(const FontHeights& h) override { heights = h; }
    void refreshPanel() override { ++refreshes; }
    void setPadShown(bool shown) override { padShown = shown, ++padCalls; }
    void setPreferTraditional(bool t) override { traditional = t; }
    void registerHotkey(int n) override { events.push_back("register F" + std::to_string(n)); }
    void unregisterHotkey() override { events.push_back("unregister"); }
    std::optional<int64_t> sendToPopupMessenger(uint32_t message) override {
        events.push_back("send " + std::to_string(message));
        if (!messengerThere) return std::nullopt;
        return message == kMessageQueryState ? std::optional<int64_t>(popupState) : 0;
    }
    void startPopupProgram(const std::string& arguments) override {
        events.push_back("start " + arguments);
    }
    uint32_t nativeWindowId() const override { return 0x2A; }
    void importTrackedList(const std::string& bytes, int encoding) override {
        imported = bytes;
        importedEncoding = encoding;
    }

    FontHeights heights{0, 0, 0, 0};
    int refreshes = 0, padCalls = 0;
    bool padShown = true, traditional = false, messengerThere = true;
    int64_t popupState = 7;
    std::vector<std::string> events;
    std::string imported;
    int importedEncoding = -2;
};

struct Applied {
    FakeTarget target;
    std::unique_ptr<SettingsReader> reader;
};

std::unique_ptr<Applied> applyIn(const TempDir& dir, bool firstRead = true) {
    auto applied = std::make_unique<Applied>();
    applied->reader = std::make_unique<SettingsReader>(dir.path(), applied->target);
    applied->reader->apply(firstRead);
    return applied;
}

}  // namespace

TEST(SettingsText, KeysValuesAndTheFirstLineWins) {
    const SettingsText text(
        "\xEF\xBB\xBF"
        " FONTSIZE = Large \r\n"
        "fontsize=small\r\n"
        "a=b=c\r\n"
        "lonely key\r\n"
        "\tlast\t=\tvalue without line end");
    EXPECT_EQ(text.value("fontsize"), "Large");
    EXPECT_EQ(text.loweredValue("fontsize"), "large");
    EXPECT_EQ(text.value("a"), "b");
    EXPECT_EQ(text.value("lonely key"), "");
    EXPECT_EQ(text.value("last"), "value without line end");
    EXPECT_EQ(text.value("absent"), "");
}

TEST(SettingsText, MissingFileIsCreatedEmpty) {
    TempDir dir;
    std::filesystem::create_directories(dir / "data");
    EXPECT_EQ(SettingsText::read(dir / "data/options.txt").value("fontsize"), "");
    EXPECT_TRUE(std::filesystem::exists(dir / "data/options.txt"));
}

TEST(Settings, FontSizes) {
    EXPECT_EQ(fontHeightsFor("small"), (FontHeights{17, 17, 19, 45}));
    EXPECT_EQ(fontHeightsFor("large"), (FontHeights{22, 22, 24, 58}));
    EXPECT_EQ(fontHeightsFor("medium"), (FontHeights{19, 19, 21, 50}));
    EXPECT_EQ(fontHeightsFor(""), (FontHeights{19, 19, 21, 50}));
}

TEST(SettingsReader, EmptyFileGivesTheDefaults) {
    TempDir dir;
    std::filesystem::create_directories(dir / "data");
    const auto applied = applyIn(dir);
    EXPECT_EQ(applied->target.heights, FontHeights{});
    EXPECT_TRUE(applied->target.padShown);
    EXPECT_FALSE(applied->target.traditional);
    EXPECT_TRUE(applied->target.events.empty());  // no hotkey, no popup
    EXPECT_EQ(applied->reader->trackedPath(), "");
    EXPECT_EQ(applied->reader->trackedEncoding(), -1);
    EXPECT_FALSE(applied->reader->updateBack());
}

TEST(SettingsReader, MarkerFilesAreTheDefaultsOfEmptyKeys) {
    TempDir dir;
    dir.write("readme-F10 shortcut.txt", "");
    dir.write("readme-Popup definitions.txt", "");
    dir.write("data/options.txt", "");
    const auto applied = applyIn(dir);
    EXPECT_EQ(applied->target.events,
              (std::vector<std::string>{"register F10", "start 1 0000002A"}));

    dir.write("data/options.txt", "tulvo_hotkey=(none)\r\nenable_popup=no\r\n");
    EXPECT_TRUE(applyIn(dir)->target.events.empty());
}

TEST(SettingsReader, AppliesEveryKeyWithEitherLineEnd) {
    // The options program writes CR LF; an ordinary Linux editor writes LF.
    for (const std::string end : {"\r\n", "\n"}) {
        TempDir dir;
        dir.write("list.txt", "我们");
        dir.write("data/options.txt", "fontsize=small" + end + "show_writing_pad=No" + end +
                                          "prefer_simplified_or_traditional=Traditional" + end +
                                          "tulvo_hotkey=F 9" + end + "favorite_track=yes" + end +
                                          "favorite_trackfile=" + (dir / "list.txt").string() +
                                          end + "favorite_trackfile_encoding=936" + end +
                                          "favorite_track_updateback=Yes" + end);
        const auto applied = applyIn(dir);
        EXPECT_EQ(applied->target.heights, fontHeightsFor("small"));
        EXPECT_FALSE(applied->target.padShown);
        EXPECT_TRUE(applied->target.traditional);
        EXPECT_EQ(applied->target.events, (std::vector<std::string>{"register F9"}));
        EXPECT_EQ(applied->target.imported, std::string("我们") + '\0' + '\0');
        EXPECT_EQ(applied->target.importedEncoding, 936);
        EXPECT_TRUE(applied->reader->updateBack());
    }
}

TEST(SettingsReader, LaterReadsKeepThePadAndReplaceHotkeyAndPopup) {
    TempDir dir;
    dir.write("data/options.txt", "tulvo_hotkey=f5\r\nenable_popup=yes\r\n");
    FakeTarget target;
    SettingsReader reader(dir.path(), target);
    reader.apply(true);
    dir.write("data/options.txt", "show_writing_pad=no\r\ntulvo_hotkey=f6\r\nenable_popup=yes\r\n");
    reader.apply(false);
    EXPECT_EQ(target.padCalls, 1);  // only the first read sets the pad
    EXPECT_TRUE(target.padShown);
    EXPECT_EQ(target.refreshes, 1);
    EXPECT_EQ(target.events, (std::vector<std::string>{"register F5", "start 1 0000002A",
                                                       "unregister", "register F6", "send 1291",
                                                       "send 1285", "start 7 0000002A"}));
    EXPECT_EQ(reader.carriedValue(), 7);

    dir.write("data/options.txt", "enable_popup=no\r\n");
    target.events.clear();
    reader.apply(false);
    EXPECT_EQ(target.events, (std::vector<std::string>{"unregister", "send 1285"}));
    EXPECT_FALSE(reader.popupRunning());
}

TEST(SettingsReader, MissingTrackedFileIsSkipped) {
    TempDir dir;
    dir.write("data/options.txt", "favorite_track=y\r\nfavorite_trackfile=nowhere.txt\r\n");
    const auto applied = applyIn(dir);
    EXPECT_EQ(applied->target.importedEncoding, -2);
    EXPECT_EQ(applied->reader->trackedPath(), "nowhere.txt");
}

TEST(SettingsReader, ATrackedPipeOrDeviceDoesNotHoldUpTheStart) {
    // Reading either one whole would never end: the start would hang.
    alarm(20);
    TempDir dir;
    ASSERT_EQ(mkfifo((dir / "pipe.txt").c_str(), 0600), 0);
    for (const std::string& list : {(dir / "pipe.txt").string(), std::string("/dev/zero")}) {
        dir.write("data/options.txt", "favorite_track=y\r\nfavorite_trackfile=" + list + "\r\n");
        const auto applied = applyIn(dir);
        EXPECT_EQ(applied->target.importedEncoding, -2) << list;
        EXPECT_EQ(applied->reader->trackedPath(), list);
    }
    alarm(0);
}
