// The recogniser behind the pad's candidates, on characters drawn as fixture
// strokes: the shape feature ignores stroke order and mouse density, the
// shapes file reads back and refuses damage, and a character written in
// another order, with strokes joined, still comes first; the more common of
// two equal shapes leads.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>

#include "handwriting/shape_recognizer.hpp"
#include "tests/handwriting/template_fixtures.hpp"

using namespace tulvo::handwriting;
using namespace tulvo::handwriting::fixtures;

namespace {

using Strokes = std::vector<StrokeF>;

// Characters as straight pieces on the 200-pixel pad.
const Strokes kTen = {{{40, 100}, {160, 100}}, {{100, 40}, {100, 160}}};
const Strokes kMouth = {
    {{50, 50}, {50, 150}}, {{50, 50}, {150, 50}, {150, 150}}, {{50, 150}, {150, 150}}};
const Strokes kSun = {{{60, 30}, {60, 170}},
                      {{60, 30}, {140, 30}, {140, 170}},
                      {{60, 100}, {140, 100}},
                      {{60, 170}, {140, 170}}};
const Strokes kTwo = {{{60, 70}, {140, 70}}, {{30, 140}, {170, 140}}};
const Strokes kPerson = {{{100, 30}, {40, 170}}, {{95, 80}, {165, 170}}};
const Strokes kEight = {{{80, 50}, {40, 160}}, {{120, 50}, {165, 160}}};

CharacterShape shapeOf(char16_t c, const Strokes& strokes, uint8_t frequencyClass = 3) {
    return CharacterShape{c, kOfferedAlways, frequencyClass, shapeFeature(strokes),
                          strokeOutlines(strokes)};
}

std::vector<CharacterShape> fixtureShapes() {
    return {shapeOf(u'十', kTen), shapeOf(u'口', kMouth),  shapeOf(u'日', kSun),
            shapeOf(u'二', kTwo), shapeOf(u'人', kPerson), shapeOf(u'八', kEight)};
}

// The strokes written on the pad through its capture rules, a move every 4 pixels.
Drawing write(const Strokes& strokes) {
    Drawing drawing;
    PadCapture pad(drawing);
    for (const StrokeF& stroke : strokes) {
        pad.penDown(int(stroke[0].x), int(stroke[0].y));
        for (size_t k = 1; k < stroke.size(); ++k) {
            const PointF a = stroke[k - 1], b = stroke[k];
            const int steps = std::max(1, int(std::hypot(b.x - a.x, b.y - a.y) / 4));
            for (int s = 1; s <= steps; ++s)
                pad.penMove(int(a.x + (b.x - a.x) * s / steps), int(a.y + (b.y - a.y) * s / steps));
        }
        pad.penUp();
    }
    return drawing;
}

char16_t first(ShapeRecognizer& recognizer, const Strokes& strokes) {
    Drawing drawing = write(strokes);
    recognizer.pass(drawing, kBothForms);
    return char16_t(recognizer.candidates().codeAt(0));
}

TEST(ShapeFeature, IgnoresStrokeOrderAndMouseDensityButNotShape) {
    Strokes reordered = kSun;
    std::reverse(reordered.begin(), reordered.end());
    EXPECT_EQ(shapeFeature(reordered), shapeFeature(kSun));
    // The same strokes reported densely by the mouse, and the character
    // written at another size and place.
    const Drawing dense = write(kSun);
    const auto feature = shapeFeature(kSun);
    EXPECT_LT(shapeDistance(shapeFeature(strokesOf(dense.buffer)), feature.data()), 2000u);
    Strokes small = kSun;
    for (StrokeF& stroke : small)
        for (PointF& p : stroke) p = {20 + p.x / 2, 60 + p.y / 2};
    EXPECT_LT(shapeDistance(shapeFeature(small), feature.data()), 2000u);
    // Different characters lie far apart; no ink at all is no feature.
    EXPECT_GT(shapeDistance(shapeFeature(kMouth), feature.data()), 20000u);
    EXPECT_GT(shapeDistance(shapeFeature(kPerson), shapeFeature(kEight).data()), 10000u);
    EXPECT_EQ(shapeFeature(Strokes{{{50, 50}, {50, 50}}}), ShapeFeature{});
}

TEST(ShapesFile, ReadsBackAndRefusesDamage) {
    const std::vector<CharacterShape> shapes = fixtureShapes();
    const std::string bytes = encodeShapes(shapes);
    const std::span<const uint8_t> view(reinterpret_cast<const uint8_t*>(bytes.data()),
                                        bytes.size());
    EXPECT_EQ(decodeShapes(view), shapes);
    EXPECT_FALSE(decodeShapes(view.first(view.size() - 1)));  // an outline cut off
    EXPECT_FALSE(decodeShapes(view.first(8 + 268)));          // records missing
    std::string wrong = bytes;
    wrong[0] = 'X';
    EXPECT_FALSE(
        decodeShapes(std::span(reinterpret_cast<const uint8_t*>(wrong.data()), wrong.size())));
}

TEST(ShapeRecognizer, FindsCharactersWrittenInAnyOrderJoinedOrReversed) {
    ShapeRecognizer recognizer;
    recognizer.load(fixtureShapes(), {});
    for (const auto& [c, strokes] : std::vector<std::pair<char16_t, Strokes>>{
             {u'十', kTen}, {u'口', kMouth}, {u'日', kSun}, {u'人', kPerson}, {u'八', kEight}})
        EXPECT_EQ(first(recognizer, strokes), c) << int(c);

    // 十 with its vertical first; 日 closed before its middle stroke.
    EXPECT_EQ(first(recognizer, {kTen[1], kTen[0]}), u'十');
    EXPECT_EQ(first(recognizer, {kSun[0], kSun[1], kSun[3], kSun[2]}), u'日');
    // 口 with its last two strokes in one, and with its first stroke written upwards.
    EXPECT_EQ(first(recognizer, {kMouth[0], {{50, 50}, {150, 50}, {150, 150}, {50, 150}}}), u'口');
    EXPECT_EQ(first(recognizer, {{{50, 150}, {50, 50}}, kMouth[1], kMouth[2]}), u'口');
}

TEST(ShapeRecognizer, TheMoreCommonOfTwoEqualShapesLeads) {
    for (const bool rareFirst : {true, false}) {
        std::vector<CharacterShape> shapes = {shapeOf(u'十', kTen, 0),
                                              shapeOf(u'乂', kTen, kUnlistedFrequency)};
        if (rareFirst) std::swap(shapes[0], shapes[1]);
        ShapeRecognizer recognizer;
        recognizer.load(shapes, {});
        EXPECT_EQ(first(recognizer, kTen), u'十') << rareFirst;
        EXPECT_EQ(recognizer.candidates().codeAt(1), u'乂');
    }
}

TEST(ShapeRecognizer, FormsEmptyListAndTheFallBackToThePass) {
    std::vector<CharacterShape> shapes = fixtureShapes();
    shapes[0].formFlag = kTraditionalForm;  // 十 offered only with traditional forms
    ShapeRecognizer recognizer;
    recognizer.load(shapes, {});
    Drawing drawing = write(kTen);
    recognizer.pass(drawing, kSimplifiedOnly);
    EXPECT_NE(recognizer.candidates().codeAt(0), u'十');
    for (int slot = 0; slot < recognizer.candidates().size(); ++slot)
        EXPECT_NE(recognizer.candidates().codeAt(slot), u'十');
    Drawing empty;
    int emptied = 0;
    recognizer.pass(empty, kBothForms, [&] { ++emptied; });
    EXPECT_EQ(emptied, 1);
    EXPECT_EQ(recognizer.candidates().size(), 0);

    // Without shapes, the recognition pass's own candidates and scores.
    const auto templates = bytesOf({tmpl(u'一', 1, {{0, 180}}), tmpl(u'丨', 1, {{191, 180}})});
    ShapeRecognizer fallBack;
    fallBack.load({}, templates);
    EXPECT_FALSE(fallBack.loaded());
    Drawing line = horizontalStroke();
    fallBack.pass(line, kBothForms);
    Recognizer pass;
    Drawing same = horizontalStroke();
    pass.pass(same, templates, kBothForms);
    ASSERT_EQ(fallBack.candidates().size(), pass.candidates().size());
    for (int slot = 0; slot < pass.candidates().size(); ++slot) {
        EXPECT_EQ(fallBack.candidates()[slot].code, pass.candidates()[slot].code);
        EXPECT_EQ(fallBack.candidates()[slot].score, pass.candidates()[slot].score);
    }
}

}  // namespace
