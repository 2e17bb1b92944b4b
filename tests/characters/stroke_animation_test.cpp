#include "characters/stroke_animation.hpp"

#include <gtest/gtest.h>

#include "tests/support/temp_dir.hpp"

using namespace tulvo::characters;
using tulvo::testing::TempDir;
using Kind = AnimationStep::Kind;

namespace {

Stroke bar(int y, uint8_t pause, uint8_t colour) {
    Stroke s;
    s.direction = kLeftToRight;
    s.pause = pause;
    s.colour = colour;
    s.outline = {{0, uint8_t(y)}, {2, uint8_t(y)}, {2, uint8_t(y + 1)}, {0, uint8_t(y + 1)}};
    return s;
}

class StrokeAnimationTest : public ::testing::Test {
  protected:
    void SetUp() override {
        std::string bytes, error;
        // 二: a bar with a pause, then a brown one; 〇: no strokes.
        ASSERT_TRUE(strokeOrderBytes({{u'二', {bar(10, 1, 0), bar(200, 0, 1)}}, {u'〇', {}}}, bytes,
                                     &error));
        file.open(dir.write("strokes.dat", bytes));
    }

    // The kinds of the next `count` steps.
    std::vector<Kind> kinds(StrokeAnimation& animation, size_t count) {
        std::vector<Kind> out;
        for (size_t i = 0; i < count; ++i) out.push_back(animation.next().kind);
        return out;
    }

    // Steps until Finished (included) or `limit`.
    std::vector<AnimationStep> untilFinished(StrokeAnimation& animation, size_t limit = 1000) {
        std::vector<AnimationStep> out;
        while (out.size() < limit) {
            out.push_back(animation.next());
            if (out.back().kind == Kind::Finished) break;
        }
        return out;
    }

    TempDir dir;
    StrokeOrderFile file;
};

size_t countOf(const std::vector<AnimationStep>& steps, Kind kind) {
    return size_t(
        std::count_if(steps.begin(), steps.end(), [&](const auto& s) { return s.kind == kind; }));
}

}  // namespace

TEST(LineDelay, CalibratedFromClockReads) {
    EXPECT_EQ(lineDelayFromReads(25), 0);  // 0.5: to even
    EXPECT_EQ(lineDelayFromReads(75), 2);  // 1.5: to even
    EXPECT_EQ(lineDelayFromReads(50), 1);
    EXPECT_EQ(lineDelayFromReads(1000000), 20000);
    // A clock that moves 2 ms per read passes 100 ms at the 51st read.
    uint64_t now = 1000;
    EXPECT_EQ(measureLineDelay([&] { return now += 2; }), 1);
    EXPECT_GE(measureLineDelay(), 0);
}

TEST_F(StrokeAnimationTest, DrawsEveryStrokeThenIdles) {
    StrokeAnimation animation(file, 2);
    animation.setCharacter(u'二');
    animation.setBoxTop(40);
    EXPECT_EQ(animation.next().kind, Kind::Sleep);
    animation.request();
    EXPECT_EQ(animation.state(), kAnimationRequested);
    EXPECT_EQ(animation.next().kind, Kind::Clear);
    EXPECT_EQ(animation.state(), kAnimationRunning);
    const auto steps = untilFinished(animation);
    ASSERT_EQ(steps.back().kind, Kind::Finished);
    EXPECT_EQ(countOf(steps, Kind::FillStroke), 2u);
    EXPECT_EQ(countOf(steps, Kind::Pause), 1u);
    // Two passes of event processing after every line.
    EXPECT_EQ(countOf(steps, Kind::ProcessEvents), 2 * countOf(steps, Kind::DrawLine));
    // The first fill is the first stroke on the canvas, in black; lines are
    // on the screen, in the box at (201, 40).
    EXPECT_EQ(steps[0].kind, Kind::FillStroke);
    EXPECT_FALSE(steps[0].brown);
    EXPECT_EQ(steps[0].polygon[1], glyphToCanvas({2, 10}));
    EXPECT_EQ(steps[1].kind, Kind::DrawLine);
    EXPECT_EQ(steps[1].from, glyphToScreen({0, 10}, 40));
    const auto brownFill = std::find_if(steps.begin() + 1, steps.end(),
                                        [](const auto& s) { return s.kind == Kind::FillStroke; });
    EXPECT_TRUE(brownFill->brown);
    EXPECT_EQ(animation.state(), kAnimationRunning);
    EXPECT_EQ(animation.next().kind, Kind::Sleep);
    EXPECT_EQ(animation.state(), kAnimationIdle);
}

TEST_F(StrokeAnimationTest, RequestRestartsAndStopIdles) {
    StrokeAnimation animation(file, 2);
    animation.setCharacter(u'二');
    animation.request();
    EXPECT_EQ(kinds(animation, 5), (std::vector<Kind>{Kind::Clear, Kind::FillStroke, Kind::DrawLine,
                                                      Kind::ProcessEvents, Kind::ProcessEvents}));
    // A request handled during the passes: the character starts over.
    animation.request();
    EXPECT_EQ(kinds(animation, 3),
              (std::vector<Kind>{Kind::Clear, Kind::FillStroke, Kind::DrawLine}));
    EXPECT_EQ(animation.next().kind, Kind::ProcessEvents);
    animation.stop();
    EXPECT_EQ(animation.next().kind, Kind::Sleep);
    EXPECT_EQ(animation.state(), kAnimationIdle);
}

TEST_F(StrokeAnimationTest, WithoutPassesARequestWaitsForTheEnd) {
    StrokeAnimation animation(file, 0);
    animation.setCharacter(u'二');
    animation.request();
    EXPECT_EQ(animation.next().kind, Kind::Clear);
    EXPECT_EQ(animation.next().kind, Kind::FillStroke);
    animation.request();  // e.g. from an event of the final pass
    const auto steps = untilFinished(animation);
    EXPECT_EQ(countOf(steps, Kind::ProcessEvents), 0u);
    EXPECT_EQ(countOf(steps, Kind::Clear), 0u);
    EXPECT_EQ(steps.back().kind, Kind::Finished);
    // Noticed now, not lost.
    EXPECT_EQ(animation.next().kind, Kind::Clear);
}

TEST_F(StrokeAnimationTest, UnknownOrEmptyCharactersLeaveTheBoxBlank) {
    StrokeAnimation animation(file, 1);
    animation.setCharacter(u'三');
    animation.request();
    EXPECT_EQ(animation.next().kind, Kind::Clear);
    EXPECT_EQ(animation.state(), kAnimationIdle);
    EXPECT_EQ(animation.next().kind, Kind::Sleep);

    animation.setCharacter(u'〇');
    animation.request();
    EXPECT_EQ(kinds(animation, 3), (std::vector<Kind>{Kind::Clear, Kind::Finished, Kind::Sleep}));
    EXPECT_EQ(animation.state(), kAnimationIdle);

    // The file closed (the editor running): nothing found.
    file.close();
    animation.setCharacter(u'二');
    animation.request();
    EXPECT_EQ(kinds(animation, 2), (std::vector<Kind>{Kind::Clear, Kind::Sleep}));
}
