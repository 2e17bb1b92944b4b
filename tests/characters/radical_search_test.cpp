#include "characters/radical_search.hpp"

#include <gtest/gtest.h>

#include <algorithm>

#include "characters/char_types.hpp"
#include "characters/components.hpp"
#include "characters/radicals.hpp"
#include "tests/support/character_files.hpp"
#include "tests/support/le_bytes.hpp"
#include "tests/support/temp_dir.hpp"

using tulvo::dictionary::kBothForms;
using tulvo::dictionary::kSimplifiedOnly;
using tulvo::dictionary::kTraditionalOnly;

using namespace tulvo::characters;
using tulvo::testing::TempDir;

namespace {

std::vector<std::u16string> labels(const RadicalTable& table) {
    std::vector<std::u16string> out;
    for (const auto& row : table.rows()) out.push_back(row[0]);
    return out;
}

}  // namespace

TEST(RadicalTable, RowsLabelsAndCellList) {
    // Line 1: nine radicals (wraps after column 8), line 2: none, line 3: one.
    std::vector<std::vector<std::u16string>> lines = {
        {u"一", u"丨", u"丶", u"丿", u"乙乚", u"亅", u"a", u"b", u"c"}, {}, {u"口"}};
    const RadicalTable table = RadicalTable::parse(radicalsFileBytes(lines));
    EXPECT_EQ(labels(table), (std::vector<std::u16string>{u"1", u"", u"3", u"4"}));
    EXPECT_EQ(*table.cell(5, 0), u"乙乚");
    EXPECT_EQ(*table.cell(1, 1), u"c");
    EXPECT_EQ(*table.cell(1, 2), u"口");
    EXPECT_EQ(table.cell(9, 0), nullptr);
    EXPECT_EQ(table.cell(1, 4), nullptr);
    ASSERT_EQ(table.cellList().size(), 10u);
    EXPECT_EQ(table.cellList()[0], "1,0");
    EXPECT_EQ(table.cellList()[8], "1,1");
    EXPECT_EQ(table.radicalNumber("1,2"), 9);
    EXPECT_EQ(table.radicalNumber("2,2"), -1);
}

TEST(RadicalTable, DamagedOrMissingFiles) {
    // Nothing: the first label and no radicals.
    for (const std::string& bytes : {std::string(), std::string("\xFF\xFE"), std::string("\xFF")}) {
        const RadicalTable table = RadicalTable::parse(bytes);
        ASSERT_EQ(table.rows().size(), 1u);
        EXPECT_EQ(table.rows()[0][0], u"1");
        EXPECT_TRUE(table.cellList().empty());
    }
    EXPECT_TRUE(readRadicalTable("no/such/radicals.txt").cellList().empty());
    // Text not closed by a TAB is no cell; no byte-order mark is no loss.
    const RadicalTable table = RadicalTable::parse(tulvo::testing::units(u"一\t丨\r\n二"));
    ASSERT_EQ(table.cellList().size(), 1u);
    EXPECT_EQ(*table.cell(1, 0), u"一");
    // The table ends with the line of 17 strokes: later lines add nothing.
    std::vector<std::vector<std::u16string>> lines(20, std::vector<std::u16string>{u"x"});
    const RadicalTable full = RadicalTable::parse(radicalsFileBytes(lines));
    EXPECT_EQ(full.cellList().size(), 17u);
    EXPECT_EQ(full.rows().back()[0], u"17");
}

TEST(MultiradixFile, ListsAndDamage) {
    const std::string bytes = multiradixBytes({{u'好', u'妈'}, {}, {u'好', u'字', u'好'}});
    const auto file = MultiradixFile::fromBytes(bytes);
    ASSERT_EQ(file.radicalCount(), 3);
    EXPECT_EQ(file.list(0), (std::vector<char16_t>{u'好', u'妈'}));
    EXPECT_TRUE(file.list(1).empty());
    EXPECT_EQ(file.list(2).size(), 3u);
    EXPECT_TRUE(file.list(3).empty());
    EXPECT_TRUE(file.list(-1).empty());
    // Cut inside the last list: that list's end lies beyond the file.
    const auto cut = MultiradixFile::fromBytes(bytes.substr(0, bytes.size() - 1));
    EXPECT_EQ(cut.list(0).size(), 2u);
    EXPECT_TRUE(cut.list(2).empty());
    // A count whose offset table does not fit, and offsets out of order.
    EXPECT_EQ(MultiradixFile::fromBytes(bytes.substr(0, 12)).radicalCount(), 0);
    std::string swapped = bytes;
    swapped[4] = char(0x7F);  // list 0 starts after it ends
    EXPECT_TRUE(MultiradixFile::fromBytes(swapped).list(0).empty());
    EXPECT_EQ(MultiradixFile("no/such/multiradix.dat").radicalCount(), 0);
}

class RadicalSearchTest : public ::testing::Test {
  protected:
    void SetUp() override {
        // clang-format off
        files.chartypes = dir.write("chartypes.txt", tulvo::testing::charTypesFile({
            {u'好', 6, kFormBoth}, {u'妈', 6, kFormSimplifiedOnly}, {u'河', 8, kFormBoth},
            {u'沐', 7, kFormBoth}, {u'陈', 7, kFormSimplifiedOnly},
            {u'媽', 13, kFormTraditionalOnly}}));
        // 她 has no stroke count (form type 0); 沐 is filed under the side
        // form; 邦 is never found through 阝.
        std::vector<tulvo::testing::ComponentEntry> records = {
            {u'媽', u'女', 10}, {u'好', u'女', 3}, {u'妈', u'女', 3}, {u'她', u'女', 3},
            {u'河', u'水', 5}, {u'沐', u'氵', 4}, {u'陈', u'阜', 5}, {u'邦', u'阝', 4}};
        // clang-format on
        for (int i = 0; i < 11; ++i) records.push_back({char16_t(0x5A00 + i), u'女', 1});
        files.components = dir.write("components.dat", tulvo::testing::componentsFile(records));

        dir.write(
            "radicals.txt",
            radicalsFileBytes({{}, {}, {u"女", u"子", u"口"}, {u"水氵"}, {}, {}, {}, {u"阜阝"}}));
        table = readRadicalTable(dir / "radicals.txt");
        // Cells 0 女, 1 子, 2 口, 3 水氵, 4 阜阝; 好 twice under 口 as a
        // damaged list would have it.
        files.multiradix =
            dir.write("multiradix.dat", multiradixBytes({{u'好', u'妈', u'媽', u'她'},
                                                         {u'好', u'字'},
                                                         {u'好', u'好', u'河'},
                                                         {u'河', u'沐'},
                                                         {u'陈'}}));
    }

    // The key of the cell holding `text`.
    std::string key(std::u16string_view text) const {
        for (size_t row = 0; row < table.rows().size(); ++row)
            for (int column = 1; column < kRadicalColumns; ++column)
                if (table.rows()[row][size_t(column)] == text)
                    return radicalCellKey(column, int(row));
        return {};
    }

    TempDir dir;
    RadicalFiles files;
    RadicalTable table;
};

TEST_F(RadicalSearchTest, SingleRadicalLinesKeysAndForms) {
    EXPECT_EQ(radicalKeys(u"阜阝⺮a"), std::vector<char16_t>{u'阜'});
    // Sorted by residual strokes, then code; 媽 hidden under preference 0.
    EXPECT_EQ(singleRadicalLines(files.components, files.chartypes, u"女", kSimplifiedOnly).front(),
              "001 23040");
    const auto lines =
        singleRadicalLines(files.components, files.chartypes, u"女", kSimplifiedOnly);
    EXPECT_EQ(lines.size(), 14u);
    EXPECT_EQ(lines[11], "003 22905");  // 她
    EXPECT_EQ(lines[12], "003 22909");  // 好
    EXPECT_EQ(lines[13], "003 22920");  // 妈
    EXPECT_EQ(singleRadicalLines(files.components, files.chartypes, u"女", kBothForms).size(), 15u);
    const auto traditional =
        singleRadicalLines(files.components, files.chartypes, u"女", kTraditionalOnly);
    EXPECT_EQ(traditional.size(), 14u);
    EXPECT_EQ(std::count(traditional.begin(), traditional.end(), "003 22920"), 0);
    // Side and full form in one cell find both; 阝 is never a key.
    EXPECT_EQ(singleRadicalLines(files.components, files.chartypes, u"水氵", kBothForms).size(),
              2u);
    EXPECT_EQ(singleRadicalLines(files.components, files.chartypes, u"阜阝", kBothForms),
              std::vector<std::string>{"005 38472"});
    EXPECT_TRUE(singleRadicalLines(files.components, files.chartypes, u"阝", kBothForms).empty());
    EXPECT_TRUE(singleRadicalLines("no/such/file", files.chartypes, u"女", kBothForms).empty());
}

TEST_F(RadicalSearchTest, GridLabelsRowsAndColours) {
    RadicalSearch search(table, files, [](char16_t code) {
        return code == u'好' ? 16 : code == u'她' ? -101 : -1;
    });
    const std::string woman = key(u"女");
    const size_t comma = woman.find(',');
    ASSERT_TRUE(search.leftClickRadical(std::stoi(woman.substr(0, comma)),
                                        std::stoi(woman.substr(comma + 1)), kBothForms));
    EXPECT_EQ(search.tab(), RadicalSearch::kResultsTab);
    const ResultsGrid& grid = search.results();
    // 11 characters of +1 (ten, then one on an unlabelled row), then +3, +10.
    ASSERT_EQ(grid.size(), 4u);
    EXPECT_EQ(grid[0].label, u"+1");
    EXPECT_EQ(grid[0].cells.size(), 10u);
    EXPECT_EQ(grid[1].label, u"");
    EXPECT_EQ(grid[1].cells.size(), 1u);
    EXPECT_EQ(grid[2].label, u"+3");
    ASSERT_EQ(grid[2].cells.size(), 3u);
    EXPECT_EQ(grid[2].cells[0].character, u'她');
    EXPECT_EQ(grid[2].cells[0].colour, kFavoriteOrange);
    EXPECT_EQ(grid[2].cells[1].colour, kFrequentBlue);  // 好
    EXPECT_EQ(grid[2].cells[2].colour, kTextBlack);
    EXPECT_EQ(grid[3].label, u"+10");

    // Label column and empty cells choose nothing; a character closes the window.
    search.open();
    EXPECT_FALSE(search.clickResult(0, 2));
    EXPECT_FALSE(search.clickResult(5, 2));
    EXPECT_FALSE(search.clickResult(1, 9));
    EXPECT_TRUE(search.isOpen());
    EXPECT_EQ(search.clickResult(2, 2), u'好');
    EXPECT_FALSE(search.isOpen());
    // Empty and outside cells are no radical.
    EXPECT_FALSE(search.leftClickRadical(8, 0, kBothForms));
    EXPECT_FALSE(search.rightClickRadical(0, 0));
}

TEST(RadicalGrid, LinesThatAreNotTwoNumbersAreSkipped) {
    // Only "count code", both whole decimal numbers and the code one unit.
    const ResultsGrid grid =
        resultsGridFromLines({"003 22909", "004 22920x", "4x 22921", "005 ", " 22922", "006 65536",
                              "007 -1", "008 22923 9", "999 22924"},
                             GroupLabels::Total, {}, {});
    ASSERT_EQ(grid.size(), 2u);
    EXPECT_EQ(grid[0].label, u"3");
    ASSERT_EQ(grid[0].cells.size(), 1u);
    EXPECT_EQ(grid[0].cells[0].character, char16_t(22909));
    EXPECT_EQ(grid[1].label, u"??");
    EXPECT_EQ(grid[1].cells[0].character, char16_t(22924));
}

TEST_F(RadicalSearchTest, MultiRadicalSearch) {
    RadicalSearch search(table, files, {});
    auto mark = [&](std::u16string_view text) {
        const std::string k = key(text);
        const size_t comma = k.find(',');
        return search.rightClickRadical(std::stoi(k.substr(0, comma)),
                                        std::stoi(k.substr(comma + 1)));
    };
    search.open();
    ASSERT_TRUE(mark(u"女"));
    ASSERT_TRUE(mark(u"子"));
    EXPECT_EQ(search.selection().size(), 2u);
    search.selectTab(RadicalSearch::kResultsTab, kBothForms);
    ASSERT_EQ(search.results().size(), 1u);
    EXPECT_EQ(search.results()[0].label, u"6");
    ASSERT_EQ(search.results()[0].cells.size(), 1u);
    EXPECT_EQ(search.results()[0].cells[0].character, u'好');

    // Unmarking leaves the selection empty; the results tab then keeps the grid.
    search.selectTab(RadicalSearch::kSelectionTab, kBothForms);
    mark(u"女");
    mark(u"子");
    EXPECT_TRUE(search.selection().empty());
    search.selectTab(RadicalSearch::kResultsTab, kBothForms);
    EXPECT_EQ(search.results()[0].cells[0].character, u'好');

    // A character twice on one list counts twice.
    const auto lines = multiRadicalLines(table, MultiradixFile(files.multiradix), files.chartypes,
                                         {key(u"口"), key(u"水氵")});
    EXPECT_EQ(lines, (std::vector<std::string>{"006 22909", "008 27827"}));

    // No stroke count: "??", last; filtered by the preference.
    mark(u"女");
    search.selectTab(RadicalSearch::kResultsTab, kSimplifiedOnly);
    ASSERT_EQ(search.results().size(), 2u);
    EXPECT_EQ(search.results()[0].label, u"6");
    EXPECT_EQ(search.results()[0].cells.size(), 2u);  // 好 妈, not 媽
    EXPECT_EQ(search.results()[1].label, u"??");
    EXPECT_EQ(search.results()[1].cells[0].character, u'她');

    // Opening again empties the selection but keeps the results.
    search.open();
    EXPECT_TRUE(search.selection().empty());
    EXPECT_FALSE(search.results().empty());
    EXPECT_EQ(search.tab(), RadicalSearch::kSelectionTab);

    // A key not in the cell list still counts, so nothing is found.
    EXPECT_TRUE(multiRadicalLines(table, MultiradixFile(files.multiradix), files.chartypes,
                                  {key(u"女"), "8,40"})
                    .empty());
    EXPECT_TRUE(
        multiRadicalLines(table, MultiradixFile("no/such/file"), files.chartypes, {key(u"女")})
            .empty());
}

TEST(RadicalGrid, HitTestRoundsToNearest) {
    // Radical grid: column width 69, rows 40 high, first visible row 2.
    EXPECT_EQ(hitTestGrid(69, 11, 2, 69, 40, false).column, 1);
    EXPECT_EQ(hitTestGrid(103, 11, 2, 69, 40, false).column, 1);
    EXPECT_EQ(hitTestGrid(104, 11, 2, 69, 40, false).column, 2);
    EXPECT_EQ(hitTestGrid(0, 51, 2, 69, 40, false).row, 3);
    EXPECT_EQ(hitTestGrid(0, 31, 2, 69, 40, false).row, 2);  // half a row: to even
    EXPECT_EQ(hitTestGrid(35 + 70, 11, 0, 35, 40, true).column, 2);
    EXPECT_EQ(hitTestGrid(10, 10, 0, 0, 40, true).column, -1);
}
