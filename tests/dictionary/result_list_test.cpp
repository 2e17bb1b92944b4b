#include "dictionary/result_list.hpp"

#include <gtest/gtest.h>

#include <map>

#include "platform/unicode_text.hpp"

using namespace tulvo::dictionary;
using tulvo::utf16ToUtf8;

namespace {

// Word values by form, with the arguments of the last lookup recorded.
class FakeValues : public WordValueLookup {
  public:
    std::map<std::string, int> values;
    mutable std::string lastForm, lastPinyin;
    mutable int lastLength = 0;
    int wordValue(std::string_view form, int length, std::string_view pinyin) const override {
        lastForm = form, lastLength = length, lastPinyin = pinyin;
        const auto it = values.find(std::string(form));
        return it == values.end() ? -1 : it->second;
    }
};

std::vector<std::string> characters(const ResultList& list) {
    std::vector<std::string> out;
    for (size_t i = 0; i < list.size(); ++i) out.push_back(utf16ToUtf8(list.at(i).character));
    return out;
}

}  // namespace

TEST(SortKey, FourGroups) {
    EXPECT_EQ(sortKey("中", "zhong1", 0x10), "   zhong1  116");
    EXPECT_EQ(sortKey("中国", "Zhong1 guo2", 3), "  zhong1 guo2  103");
    EXPECT_EQ(sortKey("中", "zhong4", -1), " zhong4  X");
    EXPECT_EQ(sortKey("中国", "Zhong1 guo2", -1), "zhong1 guo2  X");
    // Favorites: (v AND 15), then v shifted right as unsigned.
    EXPECT_EQ(sortKey("中国", "zhong1 guo2", -101), "zhong1 guo2  11268435449");
    EXPECT_EQ(sortKey("中", "zhong1", 5 - 100), " zhong1  1268435450");
}

TEST(RowColours, FavoriteBeforeFrequency) {
    EXPECT_EQ(rowColour(-1), RowColour::Default);
    EXPECT_EQ(rowColour(0x20), RowColour::Frequent);
    EXPECT_EQ(rowColour(0x31), RowColour::FairlyFrequent);
    EXPECT_EQ(rowColour(0x32), RowColour::Default);
    EXPECT_EQ(rowColour(-100), RowColour::Favorite);  // listed class 0, favorite
    EXPECT_EQ(rowColour(-101), RowColour::Favorite);  // unlisted favorite
    EXPECT_EQ(colourValue(RowColour::Favorite, 0), 0x008AF6u);
    EXPECT_EQ(colourValue(RowColour::Frequent, 0), 0xFF3520u);
    EXPECT_EQ(colourValue(RowColour::FairlyFrequent, 0), 0xA00000u);
    EXPECT_EQ(colourValue(RowColour::Default, 7), 7u);
}

TEST(ResultRows, CellsOfADictionaryLine) {
    FakeValues values;
    values.values["中国"] = 0x11;
    ResultList list(values);
    ASSERT_EQ(list.add("中國 中国 [Zhong1 guo2] /China/Middle Kingdom/", 2), 1);
    const ResultRow& row = list.at(0);
    EXPECT_EQ(utf16ToUtf8(row.character), "中国");
    EXPECT_EQ(utf16ToUtf8(row.pinyin), "Zhōng guó");
    EXPECT_EQ(utf16ToUtf8(row.translation), "China/Middle Kingdom");
    EXPECT_EQ(utf16ToUtf8(row.equivalent), "1中國");
    EXPECT_EQ(row.wordValue, 0x11);
    EXPECT_EQ(row.colour, RowColour::FairlyFrequent);
    EXPECT_EQ(values.lastForm, "中国");
    EXPECT_EQ(values.lastLength, 2);
    EXPECT_EQ(values.lastPinyin, "Zhong1 guo2");

    list.add("吃 吃 [chi1] /to eat", 1);  // no closing slash: nothing cut
    const ResultRow& same = list.added(1);
    EXPECT_TRUE(same.equivalent.empty());
    EXPECT_EQ(utf16ToUtf8(same.translation), "to eat");
    EXPECT_EQ(same.colour, RowColour::Default);
}

TEST(ResultRows, ListedCharactersThenListedWordsThenTheRest) {
    FakeValues values;
    values.values = {{"马", 0x12}, {"马上", 0x20}, {"吗", -99}, {"骂", -101}};
    ResultList list(values);
    list.add("馬車 马车 [ma3 che1] /cart/", 2);       // unlisted word
    list.add("罵 骂 [ma4] /to scold/", 2);            // unlisted favorite character
    list.add("馬上 马上 [ma3 shang4] /at once/", 2);  // listed word
    list.add("嗎 吗 [ma5] /particle/", 2);            // listed favorite character
    list.add("麻 麻 [ma2] /hemp/", 2);                // unlisted character
    list.add("馬 马 [ma3] /horse/", 2);               // listed character
    list.add("女 女 [nu:3] /woman/", 2);              // unlisted character
    EXPECT_EQ(characters(list),
              (std::vector<std::string>{"马", "马上", "麻", "骂", "吗", "女", "马车"}));
    EXPECT_EQ(list.at(3).colour, RowColour::Favorite);
}

TEST(ResultRows, BareTextAndEmptySortKey) {
    FakeValues values;
    ResultList list(values);
    list.add("好", -1);
    EXPECT_EQ(list.at(0).sortKey, " zzzzzz");
    EXPECT_TRUE(list.at(0).pinyin.empty());
    list.add("女 女 [nu:3] /woman/", 2, /*emptySortKey=*/true);
    EXPECT_EQ(utf16ToUtf8(list.at(0).character), "女");  // empty key sorts first
    EXPECT_EQ(list.at(0).sortKey, "");
}

TEST(ResultRows, ClearEmptiesEverything) {
    FakeValues values;
    ResultList list(values);
    list.add("吃 吃 [chi1] /to eat/", 2);
    list.clear();
    EXPECT_EQ(list.size(), 0u);
    EXPECT_EQ(list.size(), 0u);
    list.add("吃 吃 [chi1] /to eat/", 2);
    EXPECT_EQ(list.at(0).id, 0);
}

// The UTF-8 cells say what the UTF-16 cells say, in both orders, also for
// broken bytes, a bare text and a row whose forms are the same.
TEST(ResultList, Utf8CellsAreTheCellsInUtf8) {
    FakeValues values;
    values.values["中国"] = 3;
    ResultList list(values);
    list.add("中國 中国 [Zhong1 guo2] /China/Middle Kingdom/", 2);
    list.add("中 中 [zhong1] /center/", 1);
    list.add("\xE4\xB8 x [lu:4 *] /bad \xFF byte/", 1);
    list.add("好", -1);
    list.add("a b [A1 ma5] no slash", 2);
    for (bool listOrder : {true, false}) {
        for (size_t i = 0; i < list.size(); ++i) {
            const ResultRow& row = listOrder ? list.at(i) : list.added(i);
            const ResultList::Utf8Cells cells = list.utf8Cells(i, listOrder);
            EXPECT_EQ(cells.character, utf16ToUtf8(row.character));
            EXPECT_EQ(cells.pinyin, utf16ToUtf8(row.pinyin));
            EXPECT_EQ(cells.translation, utf16ToUtf8(row.translation));
            EXPECT_EQ(cells.equivalent, utf16ToUtf8(row.equivalent));
            EXPECT_EQ(cells.wordValue, row.wordValue);
        }
    }
    EXPECT_EQ(list.utf8Cells(0, false).equivalent, "1中國");
    EXPECT_EQ(list.utf8Cells(2, false).character, "\xEF\xBF\xBD");
}
