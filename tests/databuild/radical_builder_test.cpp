#include "tools/databuild/radical_builder.hpp"
#include "tools/databuild/stroke_order_builder.hpp"

#include <gtest/gtest.h>

#include <algorithm>

using namespace tulvo::databuild;
using tulvo::characters::GlyphPoint;

namespace {

// All 214 radicals as CJKRadicals.txt maps them: U+4E00 + number as a
// stand-in ordinary character, with 人, 阜 and 邑 real.
std::map<std::string, char32_t> radicalMap() {
    std::map<std::string, char32_t> radicals;
    for (int number = 1; number <= 214; ++number)
        radicals[std::to_string(number)] = 0x5000 + number;
    radicals["9"] = U'人';
    radicals["163"] = U'邑';
    radicals["170"] = U'阜';
    radicals["120'"] = U'纟';
    return radicals;
}

}  // namespace

TEST(RadicalBuilder, StrokeCountsAndCells) {
    // The edges of the one-stroke group, 女 (38), 阜 (170), the last and beyond.
    for (const auto& [radical, strokes] :
         {std::pair{1, 1}, {6, 1}, {7, 2}, {38, 3}, {170, 8}, {214, 17}, {215, 0}})
        EXPECT_EQ(kangxiStrokeCount(radical), strokes) << radical;

    std::string error;
    const auto cells = radicalCellTexts(radicalMap(), &error);
    ASSERT_EQ(cells.size(), 214u) << error;
    EXPECT_EQ(cells[8], u"人亻");
    EXPECT_EQ(cells[119], u"\u5078纟");  // the simplified form follows
    EXPECT_EQ(cells[162], u"邑阝");
    EXPECT_EQ(cells[169], u"阜阝");
    const auto lines = radicalLines(cells);
    ASSERT_EQ(lines.size(), 17u);
    EXPECT_EQ(lines[0].size(), 6u);
    EXPECT_EQ(lines[16].size(), 1u);

    // A variant form that is another radical's character is refused.
    auto clash = radicalMap();
    clash["1"] = U'亻';
    EXPECT_TRUE(radicalCellTexts(clash, &error).empty());
    EXPECT_NE(error.find("share"), std::string::npos);
    auto missing = radicalMap();
    missing.erase("100");
    EXPECT_TRUE(radicalCellTexts(missing, &error).empty());
}

TEST(RadicalBuilder, MultiradixListsFollowTheWholeDecomposition) {
    Decompositions decompositions = {
        {"想", {"相", "心"}}, {"相", {"木", "目"}}, {"林", {"木", "木"}},    {"陈", {"阝", "东"}},
        {"都", {"者", "阝"}}, {"他", {"亻", "也"}}, {"怎", {"10001", "心"}}, {"10001", {"乍"}},
    };
    std::vector<tulvo::characters::ComponentRecord> records(1);
    records[0].code = u'从';
    records[0].radical = u'人';
    const std::vector<std::u16string> cells = {u"木", u"心忄", u"邑阝", u"阜阝", u"人亻", u"乍"};
    const auto lists = multiradixLists(cells, decompositions, records);
    ASSERT_EQ(lists.size(), cells.size());
    EXPECT_EQ(lists[0], (std::vector<char16_t>{u'想', u'林', u'相'}));  // 林 once; by code
    EXPECT_EQ(lists[1], (std::vector<char16_t>{u'怎', u'想'}));
    EXPECT_EQ(lists[2], (std::vector<char16_t>{u'都', u'陈'}));  // either side
    EXPECT_EQ(lists[3], lists[2]);
    EXPECT_EQ(lists[4], (std::vector<char16_t>{u'从', u'他'}));  // 从 by its filing radical
    EXPECT_EQ(lists[5], (std::vector<char16_t>{u'怎'}));         // through a numbered part
}

TEST(StrokeOrderBuilder, OutlinesDirectionsAndFlags) {
    // A square: 1024 units, y up from the baseline at 900.
    const auto square = flattenOutline("M 0 900 L 512 900 L 512 388 L 0 388 Z");
    ASSERT_TRUE(square);
    EXPECT_EQ(*square, (std::vector<GlyphPoint>{{0, 0}, {128, 0}, {128, 128}, {0, 128}, {0, 0}}));
    EXPECT_FALSE(flattenOutline("M 0 0 X 1 2"));
    EXPECT_FALSE(flattenOutline("M 0"));
    // A long curvy outline keeps at most 127 points, closed.
    std::string path = "M 0 0";
    for (int i = 0; i < 60; ++i)
        path += " Q " + std::to_string(10 * i + 5) + " " + std::to_string(i % 2 ? 900 : 0) + " " +
                std::to_string(10 * i + 10) + " " + std::to_string(i % 3 * 300);
    const auto curvy = flattenOutline(path + " Z");
    ASSERT_TRUE(curvy);
    EXPECT_LE(curvy->size(), 127u);
    EXPECT_EQ(curvy->front(), curvy->back());

    // Source y runs up: a median going down-right on screen falls in y.
    // Directions 1 to 8 in turn, then a median of one point.
    const std::vector<std::vector<std::pair<double, double>>> medians = {
        {{100, 500}, {900, 500}}, {{100, 800}, {800, 100}}, {{500, 800}, {510, 100}},
        {{800, 800}, {100, 100}}, {{900, 500}, {100, 520}}, {{800, 100}, {100, 800}},
        {{500, 100}, {500, 800}}, {{100, 100}, {800, 800}}, {{100, 100}}};
    for (size_t k = 0; k < medians.size(); ++k)
        EXPECT_EQ(sweepDirection(medians[k]), k < 8 ? int(k) + 1 : 1) << k;

    std::string error;
    const auto strokes = strokesFromJson(
        R"({"strokes": ["M 0 900 L 8 900 L 8 880 Z", "M 0 0 L 8 0 L 8 8 Z", "M 0 0 L 4 4 L 0 4 Z"],
            "medians": [[[0, 890], [8, 890]], [[4, 8], [4, 0]], [[0, 0], [4, 4]]], "radStrokes": [1, 2]})",
        &error);
    ASSERT_TRUE(strokes) << error;
    ASSERT_EQ(strokes->size(), 3u);
    EXPECT_EQ((*strokes)[0].direction, 1);
    EXPECT_EQ((*strokes)[1].direction, 3);
    EXPECT_EQ((*strokes)[0].colour, 0);
    EXPECT_NE((*strokes)[1].colour, 0);
    EXPECT_NE((*strokes)[0].pause, 0);
    EXPECT_EQ((*strokes)[2].pause, 0);  // the last
    EXPECT_FALSE(strokesFromJson(R"({"strokes": ["M 0 0 L 1 1 Z"], "medians": []})", &error));
    EXPECT_FALSE(strokesFromJson(R"({"strokes": [1], "medians": [[[0, 0]]]})", &error));
    EXPECT_FALSE(strokesFromJson("{", &error));
}
