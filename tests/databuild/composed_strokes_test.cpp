#include "tools/databuild/composed_strokes.hpp"

#include <gtest/gtest.h>

#include "tools/databuild/stroke_order_builder.hpp"

using namespace tulvo::databuild;

namespace {

// A one-stroke "character": a rectangle from (x0, y0) to (x1, y1) in the
// source's units, written left to right along its middle.
SourceStroke box(double x0, double y0, double x1, double y1) {
    SourceStroke s;
    auto n = [](double v) { return std::to_string(int(v)); };
    s.path = "M " + n(x0) + " " + n(y0) + " L " + n(x1) + " " + n(y0) + " Q " + n(x1) + " " +
             n(y1) + " " + n(x1) + " " + n(y1) + " L " + n(x0) + " " + n(y1) + " Z";
    s.median = {{x0, (y0 + y1) / 2}, {x1, (y0 + y1) / 2}};
    return s;
}

// The x range of a stroke's outline, from its flattened polygon (256 square).
std::pair<int, int> xRange(const SourceStroke& stroke) {
    const auto outline = flattenOutline(stroke.path);
    EXPECT_TRUE(outline);
    int lo = 255, hi = 0;
    for (const auto& p : *outline) lo = std::min(lo, p.x), hi = std::max(hi, p.x);
    return {lo, hi};
}

}  // namespace

// Characters the source lacks are composed along their layout: a part drawn
// in the same place of another character is taken as drawn there (女 of 好),
// any other part fitted beside it; an enclosure's inside is written before
// 辶; the filing radical's strokes are marked; a layout that cannot be
// composed (a mirrored part) or a part without strokes gives nothing. The
// result reads back through the stroke-order builder's own JSON reader.
TEST(ComposedStrokes, PartsPlacedByLayoutAndWrittenInOrder) {
    std::map<char32_t, SourceCharacter> strokes = {
        {U'女', {box(100, 0, 900, 800)}},
        {U'子', {box(100, 0, 900, 800)}},
        {U'予', {box(100, 0, 900, 800)}},
        {U'文', {box(100, 0, 900, 800)}},
        {U'辶', {box(50, -100, 950, 850)}},
        // 好 as the source draws it: 女 narrow on the left, 子 on the right.
        {U'好', {box(60, 0, 380, 800), box(450, 0, 960, 800)}},
    };
    const Decompositions decompositions =
        parseCjkDecomp("好:a(女,子)\n妤:a(女,予)\n这:sbl(辶,文)\n北:rrefl(匕)\n吗:a(口,马)\n");
    const std::string text = "好:a(女,子)\n妤:a(女,予)\n这:sbl(辶,文)\n北:rrefl(匕)\n吗:a(口,马)\n";
    CompositionSources sources;
    sources.strokes = &strokes;
    sources.decompositions = &decompositions;
    sources.radicals = {{U'妤', {U'女', false}}, {U'女', {U'女', true}}, {U'这', {U'辶', false}}};
    const auto composed = composeCharacters(sources, text, {U'好', U'妤', U'这', U'北', U'吗'});

    ASSERT_EQ(composed.size(), 2u);  // 好 is in the source; 北 and 吗 cannot be composed
    const SourceCharacter& yu = composed.at(U'妤');
    ASSERT_EQ(yu.size(), 2u);
    EXPECT_EQ(yu[0].path, strokes[U'好'][0].path);  // 女 as drawn in 好
    EXPECT_TRUE(yu[0].radical);
    EXPECT_FALSE(yu[1].radical);
    const auto [left0, left1] = xRange(yu[0]);
    const auto [right0, right1] = xRange(yu[1]);
    EXPECT_GT(right0, left1);  // 予 beside 女, not over it
    EXPECT_LE(right1, 255);
    EXPECT_GT(right1 - right0, 80);

    const SourceCharacter& zhe = composed.at(U'这');
    ASSERT_EQ(zhe.size(), 2u);
    // 文 first, inside 辶 (to its right), then 辶 across the square.
    const auto [in0, in1] = xRange(zhe[0]);
    const auto [out0, out1] = xRange(zhe[1]);
    EXPECT_GT(out1 - out0, 200);
    EXPECT_GT(in0, out0 + 50);
    EXPECT_LT(in1 - in0, 180);
    EXPECT_TRUE(zhe[1].radical);

    // The JSON form reads back as the source does, strokes and flags alike.
    std::string error;
    const auto json = sourceCharacterJson(zhe);
    const auto back = sourceCharacterFromJson(json, &error);
    ASSERT_TRUE(back) << error;
    ASSERT_EQ(back->size(), 2u);
    EXPECT_EQ((*back)[1].path, zhe[1].path);
    EXPECT_TRUE((*back)[1].radical);
    const auto written = strokesFromJson(json, &error);
    ASSERT_TRUE(written) << error;
    EXPECT_EQ((*written)[1].colour, 1);
    EXPECT_EQ((*written)[0].colour, 0);
}

TEST(ComposedStrokes, PathsMovedPointByPoint) {
    EXPECT_EQ(transformPath("M 100 200 Q 300 400 500 600 L 0 0 Z", {0.5, 2, 10, -100}),
              "M 60 300 Q 160 700 260 1100 L 10 -100 Z");
}
