// The template builder: the strict JSON reader, the stroke data's medians on
// the pad, mouse sampling, form flags and the built file; the shapes built
// from the same files, read by the recogniser.
#include <gtest/gtest.h>

#include "characters/char_types.hpp"
#include "characters/freq_file.hpp"
#include "handwriting/matcher.hpp"
#include "handwriting/shape_recognizer.hpp"
#include "tests/support/character_files.hpp"
#include "tests/support/temp_dir.hpp"
#include "tools/databuild/json.hpp"
#include "tools/databuild/recog_builder.hpp"
#include "tools/databuild/shape_builder.hpp"

using namespace tulvo::databuild;
using namespace tulvo::handwriting;

namespace {

TEST(Json, ReadsValuesStrictly) {
    std::string error;
    const auto doc =
        parseJson(R"( {"a": [1, -2.5, 3e2, true, null], "s": "x\"\u00e9\ud83d\ude00\n"} )", &error);
    ASSERT_TRUE(doc) << error;
    const auto* a = doc->member("a")->array();
    ASSERT_EQ(a->size(), 5u);
    EXPECT_EQ(*(*a)[1].number(), -2.5);
    EXPECT_EQ(*(*a)[2].number(), 300);
    EXPECT_EQ(*doc->member("s")->string(), "x\"\xC3\xA9\xF0\x9F\x98\x80\n");
    EXPECT_EQ(doc->member("missing"), nullptr);

    for (const char* bad : {"", "[1,]", "[01]", "{\"a\":1,\"a\":2}", "[1] 2", "\"abc", "[1.]",
                            "{a:1}", "\"\\x\"", "\"\\ud800\"", "[\"tab\there\"]", "nul"}) {
        EXPECT_FALSE(parseJson(bad, &error)) << bad;
        EXPECT_NE(error.find("byte"), std::string::npos);
    }
    EXPECT_FALSE(parseJson(std::string(100, '[') + std::string(100, ']'), &error));
}

TEST(Medians, ReadFromACharacterFile) {
    std::string error;
    const auto medians = mediansFromJson(
        R"({"strokes": ["M 0 0 Z"], "medians": [[[100, 500], [900, 500.5]]], "radStrokes": []})",
        &error);
    ASSERT_TRUE(medians) << error;
    ASSERT_EQ(medians->size(), 1u);
    EXPECT_EQ((*medians)[0][1].y, 500.5);
    EXPECT_FALSE(mediansFromJson(R"({"strokes": []})", &error));
    EXPECT_FALSE(mediansFromJson(R"({"medians": [[[1, 2, 3]]]})", &error));
    EXPECT_FALSE(mediansFromJson(R"({"medians": [[]]})", &error));
}

TEST(Medians, PlacedOnThePadWithYDown) {
    // The data's top (y 900) is the pad's top; its x grows to the right.
    const auto placed = placeOnPad({{{0, 900}, {1024, -124}}}, centredPlacement(190));
    EXPECT_DOUBLE_EQ(placed[0][0].x, 5);
    EXPECT_DOUBLE_EQ(placed[0][0].y, 5);
    EXPECT_DOUBLE_EQ(placed[0][1].x, 195);
    EXPECT_DOUBLE_EQ(placed[0][1].y, 195);
}

TEST(Sampling, EvenStepsAlongThePathAndBothEnds) {
    const auto mouse = sampleAsMouse({{10, 10}, {20, 10}, {20, 15}}, 4);
    const MouseStroke expected = {{10, 10}, {14, 10}, {18, 10}, {20, 12}, {20, 15}};
    EXPECT_EQ(mouse, expected);
    EXPECT_EQ(sampleAsMouse({{7, 7}}, 2), (MouseStroke{{7, 7}}));
}

TEST(Templates, OneCharacterThroughTheCaptureRules) {
    // 十: a horizontal stroke left to right, then a vertical one downwards
    // (the data's y falls as the pen goes down).
    const std::vector<Polyline> shi = {{{100, 400}, {924, 400}}, {{512, 800}, {512, 0}}};
    TemplateRecipe recipe;
    recipe.placements = {centredPlacement(190)};
    const auto templates = templatesForCharacter(u'十', kTraditionalForm, shi, recipe);
    ASSERT_EQ(templates.size(), 1u);
    const RecogTemplate& t = templates[0];
    EXPECT_EQ(t.character, u'十');
    EXPECT_EQ(t.formFlag, kTraditionalForm);
    EXPECT_EQ(t.strokes, 2);
    ASSERT_EQ(t.segments.size(), 2u);
    EXPECT_EQ(t.segments[0].direction, 0);
    EXPECT_EQ(t.segments[1].direction, 191);
    // Stored points come every 6 pixels (the 5-pixel rule), so the strokes
    // end 2 and 4 pixels short: 150 and 144 pixels, box 1.415 × 150 = 212.
    EXPECT_EQ(t.segments[0].length, 150 * 255 / 212);
    EXPECT_EQ(t.segments[1].length, 144 * 255 / 212);

    // The same strokes written on the pad match this template perfectly.
    Drawing drawing = writeOnPad({sampleAsMouse(placeOnPad(shi, recipe.placements[0])[0], 3),
                                  sampleAsMouse(placeOnPad(shi, recipe.placements[0])[1], 3)});
    const std::string bytes = encodeRecog(templates);
    Recognizer recognizer;
    recognizer.pass(drawing,
                    std::span(reinterpret_cast<const uint8_t*>(bytes.data()), bytes.size()),
                    kBothForms);
    ASSERT_EQ(recognizer.candidates().size(), 1);
    EXPECT_FLOAT_EQ(recognizer.candidates()[0].score, 2 * 1.08f);

    // Variants at other sizes with the same number of segments are left out.
    recipe.placements = {centredPlacement(190), centredPlacement(150), centredPlacement(190)};
    EXPECT_EQ(templatesForCharacter(u'十', 0, shi, recipe).size(), 1u);
}

TEST(Templates, AveragedSegmentByDirectionOnTheCircleAndLength) {
    const RecogTemplate a{u'x', kSimplifiedForm, 3, {{250, 100}, {10, 25}, {60, 200}}};
    const RecogTemplate b{u'x', kSimplifiedForm, 3, {{6, 60}, {20, 26}, {70, 255}}};
    const RecogTemplate c{u'x', kSimplifiedForm, 3, {{0, 80}, {15, 25}, {65, 255}}};
    const RecogTemplate mean = averagedTemplate({&a, &b, &c});
    EXPECT_EQ(mean.character, u'x');
    EXPECT_EQ(mean.formFlag, kSimplifiedForm);
    EXPECT_EQ(mean.strokes, 3);
    ASSERT_EQ(mean.segments.size(), 3u);
    // 250, 6 and 0 lie around "right", not around "left" (their plain mean, 85).
    EXPECT_TRUE(mean.segments[0].direction >= 254 || mean.segments[0].direction <= 2)
        << int(mean.segments[0].direction);
    EXPECT_EQ(mean.segments[0].length, 80);
    EXPECT_EQ(mean.segments[1].direction, 15);
    EXPECT_EQ(mean.segments[1].length, 25);
    EXPECT_EQ(mean.segments[2].direction, 65);
    EXPECT_EQ(mean.segments[2].length, 237);
}

TEST(Templates, RenderedRecipeKeepsAFewTemplatesThatDependOnTheCharacterOnly) {
    const std::vector<Polyline> shi = {{{100, 400}, {924, 400}}, {{512, 800}, {512, 0}}};
    const std::vector<Polyline> zi = {{{300, 800}, {500, 650}, {700, 800}, {450, 400}},
                                      {{150, 350}, {900, 350}},
                                      {{512, 500}, {512, 40}, {430, 100}}};
    TemplateRecipe recipe;
    recipe.renderings = 16;
    recipe.maxTemplates = 3;
    for (const auto* medians : {&shi, &zi}) {
        const auto first = templatesForCharacter(u'c', kSimplifiedForm, *medians, recipe);
        ASSERT_GE(first.size(), 1u);
        EXPECT_LE(first.size(), 3u);
        for (const RecogTemplate& t : first) {
            EXPECT_EQ(t.character, u'c');
            EXPECT_EQ(t.formFlag, kSimplifiedForm);
            EXPECT_EQ(t.strokes, medians->size());
            for (const TemplateSegment& seg : t.segments) EXPECT_GE(seg.length, kLengthFloor);
        }
        // Made again, after another character: the same templates.
        templatesForCharacter(u'd', 0, shi, recipe);
        EXPECT_EQ(templatesForCharacter(u'c', kSimplifiedForm, *medians, recipe), first);
    }
    // 十's main template is still a horizontal then a vertical segment.
    const auto t = templatesForCharacter(u'十', 0, shi, recipe)[0];
    ASSERT_EQ(t.segments.size(), 2u);
    EXPECT_TRUE(t.segments[0].direction <= 4 || t.segments[0].direction >= 252);
    EXPECT_NEAR(t.segments[1].direction, 191, 4);
}

TEST(Templates, ShortSegmentsStoredAtTheFloor) {
    // A long stroke and a dot: the dot's normalised length is below 25.
    const std::vector<Polyline> strokes = {{{100, 400}, {924, 400}}, {{500, 700}, {520, 690}}};
    TemplateRecipe recipe;
    recipe.placements = {centredPlacement(190)};
    const auto t = templatesForCharacter(u'x', 0, strokes, recipe)[0];
    ASSERT_EQ(t.segments.size(), 2u);
    EXPECT_EQ(t.segments[1].length, kLengthFloor);
}

TEST(Templates, FormFlagsFromTheCharacterTypes) {
    using tulvo::characters::FormType;
    EXPECT_EQ(formFlagOf(-1), kOfferedAlways);
    EXPECT_EQ(formFlagOf(tulvo::characters::kFormBoth), kOfferedAlways);
    EXPECT_EQ(formFlagOf(tulvo::characters::kFormSimplifiedOnly), kSimplifiedForm);
    EXPECT_EQ(formFlagOf(tulvo::characters::kFormTraditionalOnly), kTraditionalForm);
    EXPECT_EQ(formFlagOf(tulvo::characters::kFormNeither), kOfferedAlways);
}

TEST(Templates, BuildsEveryCharacterFileInCodeOrder) {
    tulvo::testing::TempDir dir;
    const std::string horizontal = R"({"medians": [[[100, 400], [924, 400]]]})";
    const std::string vertical = R"({"medians": [[[512, 800], [512, 0]]]})";
    dir.write("strokes/\xE5\x9B\xBD.json", horizontal);  // 国 U+56FD
    dir.write("strokes/\xE5\x9C\x8B.json", vertical);    // 國 U+570B
    dir.write("strokes/\xE4\xB8\x80.json", horizontal);  // 一 U+4E00
    dir.write("strokes/package.json", R"({"name": "x"})");
    dir.write("strokes/README.md", "text");

    std::string error;
    size_t characters = 0;
    auto templates =
        buildRecogTemplates(dir / "strokes", dir / "no-chartypes.txt", &error, &characters);
    ASSERT_TRUE(templates) << error;
    EXPECT_EQ(characters, 3u);
    ASSERT_FALSE(templates->empty());
    EXPECT_EQ(templates->front().character, u'一');
    EXPECT_EQ(templates->back().character, u'國');
    for (const auto& t : *templates) EXPECT_EQ(t.formFlag, kOfferedAlways);  // no types file

    // With character types: 国 simplified only, 國 traditional only.
    dir.write("chartypes.txt", tulvo::testing::charTypesFile(
                                   {{u'国', 8, tulvo::characters::kFormSimplifiedOnly},
                                    {u'國', 11, tulvo::characters::kFormTraditionalOnly}}));
    templates = buildRecogTemplates(dir / "strokes", dir / "chartypes.txt", &error);
    ASSERT_TRUE(templates) << error;
    for (const auto& t : *templates) {
        const uint8_t expected = t.character == u'国'   ? kSimplifiedForm
                                 : t.character == u'國' ? kTraditionalForm
                                                        : kOfferedAlways;
        EXPECT_EQ(t.formFlag, expected) << int(t.character);
    }

    // A broken character file stops the build with its name.
    dir.write("strokes/\xE4\xBA\x8C.json", R"({"medians": [[[1, 2]], })");
    EXPECT_FALSE(buildRecogTemplates(dir / "strokes", dir / "chartypes.txt", &error));
    EXPECT_NE(error.find(".json"), std::string::npos);
}

TEST(Shapes, BuiltFromTheStrokeFilesWithFormsAndFrequencies) {
    tulvo::testing::TempDir dir;
    const std::string horizontal = R"({"medians": [[[100, 400], [924, 400]]]})";
    dir.write("strokes/\xE5\x9B\xBD.json", horizontal);  // 国, unlisted
    dir.write("strokes/\xE5\x9C\x8B.json", R"({"medians": [[[512, 800], [512, 0]]]})");  // 國
    dir.write("strokes/\xE4\xB8\x80.json", horizontal);                                  // 一
    dir.write("chartypes.txt", tulvo::testing::charTypesFile(
                                   {{u'国', 8, tulvo::characters::kFormSimplifiedOnly},
                                    {u'國', 11, tulvo::characters::kFormTraditionalOnly}}));
    tulvo::characters::FreqFileWriter freq;
    freq.add(u"一", tulvo::characters::frequencyValue(0, 1));
    freq.add(u"國", tulvo::characters::frequencyValue(5, 0));
    dir.write("freq.dat", freq.bytes());

    std::string error;
    const auto shapes =
        buildShapes(dir / "strokes", dir / "chartypes.txt", dir / "freq.dat", &error);
    ASSERT_TRUE(shapes) << error;
    ASSERT_EQ(shapes->size(), 3u);
    const std::tuple<char16_t, uint8_t, uint8_t> expected[] = {
        {u'一', kOfferedAlways, 0},
        {u'国', kSimplifiedForm, kUnlistedFrequency},
        {u'國', kTraditionalForm, 5}};
    for (size_t k = 0; k < 3; ++k) {
        const auto [character, form, frequency] = expected[k];
        EXPECT_EQ((*shapes)[k].character, character);
        EXPECT_EQ((*shapes)[k].formFlag, form);
        EXPECT_EQ((*shapes)[k].frequencyClass, frequency);
        EXPECT_EQ((*shapes)[k].strokes.size(), 1u);
    }

    // Read by the recogniser: a horizontal line is 一 before the same shape
    // of the unlisted 国; a vertical one is 國.
    ShapeRecognizer recognizer;
    recognizer.load(*shapes, {});
    Drawing line;
    PadCapture pad(line);
    pad.penDown(30, 100);
    for (int x = 40; x <= 170; x += 10) pad.penMove(x, 102);
    pad.penUp();
    recognizer.pass(line, kBothForms);
    EXPECT_EQ(recognizer.candidates().codeAt(0), u'一');
    EXPECT_EQ(recognizer.candidates().codeAt(1), u'国');
    Drawing down;
    PadCapture pen(down);
    pen.penDown(100, 30);
    for (int y = 40; y <= 170; y += 10) pen.penMove(101, y);
    pen.penUp();
    recognizer.pass(down, kBothForms);
    EXPECT_EQ(recognizer.candidates().codeAt(0), u'國');

    // A broken character file stops the build with its name.
    dir.write("strokes/\xE4\xBA\x8C.json", R"({"medians": [[[1, 2]], })");
    EXPECT_FALSE(buildShapes(dir / "strokes", dir / "chartypes.txt", dir / "freq.dat", &error));
    EXPECT_NE(error.find(".json"), std::string::npos);
}

}  // namespace
