#include "characters/stroke_order.hpp"

#include <gtest/gtest.h>

#include "characters/stroke_animation.hpp"
#include "tests/support/temp_dir.hpp"

using namespace tulvo::characters;
using tulvo::testing::TempDir;

namespace {

Stroke stroke(uint8_t direction, std::vector<GlyphPoint> outline, uint8_t pause = 0,
              uint8_t colour = 0) {
    Stroke s;
    s.direction = direction;
    s.pause = pause;
    s.colour = colour;
    s.outline = std::move(outline);
    return s;
}

std::string fileBytes(const std::vector<CharacterStrokes>& characters) {
    std::string bytes, error;
    EXPECT_TRUE(strokeOrderBytes(characters, bytes, &error)) << error;
    return bytes;
}

// 二: two strokes, the first with a pause, the second brown; 丶: none.
std::vector<CharacterStrokes> sample() {
    return {{u'二',
             {stroke(kLeftToRight, {{10, 10}, {20, 10}, {20, 12}, {10, 12}}, 1, 0),
              stroke(kLeftToRight, {{5, 40}, {30, 40}, {30, 44}, {5, 44}, {5, 40}}, 0, 1)}},
            {u'丶', {}}};
}

}  // namespace

TEST(StrokeOrderFile, WritesAndReadsRecords) {
    TempDir dir;
    StrokeOrderFile file(dir.write("s.dat", fileBytes(sample())));
    ASSERT_TRUE(file.isOpen());
    EXPECT_EQ(file.count(), 2u);
    EXPECT_EQ(file.codes(), (std::vector<char16_t>{u'二', u'丶'}));
    const auto two = file.lookup(u'二');
    ASSERT_TRUE(two);
    ASSERT_EQ(two->size(), 2u);
    EXPECT_EQ((*two)[0].pause, 1);
    EXPECT_EQ((*two)[1].colour, 1);
    // Closed on reading when the file's outline is open, kept when closed.
    EXPECT_EQ((*two)[0].outline.size(), 5u);
    EXPECT_EQ((*two)[0].outline.back(), (GlyphPoint{10, 10}));
    EXPECT_EQ((*two)[1].outline.size(), 5u);
    EXPECT_TRUE(file.lookup(u'丶')->empty());
    EXPECT_FALSE(file.lookup(u'三'));

    std::string bytes, error;
    EXPECT_FALSE(strokeOrderBytes({{u'x', {stroke(1, {{0, 256}})}}}, bytes, &error));
    EXPECT_FALSE(
        strokeOrderBytes({{u'x', {stroke(1, std::vector<GlyphPoint>(128))}}}, bytes, &error));
}

TEST(StrokeOrderFile, DamagedFilesFindNothing) {
    TempDir dir;
    const std::string whole = fileBytes(sample());
    const auto expected = StrokeOrderFile(dir.write("whole.dat", whole)).lookup(u'二');
    // Every cut of the file: a lookup finds the whole record or nothing.
    for (size_t size = 0; size < whole.size(); ++size) {
        const StrokeOrderFile cut(dir.write("cut.dat", whole.substr(0, size)));
        if (size <= 4) {
            EXPECT_EQ(cut.count(), 0u);
        }
        const auto two = cut.lookup(u'二');
        if (two) {
            EXPECT_EQ(two->size(), expected->size()) << size;
        }
        EXPECT_FALSE(cut.lookup(u'三'));
    }
    // A count beyond the codes the file holds: the codes present are listed
    // (the rest of the file read as codes), and no record is taken from an
    // offset table that is not there.
    std::string over = whole;
    over[0] = char(0xE8);  // 1000
    over[1] = char(0x03);
    const StrokeOrderFile overFile(dir.write("over.dat", over));
    const std::vector<char16_t> overCodes = overFile.codes();
    // (Asserted: were the count trusted, the next case would ask for 8 GB.)
    ASSERT_EQ(overCodes.size(), (whole.size() - 4) / 2);
    EXPECT_EQ(overCodes[0], u'二');
    EXPECT_EQ(overCodes[1], u'丶');
    EXPECT_FALSE(overFile.lookup(u'二'));
    // A count far beyond the file, an offset beyond it.
    std::string huge = whole;
    huge[0] = huge[1] = huge[2] = huge[3] = char(0xFF);
    EXPECT_FALSE(StrokeOrderFile(dir.write("huge.dat", huge)).lookup(u'二'));
    std::string far = whole;
    far[8] = char(0xF0);  // the first record's offset
    EXPECT_FALSE(StrokeOrderFile(dir.write("far.dat", far)).lookup(u'二'));
    // Missing file and directory: not open, nothing found.
    EXPECT_FALSE(StrokeOrderFile(dir / "none.dat").isOpen());
    EXPECT_FALSE(StrokeOrderFile(dir.path()).isOpen());
    EXPECT_FALSE(StrokeOrderFile(dir.path()).lookup(u'二'));
}

TEST(StrokeOrderFile, AnOddOutlineLengthLeavesItsLastByteUnread) {
    TempDir dir;
    // One character with one stroke of two points; its length byte made
    // odd, with one byte more at the end for it to cover.
    std::string bytes = fileBytes({{u'丨', {stroke(kLeftToRight, {{10, 10}, {20, 30}})}}});
    const size_t lengthAt = 4 + 2 + 4 + 1 + 3;  // count, code, offset, strokes, stroke header
    ASSERT_EQ(bytes[lengthAt], 4);
    bytes[lengthAt] = 5;
    bytes.push_back(char(99));
    const auto strokes = StrokeOrderFile(dir.write("odd.dat", bytes)).lookup(u'丨');
    ASSERT_TRUE(strokes);
    ASSERT_EQ(strokes->size(), 1u);
    // The two points, closed by the first again; no half point.
    EXPECT_EQ((*strokes)[0].outline, (std::vector<GlyphPoint>{{10, 10}, {20, 30}, {10, 10}}));
}

TEST(StrokeOrderFile, ReopenSeesTheRewrittenFile) {
    TempDir dir;
    const auto path = dir.write("s.dat", fileBytes(sample()));
    StrokeOrderFile file(path);
    StrokeAnimation animation(file, 0);
    std::string program, argument;
    bool openWhileEditing = true;
    std::function<void()> editorEnded;
    editStrokes(file, animation, u'一',
                [&](const std::string& p, const std::string& a, std::function<void()> ended) {
                    program = p;
                    argument = a;
                    openWhileEditing = file.isOpen();
                    editorEnded = std::move(ended);
                });
    // The file stays closed until the editor has ended.
    EXPECT_FALSE(openWhileEditing);
    EXPECT_FALSE(file.isOpen());
    dir.write("s.dat", fileBytes({{u'一', {stroke(1, {{0, 0}, {9, 0}, {9, 2}})}}}));
    ASSERT_TRUE(editorEnded);
    editorEnded();
    EXPECT_EQ(program, (std::filesystem::path("data") / "tramboli").string());
    EXPECT_EQ(argument, "00004E00");
    EXPECT_EQ(file.count(), 1u);
    EXPECT_TRUE(file.lookup(u'一'));
    EXPECT_EQ(animation.state(), kAnimationRequested);
}

TEST(StrokeGeometry, CanvasAndScreenMappingsTruncate) {
    EXPECT_EQ(glyphToCanvas({255, 1}), (GlyphPoint{398, 1}));
    EXPECT_EQ(glyphToCanvas({128, 0}), (GlyphPoint{200, 0}));
    EXPECT_EQ(glyphToScreen({255, 3}, 50), (GlyphPoint{201 + 99, 51}));
    EXPECT_EQ(glyphToScreen({0, 0}, 7), (GlyphPoint{201, 7}));
    EXPECT_TRUE(inStrokeBox(201, 50, 50));
    EXPECT_TRUE(inStrokeBox(301, 150, 50));
    EXPECT_FALSE(inStrokeBox(200, 60, 50));
    EXPECT_FALSE(inStrokeBox(250, 151, 50));
}

TEST(SweepList, EdgesOnTheLineAndVertices) {
    // Left to right over a rectangle: at x = 10 the left edge lies on the
    // line (both its points) and the top and bottom edges meet it.
    Stroke s = stroke(kLeftToRight, {{10, 10}, {20, 10}, {20, 14}, {10, 14}});
    closeOutline(s.outline);
    const auto list = sweepList(s);
    ASSERT_GE(list.size(), 6u);
    EXPECT_EQ(
        std::vector<GlyphPoint>(list.begin(), list.begin() + 6),
        (std::vector<GlyphPoint>{{10, 10}, {10, 14}, {10, 14}, {10, 10}, {11, 10}, {11, 14}}));
    for (size_t i = 1; i < list.size(); ++i) EXPECT_LE(list[i - 1].x, list[i].x);
    EXPECT_EQ(list.back().x, 20);

    // Top to bottom over a triangle: its lowest vertex once for each edge.
    Stroke t = stroke(kTopToBottom, {{0, 0}, {10, 10}, {20, 0}, {0, 0}});
    const auto down = sweepList(t);
    EXPECT_EQ(std::vector<GlyphPoint>(down.begin(), down.begin() + 4),
              (std::vector<GlyphPoint>{{0, 0}, {20, 0}, {20, 0}, {0, 0}}));
    EXPECT_EQ(std::vector<GlyphPoint>(down.end() - 2, down.end()),
              (std::vector<GlyphPoint>{{10, 10}, {10, 10}}));
}

TEST(SweepList, DirectionsAndRounding) {
    const std::vector<GlyphPoint> square = {{0, 0}, {4, 0}, {4, 4}, {0, 4}, {0, 0}};
    struct Case {
        uint8_t direction;
        GlyphPoint first, last;
    };
    for (const Case& c :
         {Case{kLeftToRight, {0, 0}, {4, 4}}, Case{kRightToLeft, {4, 0}, {0, 0}},
          Case{kTopToBottom, {0, 0}, {0, 4}}, Case{kBottomToTop, {4, 4}, {0, 0}},
          Case{kTowardsBottomRight, {0, 0}, {4, 4}}, Case{kTowardsTopLeft, {4, 4}, {0, 0}},
          Case{kTowardsBottomLeft, {4, 0}, {0, 4}}, Case{kTowardsTopRight, {0, 4}, {4, 0}},
          Case{0, {0, 4}, {4, 0}}}) {
        const auto list = sweepList(stroke(c.direction, square));
        ASSERT_FALSE(list.empty());
        EXPECT_EQ(list.front(), c.first) << int(c.direction);
        EXPECT_EQ(list.back(), c.last) << int(c.direction);
    }
    // At x = 1 the edges meet y = 0.5 and y = 2.5: both round to even.
    const auto list = sweepList(stroke(kLeftToRight, {{0, 0}, {2, 1}, {2, 4}, {0, 1}, {0, 0}}));
    std::vector<GlyphPoint> atOne;
    for (const GlyphPoint& p : list)
        if (p.x == 1) atOne.push_back(p);
    EXPECT_EQ(atOne, (std::vector<GlyphPoint>{{1, 0}, {1, 2}}));
    EXPECT_TRUE(sweepList(stroke(kLeftToRight, {})).empty());
}

TEST(SweepList, EdgeAlmostAlongTheSweepLineStaysInTheGlyphSquare) {
    // The edge (0,0)-(255,254) is one unit off the direction of the sweep
    // lines y = v + x: its line meets them near x = 65,000, far outside the
    // edge. Such crossings are dropped, and nothing overflows on the way.
    for (uint8_t direction : {kTowardsBottomLeft, kTowardsTopRight, kTowardsBottomRight}) {
        const Stroke s = stroke(direction, {{0, 0}, {255, 254}, {0, 255}, {0, 0}});
        const auto list = sweepList(s);
        ASSERT_FALSE(list.empty());
        for (const GlyphPoint& p : list) {
            EXPECT_TRUE(p.x >= 0 && p.x <= 255 && p.y >= 0 && p.y <= 255)
                << int(direction) << ": " << p.x << "," << p.y;
        }
    }
    // Points outside the glyph square, as no file can hold: no sweep.
    EXPECT_TRUE(
        sweepList(stroke(kTowardsBottomLeft, {{0, 0}, {65000, 64999}, {0, 255}, {0, 0}})).empty());
}
