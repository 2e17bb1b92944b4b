#include "characters/components.hpp"

#include <gtest/gtest.h>

#include "characters/counterparts.hpp"
#include "tests/support/temp_dir.hpp"

using namespace tulvo::characters;
using tulvo::testing::TempDir;

namespace {

std::string records(const std::vector<std::pair<char16_t, std::u16string>>& list) {
    std::string bytes;
    for (const auto& [code, text] : list) EXPECT_TRUE(appendComponentRecord(bytes, code, text));
    return bytes;
}

}  // namespace

TEST(Components, TextAndRecordsScan) {
    TempDir dir;
    EXPECT_EQ(makeComponentText(u'女', 3, u"子"), u"女+3 子");
    EXPECT_EQ(makeComponentText(u'口', 12, u""), u"口+12");
    const auto file = dir.write("components.dat", records({
                                                      {u'好', makeComponentText(u'女', 3, u"子")},
                                                      {u'嘴', u"口+12"},  // digits up to the end
                                                      {u'林', u"木+4 木"},
                                                      {u'x', u""},
                                                  }));
    EXPECT_EQ(componentText(file, u'好'), u"女+3 子");
    EXPECT_EQ(componentText(file, u'林'), u"木+4 木");
    EXPECT_FALSE(componentText(file, u'国'));

    const auto all = componentRecords(file);
    ASSERT_EQ(all.size(), 4u);
    EXPECT_EQ(all[0].code, u'好');
    EXPECT_EQ(all[0].radical, u'女');
    EXPECT_EQ(all[0].residualStrokes, 3);
    EXPECT_EQ(all[0].length, 5);
    EXPECT_EQ(all[1].residualStrokes, 12);
    EXPECT_EQ(all[3].radical, 0);
    EXPECT_EQ(all[3].length, 0);
}

TEST(Components, CharactersBuiltOnAComponent) {
    TempDir dir;
    const auto file = dir.write("components.dat", records({
                                                      {u'木', u"木+0"},
                                                      {u'林', u"木+4 木"},
                                                      {u'好', u"女+3 子"},
                                                      {u'字', u"子+3 宀"},
                                                  }));
    // The radical counts as much as a component; a record holding the code
    // twice is listed twice; a record never lists itself.
    EXPECT_EQ(charactersBuiltOn(file, u'木'), (std::vector<char16_t>{u'林', u'林'}));
    EXPECT_EQ(charactersBuiltOn(file, u'子'), (std::vector<char16_t>{u'好', u'字'}));
    EXPECT_EQ(charactersBuiltOn(file, u'3'), (std::vector<char16_t>{u'好', u'字'}));
    EXPECT_TRUE(charactersBuiltOn(dir / "missing.dat", u'木').empty());
}

TEST(Components, TruncatedOrDamagedFilesNeverCrash) {
    TempDir dir;
    const std::string sound =
        records({{u'好', u"女+3 子"}, {u'嘴', u"口+12"}, {u'林', u"木+4 木"}});
    for (size_t size = 0; size <= sound.size(); ++size) {
        const auto file = dir.write("cut.dat", sound.substr(0, size));
        const auto all = componentRecords(file);
        EXPECT_LE(all.size(), 3u);
        for (const auto& record : all) EXPECT_LE(record.length, 5);
        // A record cut short is not returned.
        if (size < sound.size()) {
            EXPECT_FALSE(componentText(file, u'林'));
        }
        charactersBuiltOn(file, u'木');
    }
    // Huge digit runs and non-digits after the separator.
    const auto file =
        dir.write("odd.dat", records({{u'甲', u"田+99999999999"}, {u'乙', u"乙+a7"}}));
    const auto all = componentRecords(file);
    ASSERT_EQ(all.size(), 2u);
    EXPECT_EQ(all[0].residualStrokes, 9999);
    EXPECT_EQ(all[1].residualStrokes, 0);
    std::string tooLong;
    EXPECT_FALSE(appendComponentRecord(tooLong, u'甲', std::u16string(256, u'口')));
    EXPECT_TRUE(tooLong.empty());
}

TEST(Counterparts, LinesOfBothTypesInFileOrder) {
    TempDir dir;
    const auto file = dir.writeLines("types.txt", {
                                                      "56fd | 1 | 570B",
                                                      "56FD | 1 | 5700",  // key is lower case
                                                      "53f0 | 1 | 81fa", "53f0 | 1 | 6aaf",
                                                      "53f0 | 2 | 0000",   // code 0: skipped
                                                      "53f0 | 3 | 5f8c",   // other types ignored
                                                      "53f0 | 1",          // too few fields
                                                      "53f0 | 1 | 12x4",   // not hexadecimal
                                                      "570b | 2 | 156FD",  // low 16 bits
                                                  });
    const Counterparts guo = counterparts(file, u'国');
    EXPECT_EQ(guo.traditional, u"國");
    EXPECT_EQ(guo.simplified, u"");
    EXPECT_EQ(guo.count, 4);
    const Counterparts tai = counterparts(file, u'台');
    EXPECT_EQ(tai.traditional, u"臺檯");
    EXPECT_EQ(tai.count, 6);
    EXPECT_EQ(counterparts(file, u'國').simplified, u"国");
    EXPECT_EQ(counterparts(file, u'中').count, 0);
    EXPECT_EQ(counterparts(dir / "missing.txt", u'国').count, 0);
    EXPECT_EQ(typesLine(u'国', 1, u'國'), "56fd | 1 | 570B\r\n");
}

TEST(Counterparts, LastLineWithoutLineEndAndLoneLf) {
    TempDir dir;
    // A lone LF does not end a line: the first line's third field is then
    // "570B\n56fd" and not hexadecimal.
    const auto file = dir.write("types.txt", "56fd | 1 | 570B\n56fd | 2 | 4e2d\r\n56fd | 2 | 4E2E");
    const Counterparts guo = counterparts(file, u'国');
    EXPECT_EQ(guo.traditional, u"");
    EXPECT_EQ(guo.simplified, u"\u4E2E");
}

TEST(CharacterFiles, ADirectoryInAFilesPlaceFindsNothing) {
    TempDir dir;
    EXPECT_FALSE(componentText(dir.path(), u'好'));
    EXPECT_TRUE(componentRecords(dir.path()).empty());
    EXPECT_EQ(counterparts(dir.path(), u'国').count, 0);
}
