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

TEST(RowColours, FavoriteBeforeFrequency) {
    const std::pair<int, RowColour> cases[] = {
        {-1, RowColour::Default},
        {0x20, RowColour::Frequent},
        {0x31, RowColour::FairlyFrequent},
        {0x32, RowColour::Default},
        {0x00 - kFavoriteMark, RowColour::Favorite},  // listed class 0, favorite
        {-1 - kFavoriteMark, RowColour::Favorite},    // unlisted favorite
        {0x63 - kFavoriteMark, RowColour::Favorite},  // HSK 6, class 3
        {0xFF - kFavoriteMark, RowColour::Favorite}};
    for (auto [value, colour] : cases) EXPECT_EQ(rowColour(value), colour) << value;
}

// Every value keeps its favorite mark, and loses it again, whatever its HSK
// level: a mark inside the value range would read 颠簸 (HSK 6, class 3) as
// no favorite at all.
TEST(FavoriteMark, EveryValueKeepsItsMark) {
    for (int value = -1; value <= 255; ++value) {
        const int marked = toggledFavorite(value);
        EXPECT_TRUE(isFavoriteValue(marked)) << value;
        EXPECT_EQ(unmarkedValue(marked), value);
        EXPECT_EQ(toggledFavorite(marked), value);
        EXPECT_FALSE(isFavoriteValue(value));
    }
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

TEST(ResultRows, GroupsThenFrequencyClassThenPinyinInAnyAddingOrder) {
    // In list order: listed characters, then listed words, each by frequency
    // class, then by pinyin (whatever its case), then listed HSK levels
    // before no level; then the other characters and then the other words,
    // favorites among them by their class, before the unlisted rows. A
    // variant entry follows the listed rows of its group, and so does a
    // character whose other form is too rare to be listed (秖 for 只).
    const struct {
        const char* form;
        const char* line;
        int value;
    } rows[] = {{"钟", "鐘 钟 [zhong1] /clock/", 0x10},
                {"吗", "嗎 吗 [ma3] /what?/", 0x62},  // class 2, HSK 6: not pushed down
                {"马", "馬 马 [ma3] /horse/", 0x02},  // class 2, no HSK level
                {"中", "中 中 [zhong1] /middle/", 0x03},
                {"才", "纔 才 [cai2] /variant of 才[cai2]/", 0x10},
                {"只", "秖 只 [zhi1] /grain that has begun to ripen/", 0x00},
                {"马上", "馬上 马上 [ma3 shang4] /at once/", 0x20},
                {"中国", "中國 中国 [Zhong1 guo2] /China/", 0x11},
                {"嘛", "嘛 嘛 [ma5] /particle/", 0x63 - kFavoriteMark},  // listed favorite
                {"麻", "麻 麻 [ma2] /hemp/", -1},
                {"骂", "罵 骂 [ma4] /to scold/", -1 - kFavoriteMark},  // unlisted favorite
                {"女", "女 女 [nu:3] /woman/", -1},
                {"马车", "馬車 马车 [ma3 che1] /cart/", -1}};
    const int n = int(std::size(rows));
    FakeValues values;
    std::vector<std::string> expected;
    for (const auto& row : rows) {
        values.values[row.form] = row.value;
        // The traditional forms are listed too, all but the rare one.
        const std::string other = std::string(row.line).substr(0, std::string(row.line).find(' '));
        if (other != "秖") values.values.emplace(other, row.value);
        expected.push_back(row.form);
    }
    // Sorted as one batch, or as two that are merged (a window gets its rows
    // in batches).
    for (int start = 0; start < n; ++start) {
        for (int step : {1, n - 1}) {  // forwards and backwards from `start`
            for (int batch : {n, n / 3}) {
                ResultList list(values);
                for (int i = 0; i < n; ++i) {
                    list.add(rows[(start + i * step) % n].line, 2);
                    if (i + 1 == batch) list.sortNewRows();
                }
                list.sortNewRows();
                EXPECT_EQ(characters(list), expected) << start << " " << step << " " << batch;
                EXPECT_EQ(list.at(8).colour, RowColour::Favorite);
            }
        }
    }
}

TEST(ResultRows, GroupsKeepTheirOrderAndTheirRowsTheListOrder) {
    FakeValues values;
    values.values["我"] = 0x10;
    values.values["中文"] = 0x20;
    ResultList list(values);
    list.add("中文 中文 [Zhong1 wen2] /Chinese/", 2, false, 1);
    list.add("我 我 [wo3] /I/", 2, false, 0);
    list.add("鍾 钟 [zhong1] /cup/", 2, false, 1);
    list.sortNewRows();
    EXPECT_EQ(characters(list), (std::vector<std::string>{"我", "中文", "钟"}));
}

TEST(ResultRows, BareTextAndEmptySortKey) {
    FakeValues values;
    ResultList list(values);
    list.add("好", -1);
    EXPECT_EQ(list.at(0).sortKey, " zzzzzz");
    EXPECT_TRUE(list.at(0).pinyin.empty());
    list.add("女 女 [nu:3] /woman/", 2, /*emptySortKey=*/true);
    EXPECT_EQ(utf16ToUtf8(list.at(1).character), "女");  // not yet sorted: as added
    list.sortNewRows();
    EXPECT_EQ(utf16ToUtf8(list.at(0).character), "女");  // empty key sorts first
    EXPECT_EQ(list.at(0).sortKey, "");
}

TEST(ResultRows, ClearEmptiesEverything) {
    FakeValues values;
    ResultList list(values);
    list.add("吃 吃 [chi1] /to eat/", 2);
    list.clear();
    EXPECT_EQ(list.size(), 0u);
    list.add("吃 吃 [chi1] /to eat/", 2);
    EXPECT_EQ(list.at(0).id, 0);
}

// The UTF-8 cells and the UTF-8 line say what the UTF-16 cells say, in both
// orders, also for broken bytes, a bare text and a row whose forms are the
// same.
TEST(ResultList, Utf8CellsAreTheCellsInUtf8) {
    FakeValues values;
    values.values["中国"] = 3;
    ResultList list(values);
    list.add("中國 中国 [Zhong1 guo2] /China/Middle Kingdom/", 2);
    list.add("中 中 [zhong1] /center/", 1);
    list.add("\xE4\xB8 x [lu:4 *] /bad \xFF byte/", 1);
    list.add("好", -1);
    list.add("a b [A1 ma5] no slash", 2);
    list.sortNewRows();
    for (bool listOrder : {true, false}) {
        for (size_t i = 0; i < list.size(); ++i) {
            const ResultRow& row = listOrder ? list.at(i) : list.added(i);
            const ResultList::Utf8Cells cells = list.utf8Cells(i, listOrder);
            EXPECT_EQ(cells.character, utf16ToUtf8(row.character));
            EXPECT_EQ(cells.pinyin, utf16ToUtf8(row.pinyin));
            EXPECT_EQ(cells.translation, utf16ToUtf8(row.translation));
            EXPECT_EQ(cells.equivalent, utf16ToUtf8(row.equivalent));
            EXPECT_EQ(cells.wordValue, row.wordValue);
            std::string line = "x";
            list.appendUtf8Line(i, listOrder, line);
            EXPECT_EQ(line, "x" + utf16ToUtf8(row.character) + "\t" + utf16ToUtf8(row.pinyin) +
                                "\t" + utf16ToUtf8(row.translation) + "\t" +
                                utf16ToUtf8(row.equivalent) + "\t" + std::to_string(row.wordValue) +
                                "\n");
        }
    }
    EXPECT_EQ(list.utf8Cells(0, false).equivalent, "1中國");
    EXPECT_EQ(list.utf8Cells(2, false).character, "\xEF\xBF\xBD");
}

TEST(ResultRows, KeepTheirTextsWholeAcrossBlocksAndAClear) {
    // Rows of every size, one longer than any block the list starts with,
    // up to the cap; after a clear the same memory takes new rows.
    FakeValues values;
    ResultList list(values);
    const auto lineOf = [](size_t i) {
        const size_t length = i == 7 ? 300000 : i % 50;
        return "中 中 [zhong1] /" + std::string(length, char('a' + i % 26)) + "/" +
               std::to_string(i) + "/";
    };
    for (int round = 0; round < 2; ++round) {
        list.clear();
        size_t added = 0;
        for (size_t i = 0; i < ResultList::kCap + 3; ++i) added += list.add(lineOf(i + round), 2);
        EXPECT_EQ(added, ResultList::kCap);
        list.sortNewRows();
        for (size_t i = 0; i < list.size(); ++i)
            ASSERT_EQ(list.added(i).source, lineOf(i + round)) << round << " " << i;
    }
}
