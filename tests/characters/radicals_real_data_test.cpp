// The radical, component and stroke-order lookups on the real data files,
// run in the program directory.
#include <gtest/gtest.h>

#include <algorithm>

#include "characters/component_search.hpp"
#include "characters/radical_search.hpp"
#include "characters/stroke_order.hpp"
#include "dictionary/dictionary_file.hpp"

using tulvo::dictionary::kBothForms;
using tulvo::dictionary::kSimplifiedOnly;

using namespace tulvo::characters;

namespace {

// The key of the cell whose text holds `unit`, searching from the end so
// that 阝 gives the cell of 阜 rather than that of 邑.
std::pair<int, int> cellWith(const RadicalTable& table, char16_t unit) {
    for (size_t row = table.rows().size(); row-- > 0;)
        for (int column = 1; column < kRadicalColumns; ++column)
            if (table.rows()[row][size_t(column)].find(unit) != std::u16string::npos)
                return {column, int(row)};
    return {-1, -1};
}

const GridCell* find(const ResultsGrid& grid, char16_t code, std::u16string* label) {
    std::u16string current;
    for (const ResultsRow& row : grid) {
        if (!row.label.empty()) current = row.label;
        for (const GridCell& cell : row.cells)
            if (cell.character == code) {
                *label = current;
                return &cell;
            }
    }
    return nullptr;
}

}  // namespace

TEST(RealRadicals, SingleAndMultiRadicalSearch) {
    const RadicalTable table = readRadicalTable(kRadicalsPath);
    ASSERT_EQ(table.cellList().size(), 214u);
    RadicalSearch search(table, RadicalFiles{}, [](char16_t) { return -1; });
    search.open();

    const auto woman = cellWith(table, u'女');
    ASSERT_TRUE(search.leftClickRadical(woman.first, woman.second, kBothForms));
    std::u16string label;
    ASSERT_TRUE(find(search.results(), u'好', &label));
    EXPECT_EQ(label, u"+3");

    // 阝's cell finds nothing through 阝 but 陈 and 院 through 阜.
    const auto mound = cellWith(table, u'阝');
    ASSERT_TRUE(search.leftClickRadical(mound.first, mound.second, kBothForms));
    EXPECT_TRUE(find(search.results(), u'陈', &label));
    EXPECT_TRUE(find(search.results(), u'院', &label));
    // Water's side form: 河 is filed under 水.
    const auto water = cellWith(table, u'氵');
    ASSERT_TRUE(search.leftClickRadical(water.first, water.second, kSimplifiedOnly));
    EXPECT_TRUE(find(search.results(), u'河', &label));

    search.open();
    const auto child = cellWith(table, u'子');
    ASSERT_TRUE(search.rightClickRadical(woman.first, woman.second));
    ASSERT_TRUE(search.rightClickRadical(child.first, child.second));
    search.selectTab(RadicalSearch::kResultsTab, kBothForms);
    ASSERT_TRUE(find(search.results(), u'好', &label));
    EXPECT_EQ(label, u"6");
    EXPECT_FALSE(find(search.results(), u'妈', &label));
}

TEST(RealComponents, CharactersBuiltOnWoman) {
    const auto rows =
        componentSearch(kComponentsPath, tulvo::dictionary::kDictionaryPath, u'女', kBothForms);
    ASSERT_TRUE(rows);
    ASSERT_GT(rows->size(), 100u);
    // 女's own entries first, then 好 and the others.
    EXPECT_EQ(rows->front().line.substr(0, 4), "女 ");
    const auto firstOther = std::find_if(rows->begin(), rows->end(), [](const EntryTriple& t) {
        return t.line.substr(0, 4) != "女 ";
    });
    EXPECT_TRUE(std::none_of(firstOther, rows->end(),
                             [](const EntryTriple& t) { return t.line.substr(0, 4) == "女 "; }));
    EXPECT_TRUE(std::any_of(firstOther, rows->end(),
                            [](const EntryTriple& t) { return t.line.substr(0, 4) == "好 "; }));
}

TEST(RealStrokeOrder, EveryCharacterHasARecord) {
    const StrokeOrderFile file(kStrokeOrderPath);
    const auto codes = file.codes();
    ASSERT_GT(codes.size(), 9000u);
    EXPECT_EQ(codes.size(), file.count());
    size_t missing = 0;
    for (char16_t code : codes)
        if (!file.lookup(code)) ++missing;
    EXPECT_EQ(missing, 0u);

    const auto one = file.lookup(u'一');
    ASSERT_TRUE(one);
    ASSERT_EQ(one->size(), 1u);
    const auto sweep = sweepList((*one)[0]);
    ASSERT_GT(sweep.size(), 20u);
    for (size_t i = 1; i < sweep.size(); ++i) ASSERT_LE(sweep[i - 1].x, sweep[i].x);
    EXPECT_LT(sweep.front().x, 50);
    EXPECT_GT(sweep.back().x, 200);
}
