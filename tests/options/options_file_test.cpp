// The options program's reading of data/options.txt into its controls, the
// readme defaults, the program-list normalisation and the writer.
#include <gtest/gtest.h>

#include "options/options_file.hpp"
#include "shell/settings.hpp"
#include "tests/support/file_size_limit.hpp"
#include "tests/support/temp_dir.hpp"

using namespace tulvo::options;
using tulvo::testing::TempDir;

namespace {

OptionsState readFrom(const TempDir& dir, const std::string& text) {
    dir.write("data/options.txt", text);
    return readOptions(dir.path());
}

TEST(OptionsReader, MissingFileGivesTheDefaults) {
    TempDir dir;
    std::filesystem::create_directories(dir / "data");
    const OptionsState state = readOptions(dir.path());
    EXPECT_EQ(state.fontSize, OptionsState::Medium);
    EXPECT_EQ(state.hotkeyItem, 0);
    EXPECT_FALSE(state.popupEnabled);
    EXPECT_EQ(state.trackEncoding, -1);
    EXPECT_TRUE(state.showPad);
    EXPECT_FALSE(state.track);
    // Without the popup readme the two embedding boxes are checked unless "no".
    EXPECT_TRUE(state.popupInFlash);
    EXPECT_TRUE(state.popupInPdf);
}

TEST(OptionsReader, MarkCaseSpacesAndEqualsSigns) {
    TempDir dir;
    const OptionsState state = readFrom(
        dir,
        "\xEF\xBB\xBF  FontSize  =  Large "
        "\r\nshow_writing_pad=No\r\nPREFER_simplified_or_traditional=Trad"
        "\r\npopup_applications=a.exe=b.exe\r\nenable_popup=yes\r\npopup_in_flash=NO\r\n"
        "favorite_track=yes\r\nfavorite_trackfile=/home/u/My Words.txt\r\n"
        "favorite_trackfile_encoding= 936 \r\nfontsize=small\r\nfavorite_track_updateback=y");
    EXPECT_EQ(state.fontSize, OptionsState::Large);  // the first line of a key wins
    EXPECT_FALSE(state.showPad);
    EXPECT_TRUE(state.traditional);
    EXPECT_EQ(state.popupApplications, "a.exe");
    EXPECT_TRUE(state.popupEnabled);
    EXPECT_FALSE(state.popupInFlash);
    EXPECT_TRUE(state.popupInPdf);  // absent: checked
    EXPECT_TRUE(state.track);
    EXPECT_TRUE(state.updateBack);  // last line without a line end
    EXPECT_EQ(state.trackFile, "/home/u/My Words.txt");
    EXPECT_EQ(state.trackEncoding, 936);
}

TEST(Hotkey, BothProgramsReadTheValueAlike) {
    // The options program's item i stands for the main program's F(i + 4);
    // what one refuses, the other does.
    const std::pair<const char*, int> cases[] = {
        {"f9", 5}, {"f 7", 3},    {"f5", 1}, {"f12", 8}, {"f3", 0}, {"f4", 0},          {"f13", 0},
        {"", 0},   {"(none)", 0}, {"f", 0},  {"fx", 0},  {"10", 0}, {"f99999999999", 0}};
    for (auto [value, item] : cases) {
        EXPECT_EQ(hotkeyItemFor(value), item) << value;
        EXPECT_EQ(tulvo::shell::hotkeyNumber(value, false), item ? item + 4 : 0) << value;
    }
    EXPECT_EQ(tulvo::shell::hotkeyNumber("", true), 10);  // the F10 readme's default
}

TEST(OptionsWriter, WhatTheOptionsProgramWritesTheMainProgramReadsAlike) {
    for (int item = 0; item < 9; ++item) {
        for (auto size : {OptionsState::Small, OptionsState::Medium, OptionsState::Large}) {
            OptionsState state;
            state.hotkeyItem = item;
            state.fontSize = size;
            const tulvo::shell::SettingsText text(optionsText(state));
            EXPECT_EQ(tulvo::shell::hotkeyNumber(text.loweredValue("tulvo_hotkey"), true),
                      item ? item + 4 : 0);
            const char* names[] = {"small", "medium", "large"};
            EXPECT_EQ(tulvo::shell::fontHeightsFor(text.loweredValue("fontsize")),
                      tulvo::shell::fontHeightsFor(names[size]));
        }
    }
}

TEST(OptionsReader, ReadmeFilesGiveDefaultsOnceAndAreDeleted) {
    TempDir dir;
    dir.write("readme-F10 shortcut.txt", "F10 looks the selected text up.");
    dir.write(
        "readme-Popup definitions.txt",
        "' popup programs\r\nnotepad.exe\r\nApplications\r\n  Notepad.exe \r\n\r\nWinword.EXE\r\n"
        "' a comment\r\nexclusions\r\ncmd.exe\r\n");
    const OptionsState state = readFrom(dir, "fontsize=small\r\npopup_in_flash=yes\r\n");
    EXPECT_EQ(state.hotkeyItem, 6);  // F10
    EXPECT_TRUE(state.popupEnabled);
    EXPECT_EQ(state.popupApplications, "notepad.exe, winword.exe");
    EXPECT_EQ(state.popupExclusions, "cmd.exe");
    EXPECT_EQ(state.popupAlternate, "");
    EXPECT_FALSE(state.popupInFlash);
    EXPECT_FALSE(state.popupInPdf);
    EXPECT_FALSE(std::filesystem::exists(dir / "readme-F10 shortcut.txt"));
    EXPECT_FALSE(std::filesystem::exists(dir / "readme-Popup definitions.txt"));

    // Values that are set keep the readme files unused.
    TempDir other;
    other.write("readme-F10 shortcut.txt", "x");
    other.write("readme-Popup definitions.txt", "applications\r\na.exe\r\n");
    const OptionsState set = readFrom(other, "tulvo_hotkey=(none)\r\nenable_popup=no\r\n");
    EXPECT_EQ(set.hotkeyItem, 0);
    EXPECT_FALSE(set.popupEnabled);
    EXPECT_TRUE(std::filesystem::exists(other / "readme-F10 shortcut.txt"));
    EXPECT_TRUE(std::filesystem::exists(other / "readme-Popup definitions.txt"));
}

TEST(ProgramLists, Normalisation) {
    EXPECT_EQ(normaliseProgramList("notepad.exe\r\nwinword.exe"), "notepad.exe, winword.exe");
    EXPECT_EQ(normaliseProgramList("a.exe b.exe,c.exe"), "a.exe, b.exe, c.exe");
    EXPECT_EQ(normaliseProgramList("a.EXE   b.exe"), "a.EXE, b.exe");
    EXPECT_EQ(normaliseProgramList("a.exe\r\n\r\n\r\nb.exe"), "a.exe, b.exe");
    EXPECT_EQ(normaliseProgramList("a.exe\r\n"), "a.exe, ");
    EXPECT_EQ(normaliseProgramList("a.exe, , ,b.exe"), "a.exe, b.exe");
    EXPECT_EQ(normaliseProgramList(""), "");
}

TEST(OptionsWriter, OrderAndValueWords) {
    OptionsState state;
    state.fontSize = OptionsState::Small;
    state.showPad = false;
    state.traditional = true;
    state.hotkeyItem = 5;  // "F 9"
    state.popupEnabled = true;
    state.popupApplications = "notepad.exe\r\nwinword.exe";
    state.popupExclusions = "cmd.exe";
    state.popupInPdf = true;
    state.track = true;
    state.trackFile = "/lists/words.txt";
    state.trackEncoding = 0;
    EXPECT_EQ(
        optionsText(state),
        "fontsize=small\r\nshow_writing_pad=no\r\nprefer_simplified_or_traditional=traditional\r\n"
        "tulvo_hotkey=F9\r\nenable_popup=yes\r\npopup_applications=notepad.exe, winword.exe\r\n"
        "popup_alternate=\r\npopup_exclusions=cmd.exe\r\npopup_in_flash=no\r\npopup_in_pdf=yes\r\n"
        "favorite_track=yes\r\nfavorite_track_updateback=no\r\nfavorite_trackfile=/lists/"
        "words.txt\r\n"
        "favorite_trackfile_encoding=0\r\n");

    state.trackEncoding = -1;
    EXPECT_EQ(optionsText(state).find("favorite_trackfile_encoding"), std::string::npos);
    state.trackEncoding = 936;
    state.trackFile.clear();
    EXPECT_EQ(optionsText(state).find("favorite_trackfile"), std::string::npos);
    state.hotkeyItem = 0;
    EXPECT_NE(optionsText(state).find("tulvo_hotkey=(none)\r\n"), std::string::npos);
    state.hotkeyItem = 8;
    EXPECT_NE(optionsText(state).find("tulvo_hotkey=F12\r\n"), std::string::npos);
}

TEST(OptionsWriter, RewritesTheFileWholeAndReadsBackTheSame) {
    TempDir dir;
    OptionsState state =
        readFrom(dir,
                 "# my notes\r\nfontsize=LARGE\r\ntulvo_hotkey=F9\r\ncolour=red\r\n"
                 "favorite_trackfile_encoding=950\r\n");
    EXPECT_EQ(state.hotkeyItem, 5);
    ASSERT_TRUE(writeOptions(dir.path(), state));
    const std::string written = TempDir::read(dir / "data/options.txt");
    EXPECT_EQ(written.find("# my notes"), std::string::npos);
    EXPECT_EQ(written.find("colour"), std::string::npos);
    EXPECT_TRUE(written.starts_with("fontsize=large\r\nshow_writing_pad=yes\r\n"));
    EXPECT_NE(written.find("tulvo_hotkey=F9\r\n"), std::string::npos);
    // No path: neither the path nor its encoding is written.
    EXPECT_EQ(written.find("favorite_trackfile"), std::string::npos);
    EXPECT_FALSE(std::filesystem::exists(dir / "data/options.txt.tmp"));

    state.trackFile = "/a b/c.txt";
    state.trackEncoding = 65001;
    state.popupApplications = "a.exe, b.exe";
    ASSERT_TRUE(writeOptions(dir.path(), state));
    EXPECT_EQ(readOptions(dir.path()), state);
}

TEST(OptionsWriter, AFailedWriteKeepsTheOldFile) {
    TempDir dir;
    dir.write("data/options.txt", "fontsize=small\r\n");
    {
        // A full disk: no file may grow beyond a few bytes.
        const tulvo::testing::FileSizeLimit full(4);
        EXPECT_FALSE(writeOptions(dir.path(), OptionsState{}));
    }
    EXPECT_EQ(TempDir::read(dir / "data/options.txt"), "fontsize=small\r\n");
}

TEST(InstalledVersion, FromTheArgument) {
    EXPECT_EQ(installedVersion("version 2.1a                    "), "version 2.1a");
    EXPECT_EQ(installedVersion(""), "");
    EXPECT_EQ(installedVersion("xxversion 2.1a                    "), "version 2.1a");
}

}  // namespace
