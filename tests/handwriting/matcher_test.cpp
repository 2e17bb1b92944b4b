// The recognition pass on fixture templates: windows, filters, alignment
// scores and the candidate list's rules.
#include <gtest/gtest.h>

#include <cmath>
#include <random>

#include "handwriting/features.hpp"
#include "handwriting/matcher.hpp"
#include "handwriting/recog_file.hpp"
#include "tests/handwriting/template_fixtures.hpp"
#include "tests/support/temp_dir.hpp"

using namespace tulvo::handwriting;
using namespace tulvo::handwriting::fixtures;

namespace {

// What the candidate list offers, slot by slot, with the scores; the slot
// after the last is empty.
struct Offered {
    std::u16string codes;
    std::vector<float> scores;
};
Offered offered(const Recognizer& recognizer) {
    const CandidateList& list = recognizer.candidates();
    Offered out;
    for (int slot = 0; slot < list.size(); ++slot) {
        out.codes += char16_t(list[slot].code);
        out.scores.push_back(list[slot].score);
    }
    EXPECT_EQ(list.codeAt(list.size()), 0);
    return out;
}
Offered pass(Drawing& drawing, const std::vector<RecogTemplate>& templates,
             CharForm preference = kBothForms) {
    Recognizer recognizer;
    recognizer.pass(drawing, bytesOf(templates), preference);
    return offered(recognizer);
}

// A random drawing: `strokes` strokes of `moves` moves each, anywhere on the pad.
Drawing randomDrawing(std::mt19937& rng, int strokes, int moves) {
    std::uniform_int_distribution<int> coord(1, 197);
    Drawing drawing;
    PadCapture pad(drawing);
    for (int s = 0; s < strokes; ++s) {
        pad.penDown(coord(rng), coord(rng));
        for (int p = 0; p < moves; ++p) pad.penMove(coord(rng), coord(rng));
        pad.penUp();
    }
    return drawing;
}

// The alignment written out plainly from its rules, for comparison: cells
// and score in single precision, the arithmetic in double.
float referenceScore(const std::vector<int>& ul, const std::vector<int>& ud,
                     const std::vector<TemplateSegment>& t, int userStrokes, int templateStrokes) {
    const size_t n = ul.size(), S = t.size();
    std::vector<std::vector<float>> cell(n + 1, std::vector<float>(S + 1));
    for (size_t i = 0; i <= n; ++i) cell[i][0] = -float(i);
    for (size_t j = 0; j <= S; ++j) cell[0][j] = -float(j);
    for (size_t i = 0; i < n; ++i) {
        for (size_t j = 0; j < S; ++j) {
            const double u = ul[i], tl = t[j].length;
            const double gu = cell[i][j + 1] - u * 1.75 / 256;
            const double gt = cell[i + 1][j] - tl * 1.75 / 256;
            const double g = std::nearbyint(std::max(gu, gt));
            const double r = tl > u ? u / tl : tl / u;
            const double w = r < 0.33 ? 2 * r : 0.5 + r / 2;
            double a = std::fabs(double(t[j].direction) - ud[i]) / 128;
            if (a > 1) a = 2 - a;
            double d = a < 0.2    ? 1 - 0.75 * a
                       : a < 0.54 ? 1.54 - 3.47 * a
                                  : (a - 0.54) * 2.88 - 0.33;
            const double q = (1 - d) * (1 - u / 64);
            if (q > 0) d += q;
            const double diagonal = cell[i][j] + w * d;
            cell[i + 1][j + 1] = float(diagonal > g ? diagonal : g);
        }
    }
    double f = cell[n][S];
    if (templateStrokes == userStrokes && userStrokes < 10) f *= 1 + 0.01 * (10 - userStrokes);
    return float(f);
}

TEST(Windows, StrokeSegmentAndBoxRounding) {
    const int strokes[] = {1, 1, 2, 2, 2, 3, 3, 3, 3, 4, 4};
    for (int s = 0; s <= 10; ++s) EXPECT_EQ(strokeWindow(s), strokes[s]) << s;
    const int segments[] = {1, 1, 1, 1, 1, 2, 2, 2, 2, 2, 3, 3, 3, 3, 4, 4, 4, 4, 4};
    for (int n = 0; n <= 18; ++n) EXPECT_EQ(segmentWindow(n), segments[n]) << n;
    EXPECT_EQ(segmentWindow(90), 20);   // 19.5: to the even neighbour
    EXPECT_EQ(segmentWindow(190), 40);  // 40.5

    // The box grows point by point: nothing drawn, one place, then 1.415 ×
    // 100 = 141.5 halves up, then the taller side: 1.415 × 120 = 169.8.
    KeyPointBox box;
    EXPECT_EQ(boxSize(box), 0);
    const int sizes[][3] = {{50, 50, 0}, {150, 80, 142}, {150, 170, 170}};
    for (const auto [x, y, size] : sizes) {
        box.widen(x, y);
        EXPECT_EQ(boxSize(box), size) << x << "," << y;
    }
    const std::pair<double, double> rounded[] = {{2.5, 2.0},        {3.5, 4.0},
                                                 {-2.5, -2.0},      {-2.743, -3.0},
                                                 {0.49999999, 0.0}, {-0.5000001, -1.0}};
    for (const auto& [value, expected] : rounded)
        EXPECT_EQ(roundHalfToEven(value), expected) << value;
}

TEST(Agreement, LengthAndDirectionPieces) {
    // r = 0.1 < 0.33 gives 2r; a zero template length gives nothing.
    const double lengths[][3] = {{100, 100, 1.0}, {100, 50, 0.75}, {25, 250, 0.2}, {25, 0, 0.0}};
    for (const auto [user, templ, agreement] : lengths)
        EXPECT_DOUBLE_EQ(lengthAgreement(user, templ), agreement) << user << " " << templ;
    EXPECT_DOUBLE_EQ(directionAgreement(64, 0), 1.0);
    EXPECT_NEAR(directionAgreement(64, 64), -0.195, 1e-12);                     // a right angle
    EXPECT_NEAR(directionAgreement(64, 128), 0.9948, 1e-12);                    // written backwards
    EXPECT_DOUBLE_EQ(directionAgreement(64, 192), directionAgreement(64, 64));  // wraps round
    // Falls from the same direction to its lowest, about -0.33, a little past a
    // right angle (69 codes), then rises again towards the opposite one.
    for (int difference = 1; difference <= 128; ++difference) {
        const double here = directionAgreement(64, difference);
        const double before = directionAgreement(64, difference - 1);
        if (difference <= 69)
            EXPECT_LT(here, before) << difference;
        else
            EXPECT_GT(here, before) << difference;
        EXPECT_GE(here, -0.331) << difference;
    }
    // A short segment is forgiven most of a wrong direction; from 64 on, none.
    EXPECT_NEAR(directionAgreement(25, 64), 0.5332, 1e-4);
    EXPECT_NEAR(directionAgreement(48, 64), 0.1037, 1e-4);
    EXPECT_DOUBLE_EQ(directionAgreement(200, 64), directionAgreement(64, 64));
}

TEST(Pass, ScoresBonusAndStrokeFilter) {
    Drawing drawing = horizontalStroke();
    const std::vector<RecogTemplate> templates = {
        tmpl(u'一', 1, {{0, 180}}),                // same stroke count: bonus 9 %
        tmpl(u'二', 2, {{0, 180}}),                // no bonus
        tmpl(u'三', 3, {{0, 180}}),                // outside the stroke window 0..2
        tmpl(u'丨', 1, {{191, 180}}),              // a right angle away
        tmpl(u'乙', 1, {{0, 90}, {0, 90}}),        // two halves: one matched, one a gap
        tmpl(u'丶', 1, {{0, 9}, {0, 9}, {0, 9}}),  // three segments: outside 0..2
    };
    const Offered list = pass(drawing, templates);
    ASSERT_EQ(list.codes, u"一二乙丨");
    // 乙: its first half matches (0.75), and leaving out the second costs
    // 0.615, which rounds the gap back up to 0.
    const float scores[] = {1.09f, 1.0f, 0.0f};
    for (int slot : {0, 1, 2}) EXPECT_FLOAT_EQ(list.scores[slot], scores[slot]) << slot;
    EXPECT_LT(list.scores[3], 0.0f);
    EXPECT_EQ(drawing.segmentCount(), 1u);
}

TEST(Pass, NegativeScoresWithTheBonusGrowMoreNegative) {
    Drawing drawing = horizontalStroke();
    // No segments at all: the score is the border cell (1, 0) = −1.
    const Offered list = pass(drawing, {tmpl(u'甲', 2, {}), tmpl(u'乙', 1, {})});
    ASSERT_EQ(list.codes, u"甲乙");
    EXPECT_FLOAT_EQ(list.scores[0], -1.0f);
    EXPECT_FLOAT_EQ(list.scores[1], -1.09f);
}

TEST(Pass, FormFlagsFollowThePreference) {
    const std::vector<RecogTemplate> templates = {tmpl(u'国', 1, {{0, 180}}, kSimplifiedForm),
                                                  tmpl(u'國', 1, {{0, 180}}, kTraditionalForm),
                                                  tmpl(u'一', 1, {{0, 180}}, kOfferedAlways)};
    // Equal scores stay in file order.
    const std::pair<CharForm, std::u16string> cases[] = {
        {kBothForms, u"国國一"}, {kSimplifiedOnly, u"国一"}, {kTraditionalOnly, u"國一"}};
    for (const auto& [preference, codes] : cases) {
        Drawing drawing = horizontalStroke();
        EXPECT_EQ(pass(drawing, templates, preference).codes, codes) << preference;
    }
}

TEST(Pass, AnalyzeAgainReusesTheSegments) {
    const auto bytes = bytesOf({tmpl(u'国', 1, {{0, 180}}, kSimplifiedForm),
                                tmpl(u'國', 1, {{0, 170}}, kTraditionalForm)});
    Drawing drawing = horizontalStroke();
    Recognizer recognizer;
    recognizer.pass(drawing, bytes, kBothForms);
    EXPECT_EQ(recognizer.candidates().codeAt(0), u'国');
    recognizer.pass(drawing, bytes, kTraditionalOnly);  // the preference changed
    EXPECT_EQ(drawing.segmentCount(), 1u);
    EXPECT_EQ(recognizer.candidates().size(), 1);
    EXPECT_EQ(recognizer.candidates().codeAt(0), u'國');
}

TEST(Pass, GridSeesTheEmptiedListBeforeMatching) {
    const auto bytes = bytesOf({tmpl(u'一', 1, {{0, 180}})});
    Drawing drawing = horizontalStroke();
    Recognizer recognizer;
    recognizer.pass(drawing, bytes, kBothForms);
    int calls = 0;
    recognizer.pass(drawing, bytes, kBothForms, [&] {
        ++calls;
        EXPECT_EQ(recognizer.candidates().size(), 0);
        EXPECT_EQ(recognizer.candidates().codeAt(0), 0);
    });
    EXPECT_EQ(calls, 1);
    EXPECT_EQ(recognizer.candidates().codeAt(0), u'一');
}

TEST(Pass, ErasedPadMatchesOnlyTemplatesWithoutSegments) {
    Drawing drawing;
    const Offered list = pass(drawing, {tmpl(u'a', 0, {}), tmpl(u'b', 1, {{0, 100}}),
                                        tmpl(u'c', 1, {{0, 100}, {0, 100}}), tmpl(u'd', 2, {})});
    ASSERT_EQ(list.codes, u"ab");  // d: 2 strokes, outside 0..1
    EXPECT_FLOAT_EQ(list.scores[0], 0.0f);
    EXPECT_FLOAT_EQ(list.scores[1], -1.0f);
}

TEST(Pass, DrawingInOnePlaceHasNoDivisionByZero) {
    Drawing drawing;
    PadCapture pad(drawing);
    pad.penDown(50, 50);
    pad.penMove(70, 50);
    pad.penMove(60, 50);
    pad.penMove(50, 50);
    pad.penUp();
    const Offered list = pass(drawing, {tmpl(u'丶', 1, {{191, 25}}), tmpl(u'一', 1, {{0, 25}})});
    // The length counts as the floor 25: a perfect match for the dot.
    ASSERT_EQ(list.codes.size(), 2u);
    EXPECT_EQ(list.codes[0], u'丶');
    EXPECT_FLOAT_EQ(list.scores[0], 1.09f);
    EXPECT_TRUE(std::isfinite(list.scores[1]));
}

TEST(Pass, AlignmentMatchesItsRulesAlsoBeyondTheSixtyOneTable) {
    std::mt19937 rng(42);
    for (int round = 0; round < 30; ++round) {
        // A random drawing of a few strokes; some rounds long enough (more
        // than 49 segments) to need a larger table.
        const bool longDrawing = round % 5 == 4;
        const int strokes = longDrawing ? 3 : 1 + round % 6;
        Drawing drawing = randomDrawing(rng, strokes, longDrawing ? 30 : 4);
        reduceNewStrokes(drawing);
        const int n = int(drawing.segmentCount());
        const int box = boxSize(drawing.box);
        std::vector<int> ul, ud;
        for (int i = 0; i < n; ++i) {
            ul.push_back(std::max(25, box > 0 ? drawing.segmentLengths[i] * 255 / box : 0));
            ud.push_back(drawing.directionCodes[i]);
        }
        // Templates of every length inside the segment window, random bytes.
        std::vector<RecogTemplate> templates;
        const int u = segmentWindow(n);
        const int firstS = std::max(0, n - u);
        for (int S = firstS; S <= std::min(n + u, 255); ++S) {
            RecogTemplate t = tmpl(char16_t(0x4E00 + S), strokes, {});
            for (int j = 0; j < S; ++j) t.segments.push_back({uint8_t(rng()), uint8_t(rng())});
            templates.push_back(t);
        }
        Recognizer recognizer;
        recognizer.pass(drawing, bytesOf(templates), kBothForms);
        ASSERT_EQ(recognizer.candidates().size(), std::min<int>(15, int(templates.size())));
        for (int slot = 0; slot < recognizer.candidates().size(); ++slot) {
            const Candidate c = recognizer.candidates()[slot];
            const auto& t = templates[c.code - 0x4E00 - firstS];
            EXPECT_EQ(c.score, referenceScore(ul, ud, t.segments, strokes, t.strokes))
                << "round " << round << " n " << n << " S " << t.segments.size();
        }
        if (longDrawing) {
            EXPECT_GT(n, 49);
        }
    }
}

TEST(Pass, RankingEqualsOfferingEachTemplatesScoreInFileOrder) {
    // Many templates of few characters, so that ties and repeated characters
    // occur; the pass must rank exactly as offering align()'s score of each
    // template that passes the filters, one by one in file order.
    std::mt19937 rng(7);
    for (int round = 0; round < 12; ++round) {
        const int strokes = 1 + round % 5;
        Drawing drawing = randomDrawing(rng, strokes, 2 + round % 4);
        std::vector<RecogTemplate> templates;
        for (int k = 0; k < 400; ++k) {
            RecogTemplate t =
                tmpl(char16_t(u'a' + rng() % 40), 1 + rng() % 8, {}, uint8_t(rng() % 3));
            const int count = int(rng() % 24);
            for (int j = 0; j < count; ++j)
                t.segments.push_back({uint8_t(rng() % 4 * 64), uint8_t(rng() % 6 * 40)});
            templates.push_back(t);
        }
        const auto bytes = bytesOf(templates);
        for (const CharForm preference : {kSimplifiedOnly, kBothForms}) {
            Recognizer recognizer;
            recognizer.pass(drawing, bytes, preference);
            Recognizer reference;
            ASSERT_TRUE(reference.prepareFor(drawing));
            const int n = int(drawing.segmentCount()), s = drawing.strokeCount;
            CandidateList expected;
            for (const auto& t : templates) {
                if (std::abs(int(t.strokes) - s) > strokeWindow(s) ||
                    std::abs(int(t.segments.size()) - n) > segmentWindow(n) ||
                    !offeredUnder(t.formFlag, preference))
                    continue;
                std::vector<uint8_t> segmentBytes;
                for (const auto& seg : t.segments) {
                    segmentBytes.push_back(seg.direction);
                    segmentBytes.push_back(seg.length);
                }
                expected.offer(t.character, reference.align(segmentBytes, t.strokes));
            }
            ASSERT_EQ(recognizer.candidates().size(), expected.size()) << round;
            for (int slot = 0; slot < expected.size(); ++slot) {
                EXPECT_EQ(recognizer.candidates()[slot].code, expected[slot].code) << round;
                EXPECT_EQ(recognizer.candidates()[slot].score, expected[slot].score) << round;
            }
        }
    }
}

// A zigzag stroke across the pad: every turn is a key point, so a stroke of
// k points reduces to k - 1 segments.
Drawing zigzag(int points) {
    Drawing drawing;
    PadCapture pad(drawing);
    pad.penDown(10, 20);
    for (int k = 1; k < points; ++k) pad.penMove(k % 2 ? 190 : 10, 20 + (k % 150));
    pad.penUp();
    return drawing;
}

TEST(Pass, LongScribblesAreBoundedAndStillMatchTheLongestTemplates) {
    // The longest template (255 segments) still passes the segment window of
    // a 324-segment drawing, and is scored; one more segment and no template
    // can: the pass then must not build a table for nothing.
    RecogTemplate longest = tmpl(u'长', 1, {});
    for (int j = 0; j < 255; ++j) longest.segments.push_back({uint8_t(j % 2 ? 127 : 0), 230});
    const auto bytes = bytesOf({longest, tmpl(u'一', 1, {{0, 180}})});
    Recognizer recognizer;
    Drawing edge = zigzag(325);
    recognizer.pass(edge, bytes, kBothForms);
    ASSERT_EQ(edge.segmentCount(), 324u);
    ASSERT_EQ(recognizer.candidates().size(), 1);
    EXPECT_EQ(recognizer.candidates().codeAt(0), u'长');

    Drawing beyond = zigzag(326);
    recognizer.pass(beyond, bytes, kBothForms);
    EXPECT_EQ(recognizer.candidates().size(), 0);

    // A scribble of a million points: the pass ends at once with nothing,
    // and the same recogniser still works afterwards.
    Drawing scribble = zigzag(1'000'000);
    recognizer.pass(scribble, bytes, kBothForms);
    EXPECT_EQ(recognizer.candidates().size(), 0);
    Drawing one = horizontalStroke();
    recognizer.pass(one, bytes, kBothForms);
    EXPECT_EQ(recognizer.candidates().codeAt(0), u'一');
}

TEST(CandidateList, KeepsEachCharacterOnceWithItsBestScore) {
    CandidateList list;
    list.offer('a', 5);
    list.offer('b', 4);
    list.offer('a', 3);  // worse than the kept one: dropped
    list.offer('a', 5);  // equal: the earlier one stays
    ASSERT_EQ(list.size(), 2);
    EXPECT_EQ(list[0].code, 'a');
    EXPECT_EQ(list[0].score, 5);
    list.offer('b', 6);  // better: moves up, no duplicate
    ASSERT_EQ(list.size(), 2);
    EXPECT_EQ(list[0].code, 'b');
    EXPECT_EQ(list[1].code, 'a');
    list.offer('c', 5);  // equal to a: after it
    EXPECT_EQ(list[2].code, 'c');
}

TEST(CandidateList, ATemplateOfCodeZeroIsNoCandidate) {
    // 0 ends the list: a template file that names character 0 must not
    // take a slot that then shows as empty.
    CandidateList list;
    list.offer('a', 3);
    list.offer(0, 9);
    ASSERT_EQ(list.size(), 1);
    EXPECT_EQ(list.codeAt(0), 'a');
}

TEST(CandidateList, FifteenSlotsAndTheirEdges) {
    CandidateList list;
    for (int k = 0; k < 15; ++k) list.offer(100 + k, float(20 - k));  // scores 20 .. 6
    ASSERT_EQ(list.size(), 15);
    list.offer(200, 6);  // equal to the 15th: not inserted
    EXPECT_EQ(list.codeAt(14), 114);
    list.offer(201, 6.5f);  // better than the 15th: the 15th drops out
    EXPECT_EQ(list.size(), 15);
    EXPECT_EQ(list.codeAt(14), 201);
    EXPECT_EQ(list.codeAt(15), 0);
    EXPECT_EQ(list.codeAt(-1), 0);
    // A better template of a listed character replaces it, freeing no slot.
    list.offer(113, 30);
    EXPECT_EQ(list.codeAt(0), 113);
    EXPECT_EQ(list.size(), 15);
    EXPECT_EQ(list.codeAt(14), 201);
    for (int slot = 1; slot < 15; ++slot) EXPECT_GE(list[slot - 1].score, list[slot].score);
    list.clear();
    EXPECT_EQ(list.size(), 0);
    EXPECT_EQ(list.codeAt(0), 0);
}

}  // namespace
