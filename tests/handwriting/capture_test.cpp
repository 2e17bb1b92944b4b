// The pad's capture rules and the key-point reduction with its segments.
#include <gtest/gtest.h>

#include <cmath>

#include "handwriting/features.hpp"
#include "handwriting/stroke_capture.hpp"

using namespace tulvo::handwriting;

namespace {

std::vector<PadPoint> pts(std::initializer_list<std::pair<int, int>> list) {
    std::vector<PadPoint> out;
    for (auto [x, y] : list) out.push_back({uint16_t(x), uint16_t(y)});
    return out;
}

// Writes one stroke through the capture rules.
void stroke(PadCapture& pad, std::initializer_list<std::pair<int, int>> points) {
    bool first = true;
    for (auto [x, y] : points) {
        if (first)
            pad.penDown(x, y);
        else
            pad.penMove(x, y);
        first = false;
    }
    pad.penUp();
}

TEST(PadCapture, SingleClickBecomesATickDownwards) {
    Drawing drawing;
    PadCapture pad(drawing);
    pad.penDown(40, 60);
    InkLine tick;
    bool drawn = false;
    EXPECT_TRUE(pad.penUp(&tick, &drawn));
    EXPECT_TRUE(drawn);
    EXPECT_EQ(tick.from, (PadPoint{40, 60}));
    EXPECT_EQ(tick.to, (PadPoint{40, 63}));
    EXPECT_EQ(drawing.buffer, pts({{40, 60}, {40, 63}, {0xFFFF, 0xFFFF}}));
    EXPECT_EQ(drawing.strokeCount, 1);

    // Reduced, the tick is one segment straight down.
    EXPECT_EQ(reduceNewStrokes(drawing), 1);
    ASSERT_EQ(drawing.segmentCount(), 1u);
    EXPECT_EQ(drawing.directionCodes[0], 191);
    EXPECT_EQ(drawing.segmentLengths[0], 3);
}

TEST(PadCapture, OnlyMovesBeyondFivePixelsAreStored) {
    Drawing drawing;
    PadCapture pad(drawing);
    pad.penDown(100, 100);
    InkLine ink;
    EXPECT_FALSE(pad.penMove(103, 104, &ink));  // exactly 5 pixels: not stored
    EXPECT_EQ(ink.from, (PadPoint{100, 100}));  // but the live ink is drawn
    EXPECT_EQ(ink.to, (PadPoint{103, 104}));
    EXPECT_FALSE(pad.penMove(96, 97));
    // Measured from the last stored point, not from the last move.
    EXPECT_TRUE(pad.penMove(106, 100));
    EXPECT_FALSE(pad.penMove(110, 102));
    EXPECT_TRUE(pad.penMove(112, 100));
    pad.penUp();
    EXPECT_EQ(drawing.buffer, pts({{100, 100}, {106, 100}, {112, 100}, {0xFFFF, 0xFFFF}}));

    // A stroke that never leaves the 5-pixel circle: press point plus tick.
    stroke(pad, {{50, 50}, {53, 52}, {48, 47}, {51, 54}});
    EXPECT_EQ(std::vector<PadPoint>(drawing.buffer.begin() + 4, drawing.buffer.end()),
              pts({{50, 50}, {50, 53}, {0xFFFF, 0xFFFF}}));
    EXPECT_EQ(drawing.strokeCount, 2);
}

TEST(PadCapture, MovesAreClampedIntoThePadButThePressIsKept) {
    Drawing drawing;
    PadCapture pad(drawing);
    stroke(pad, {{0, 199}, {-40, 150}, {250, -3}, {30000, 30000}});
    EXPECT_EQ(drawing.buffer, pts({{0, 199}, {1, 150}, {197, 1}, {197, 197}, {0xFFFF, 0xFFFF}}));
}

TEST(PadCapture, ReleaseWithoutPressMakesNoStroke) {
    Drawing drawing;
    PadCapture pad(drawing);
    EXPECT_FALSE(pad.penUp());
    EXPECT_FALSE(pad.penMove(50, 50));
    stroke(pad, {{10, 10}, {40, 10}});
    EXPECT_FALSE(pad.penUp());  // a second release
    EXPECT_EQ(drawing.strokeCount, 1);
    EXPECT_EQ(drawing.buffer.size(), 3u);
}

TEST(PadCapture, EraseResetsTheWholeDrawing) {
    Drawing drawing;
    PadCapture pad(drawing);
    stroke(pad, {{10, 10}, {90, 10}, {90, 90}});
    reduceNewStrokes(drawing);
    ASSERT_GT(drawing.segmentCount(), 0u);
    pad.erase();
    EXPECT_TRUE(drawing.buffer.empty());
    EXPECT_TRUE(drawing.segmentLengths.empty());
    EXPECT_EQ(drawing.segmentCount(), 0u);
    EXPECT_EQ(drawing.processedRecords, 0u);
    EXPECT_EQ(std::vector<int>({drawing.strokeCount, drawing.box.minX, drawing.box.maxX,
                                drawing.box.minY, drawing.box.maxY}),
              std::vector<int>({0, 9999, -1, 9999, -1}));
}

TEST(PadCapture, RepaintJoinsStoredPointsStrokeByStroke) {
    const auto buffer = pts({{1, 1}, {9, 9}, {0xFFFF, 0xFFFF}, {20, 20}, {30, 20}, {40, 20}});
    const auto lines = strokePolylines(buffer);
    ASSERT_EQ(lines.size(), 2u);
    EXPECT_EQ(lines[0], pts({{1, 1}, {9, 9}}));
    EXPECT_EQ(lines[1], pts({{20, 20}, {30, 20}, {40, 20}}));  // a stroke in progress too
}

TEST(KeyPoints, TwoPointsAndStraightLinesGiveOneSegment) {
    EXPECT_EQ(keyPoints(pts({{10, 10}, {50, 80}})), pts({{10, 10}, {50, 80}}));
    EXPECT_EQ(keyPoints(pts({{10, 10}, {20, 11}, {30, 10}, {40, 11}, {50, 10}, {60, 10}})),
              pts({{10, 10}, {60, 10}}));
}

TEST(KeyPoints, CornersAreKept) {
    // An L: down, then right.
    EXPECT_EQ(keyPoints(pts({{20, 20}, {20, 40}, {20, 60}, {20, 80}, {40, 80}, {60, 80}})),
              pts({{20, 20}, {20, 80}, {60, 80}}));
    // A long leg before the turn: the path walked since the start is still
    // close to the chord there, so the corner is found by its own angle.
    std::vector<PadPoint> longL;
    for (int y = 20; y <= 120; y += 10) longL.push_back({20, uint16_t(y)});
    for (int x = 30; x <= 80; x += 10) longL.push_back({uint16_t(x), 120});
    EXPECT_EQ(keyPoints(longL), pts({{20, 20}, {20, 120}, {80, 120}}));
}

TEST(KeyPoints, GradualBendIsCutWhenThePathStraysTooFar) {
    // A quarter circle of radius 60 in 10 steps: no single point is a corner,
    // but the walked path outgrows 1.1 times the chord.
    std::vector<PadPoint> arc;
    for (int k = 0; k <= 10; ++k) {
        const double t = k * 3.14159265 / 20;
        arc.push_back({uint16_t(std::lround(100 + 60 * std::cos(t))),
                       uint16_t(std::lround(100 + 60 * std::sin(t)))});
    }
    const auto keys = keyPoints(arc);
    EXPECT_GE(keys.size(), 3u);
    EXPECT_EQ(keys.front(), arc.front());
    EXPECT_EQ(keys.back(), arc.back());
}

TEST(KeyPoints, CloseKeyPointsCollapseToTheLaterOne) {
    // A hook at the start: the first corner is 8 pixels from the press, so
    // the press point is dropped in favour of the corner.
    EXPECT_EQ(keyPoints(pts({{50, 50}, {58, 50}, {58, 70}, {58, 90}})), pts({{58, 50}, {58, 90}}));
}

TEST(KeyPoints, StrokeReturningToItsStartCanReduceToOnePlace) {
    // The last check drops the corner at (70, 50) because the point after it
    // is closer than 12.5 pixels: both key points are the press position.
    const auto keys = keyPoints(pts({{50, 50}, {70, 50}, {60, 50}, {50, 50}}));
    EXPECT_EQ(keys, pts({{50, 50}, {50, 50}}));

    Drawing drawing;
    PadCapture pad(drawing);
    stroke(pad, {{50, 50}, {70, 50}, {60, 50}, {50, 50}});
    reduceNewStrokes(drawing);
    ASSERT_EQ(drawing.segmentCount(), 1u);
    EXPECT_EQ(drawing.segmentLengths[0], 0);
    EXPECT_EQ(drawing.directionCodes[0], 191);  // a zero move counts as down
    EXPECT_EQ(drawing.box.maxX - drawing.box.minX, 0);
}

TEST(Segments, DirectionCodes) {
    // Right, up, left, down, no move; the diagonals (45° → 31.96); just below
    // the right gives the top code.
    const int codes[][3] = {{10, 0, 0},    {0, -10, 63},  {-10, 0, 127},  {0, 10, 191},
                            {0, 0, 191},   {10, -10, 31}, {-10, -10, 95}, {-10, 10, 159},
                            {10, 10, 223}, {100, 1, 255}};
    for (const auto& [dx, dy, code] : codes)
        EXPECT_EQ(directionCode(dx, dy), code) << dx << "," << dy;
    EXPECT_EQ(segmentLength(3, 4), 5);
    EXPECT_EQ(segmentLength(1, 1), 1);  // 1.414 truncated
}

TEST(Segments, EachStrokeIsReducedOnceAndNeverAcrossStrokes) {
    Drawing drawing;
    PadCapture pad(drawing);
    stroke(pad, {{20, 20}, {80, 20}});
    stroke(pad, {{80, 100}, {80, 160}});
    // Both strokes pending: both are reduced, and no segment joins them.
    EXPECT_EQ(reduceNewStrokes(drawing), 2);
    EXPECT_EQ(drawing.directionCodes, (std::vector<uint8_t>{0, 191}));
    EXPECT_EQ(drawing.segmentLengths, (std::vector<uint16_t>{60, 60}));
    EXPECT_EQ(drawing.processedRecords, drawing.buffer.size());
    EXPECT_EQ(drawing.box.minX, 20);
    EXPECT_EQ(drawing.box.maxY, 160);
    EXPECT_EQ(reduceNewStrokes(drawing), 0);  // nothing new
    EXPECT_EQ(drawing.segmentCount(), 2u);

    // A stroke still being written is left for later.
    pad.penDown(10, 10);
    pad.penMove(40, 10);
    EXPECT_EQ(reduceNewStrokes(drawing), 0);
    pad.penUp();
    EXPECT_EQ(reduceNewStrokes(drawing), 1);
    EXPECT_EQ(drawing.segmentCount(), 3u);
}

}  // namespace
