#include "characters/word_values.hpp"

#include <gtest/gtest.h>

#include "dictionary/result_list.hpp"
#include "platform/unicode_text.hpp"
#include "tests/support/temp_dir.hpp"

using namespace tulvo::characters;
using tulvo::favorites::FavoritesStore;
using tulvo::testing::TempDir;
namespace dict = tulvo::dictionary;

namespace {

struct Fixture {
    TempDir dir;
    FreqFile freq;
    FavoritesStore favorites{dir / "favorites.dat", dir / "debug.txt"};

    Fixture() {
        FreqFileWriter writer;
        writer.add(u"中", frequencyValue(0, 1), {"Zhong1", "zhong4"});
        writer.add(u"种", frequencyValue(1, 3));
        writer.add(u"阿", frequencyValue(4, 0));
        writer.add(u"中国", frequencyValue(0, 1));
        writer.add(u"中间", 0x23);
        writer.add(u"中子", frequencyValue(7, 0));
        writer.add(u"难题", frequencyValue(3, 6));  // 0x63 = 99: the mark's limit
        freq.open(dir.write("freq.dat", writer.bytes()));
        favorites.load();
    }
};

}  // namespace

TEST(WordValues, FavoriteMark) {
    Fixture f;
    const WordValues values(f.freq, &f.favorites);
    EXPECT_EQ(values.wordValue("中间", 2, "zhong1 jian1"), 0x23);
    f.favorites.add(u"中间");
    f.favorites.add(u"中华");
    EXPECT_EQ(values.wordValue("中间", 2, "zhong1 jian1"), 35 - dict::kFavoriteMark);
    EXPECT_EQ(values.wordValue("中华", 2, "Zhong1 hua2"), -1 - dict::kFavoriteMark);
    // A favorite whose value does not apply to the reading is an unlisted favorite.
    f.favorites.add(u"中");
    EXPECT_EQ(values.wordValue("中", 1, "zhong4"), -1 - dict::kFavoriteMark);
    EXPECT_EQ(values.wordValue("中", 1, "zhong1"), 0x10 - dict::kFavoriteMark);
    EXPECT_EQ(wordFrequency(f.freq, nullptr, u"中", "zhong1"), 0x10);
    // The whole form is looked up, not its first (bytes / 3) units.
    EXPECT_EQ(values.wordValue("阿Q", 1, "A1 Q"), -1);
    EXPECT_EQ(values.wordValue("阿", 1, "a1"), 0x04);
}

TEST(WordValues, RowsInTheFourGroupsWithTheirColours) {
    Fixture f;
    f.favorites.add(u"中子");
    const WordValues values(f.freq, &f.favorites);
    dict::ResultList list(values);
    const char* lines[] = {
        "中間 中间 [zhong1 jian1] /between/",
        "中 中 [Zhong1] /China/",
        "中 中 [zhong4] /to hit/",
        "中國 中国 [Zhong1 guo2] /China/",
        "中子 中子 [zhong1 zi3] /neutron/",
        "中止 中止 [zhong1 zhi3] /to cease/",
        "中 中 [zhong1] /within/",
        "種 种 [zhong3] /kind/",
    };
    for (const char* line : lines) ASSERT_EQ(list.add(line, 2), 1);
    list.sortNewRows();
    std::vector<std::string> order;
    for (size_t i = 0; i < list.size(); ++i)
        order.push_back(tulvo::utf16ToUtf8(list.at(i).character) + " " +
                        std::to_string(list.at(i).wordValue));
    // Listed characters, listed words, unlisted characters, then the rest,
    // the favorite 中子 (class 7) before the unlisted word.
    EXPECT_EQ(order, (std::vector<std::string>{"中 16", "种 49", "中国 16", "中间 35", "中 -1",
                                               "中 -1", "中子 -993", "中止 -1"}));
    EXPECT_EQ(list.at(0).colour, dict::RowColour::Frequent);
    EXPECT_EQ(list.at(1).colour, dict::RowColour::FairlyFrequent);
    EXPECT_EQ(list.at(3).colour, dict::RowColour::Default);
    EXPECT_EQ(list.at(6).colour, dict::RowColour::Favorite);
}

TEST(WordValues, NoFilesNoValues) {
    TempDir dir;
    const FreqFile freq(dir / "freq.dat");
    FavoritesStore favorites(dir / "favorites.dat", dir / "debug.txt");
    favorites.load(false);
    EXPECT_FALSE(std::filesystem::exists(dir / "favorites.dat"));
    const WordValues values(freq, &favorites);
    EXPECT_EQ(values.wordValue("中", 1, "zhong1"), -1);
}
