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

TEST(WordValues, SingleCharactersComeByTheirUseAsWordsInTheirReading) {
    TempDir dir;
    FreqFileWriter writer;
    for (const char16_t* character : {u"师", u"師", u"是", u"十", u"结", u"結"})
        writer.add(character, frequencyValue(0, 1));
    const FreqFile freq(dir.write("freq.dat", writer.bytes()));
    // Counts as the data build writes them, sorted, CR LF or LF, with lines
    // that do not parse, a surname reading and a count above the key's five
    // digits.
    ReadingUse use;
    ASSERT_TRUE(use.open(dir.write("use.txt",
                                   "一\tyi1\t999999\n十\tshi2\t4082\r\n十\tshi3\n十 shi4 5\n"
                                   "师\tShi1\t500\n师\tshi1\t1142\n师\tshi2\t-3\n"
                                   "是\tshi4\t27098\n结\tjie1\t91\n结\tjie2\t1419\n")));
    EXPECT_EQ(use.count("是", "shi4"), 27098);
    EXPECT_EQ(use.count("师", "shi1"), 1142);
    EXPECT_EQ(use.count("师", "Shi1"), 500);
    EXPECT_EQ(use.count("十", "shi2"), 4082);
    for (const auto& [character, reading] : {std::pair{"十", "shi3"},
                                             {"十", "shi4"},
                                             {"师", "shi2"},
                                             {"是", "shi2"},
                                             {"", ""},
                                             {"结", "jie3"}})
        EXPECT_EQ(use.count(character, reading), 0) << character << reading;
    EXPECT_EQ(use.count("一", "yi1"), ReadingUse::kMaxCount);

    const WordValues values(freq, nullptr, &use);
    dict::ResultList list(values);
    for (const char* line : {"師 师 [shi1] /teacher/", "十 十 [shi2] /ten/", "是 是 [shi4] /is/",
                             "結 结 [jie1] /to bear fruit/", "結 结 [jie2] /knot/"})
        ASSERT_EQ(list.add(line, 2), 1);
    list.sortNewRows();
    std::vector<std::string> order;
    for (size_t i = 0; i < list.size(); ++i)
        order.push_back(tulvo::utf16ToUtf8(list.at(i).character) + " " +
                        tulvo::utf16ToUtf8(list.at(i).pinyin));
    EXPECT_EQ(order, (std::vector<std::string>{"是 shì", "十 shí", "结 jié", "师 shī", "结 jiē"}));

    // The use decides before the class: a listed character of a rarer class
    // that is used more as a word comes first; an unlisted one stays last.
    FreqFileWriter classes;
    classes.add(u"视", frequencyValue(0, 1));
    classes.add(u"視", frequencyValue(0, 1));
    classes.add(u"试", frequencyValue(2, 2));
    classes.add(u"試", frequencyValue(2, 2));
    const FreqFile classFreq(dir.write("classes.dat", classes.bytes()));
    ReadingUse wordUse;
    ASSERT_TRUE(
        wordUse.open(dir.write("word-use.txt", "士\tshi4\t900\n视\tshi4\t40\n试\tshi4\t160\n")));
    const WordValues byUse(classFreq, nullptr, &wordUse);
    dict::ResultList useList(byUse);
    for (const char* line :
         {"士 士 [shi4] /scholar/", "視 视 [shi4] /to look at/", "試 试 [shi4] /to try/"})
        ASSERT_EQ(useList.add(line, 2), 1);
    useList.sortNewRows();
    std::u16string useOrder;
    for (size_t i = 0; i < useList.size(); ++i) useOrder += useList.at(i).character;
    EXPECT_EQ(useOrder, u"试视士");

    // Without the counts: the pinyin order.
    const WordValues plain(freq, nullptr);
    dict::ResultList plainList(plain);
    for (const char* line : {"十 十 [shi2] /ten/", "是 是 [shi4] /is/", "師 师 [shi1] /teacher/"})
        ASSERT_EQ(plainList.add(line, 2), 1);
    plainList.sortNewRows();
    EXPECT_EQ(plainList.at(0).character, u"师");
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
