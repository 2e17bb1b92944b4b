// Recognition on the real templates (data/recog.dat, run in the program
// directory) of handwriting made from the stroke data: clean writing of
// common characters comes out on top; lightly distorted 我, 是, 國 come among
// the first candidates; the preference hides the other form's characters.
#include <gtest/gtest.h>

#include <map>
#include <random>
#include <set>

#include "handwriting/matcher.hpp"
#include "platform/unicode_text.hpp"
#include "tools/databuild/output_file.hpp"
#include "tools/databuild/recog_builder.hpp"
#include "tools/databuild/synthetic_writing.hpp"

using namespace tulvo::handwriting;
using namespace tulvo::databuild;

namespace {

std::vector<Polyline> mediansOf(char16_t character) {
    const auto file = std::filesystem::path(TULVO_STROKE_DATA_DIR) /
                      (tulvo::utf16ToUtf8(std::u16string(1, character)) + ".json");
    std::string json;
    if (!readWholeFile(file, json, nullptr)) return {};
    return mediansFromJson(json, nullptr).value_or(std::vector<Polyline>{});
}

// The first candidates after writing the strokes one by one, a pass after each.
std::u16string candidatesFor(const std::vector<MouseStroke>& strokes, CharForm preference) {
    Drawing drawing;
    PadCapture pad(drawing);
    Recognizer recognizer;
    for (const MouseStroke& stroke : strokes) {
        pad.penDown(stroke[0].first, stroke[0].second);
        for (size_t i = 1; i < stroke.size(); ++i) pad.penMove(stroke[i].first, stroke[i].second);
        pad.penUp();
        recognizer.pass(drawing, kRecogPath, preference);
    }
    std::u16string out;
    for (int slot = 0; slot < recognizer.candidates().size(); ++slot)
        out += char16_t(recognizer.candidates().codeAt(slot));
    return out;
}

class RealTemplates : public ::testing::Test {
  protected:
    void SetUp() override {
        const auto bytes = readRecogFile(kRecogPath);
        const auto templates = decodeRecog(bytes);
        ASSERT_TRUE(templates) << "data/recog.dat is missing or damaged: run make data";
        for (const auto& t : *templates) flags_[t.character] = t.formFlag;
    }
    std::map<char16_t, uint8_t> flags_;
};

TEST_F(RealTemplates, EveryCharacterOfTheStrokeDataHasATemplate) {
    EXPECT_GE(flags_.size(), kMinimumStrokeCharacters);
    for (const char16_t c : std::u16string(u"我是國国的人永"))
        EXPECT_TRUE(flags_.count(c)) << int(c);
}

TEST_F(RealTemplates, CleanWritingOfCommonCharactersIsTheTopCandidate) {
    std::mt19937 rng(1);
    for (const char16_t c : std::u16string(u"我是的人大中学永好字国")) {
        const auto medians = mediansOf(c);
        ASSERT_FALSE(medians.empty());
        const auto strokes = writeSynthetic(medians, randomStyle(0, rng), rng);
        const std::u16string found = candidatesFor(strokes, kBothForms);
        ASSERT_FALSE(found.empty());
        EXPECT_EQ(found[0], c) << tulvo::utf16ToUtf8(found);
    }
}

TEST_F(RealTemplates, LightlyDistortedWritingIsAmongTheFirstCandidates) {
    std::mt19937 rng(2026);
    for (const char16_t c : std::u16string(u"我是國")) {
        const auto medians = mediansOf(c);
        for (int k = 0; k < 3; ++k) {
            const auto strokes = writeSynthetic(medians, randomStyle(0.3, rng), rng);
            const std::u16string found = candidatesFor(strokes, kBothForms);
            EXPECT_NE(found.substr(0, 5).find(c), std::u16string::npos)
                << tulvo::utf16ToUtf8(std::u16string(1, c)) << ": " << tulvo::utf16ToUtf8(found);
        }
    }
}

// Templates made from many writings of each character find hurried writing
// better than templates of one clean writing each, among the same characters.
TEST(RenderedTemplates, FindHurriedWritingBetterThanCleanOnes) {
    const std::u16string characters =
        u"我是的不了人在有他这中大来上国个到说们为子和你地出道也时年得就那要下";
    std::vector<std::vector<Polyline>> medians;
    for (const char16_t c : characters) medians.push_back(mediansOf(c));
    auto topOne = [&](const TemplateRecipe& recipe) {
        std::vector<RecogTemplate> templates;
        for (size_t k = 0; k < characters.size(); ++k)
            for (auto& t : templatesForCharacter(characters[k], 0, medians[k], recipe))
                templates.push_back(std::move(t));
        const std::string encoded = encodeRecog(templates);
        const std::span bytes(reinterpret_cast<const uint8_t*>(encoded.data()), encoded.size());
        std::mt19937 rng(99);  // not a seed the builder uses
        int found = 0;
        for (int round = 0; round < 4; ++round) {
            for (size_t k = 0; k < characters.size(); ++k) {
                Drawing drawing =
                    writeOnPad(writeSynthetic(medians[k], randomStyle(0.9, rng), rng));
                Recognizer recognizer;
                recognizer.pass(drawing, bytes, kBothForms);
                found += recognizer.candidates().codeAt(0) == characters[k];
            }
        }
        return found;
    };
    const int clean = topOne(TemplateRecipe{});
    const int rendered = topOne(shippedRecipe());
    EXPECT_GT(rendered, clean) << "clean " << clean << ", rendered " << rendered;
}

TEST_F(RealTemplates, PreferenceHidesTheOtherFormsCharacters) {
    std::mt19937 rng(3);
    for (const char16_t c : std::u16string(u"國国我")) {
        const auto strokes = writeSynthetic(mediansOf(c), randomStyle(0.2, rng), rng);
        for (const CharForm preference : {kSimplifiedOnly, kTraditionalOnly}) {
            const std::u16string found = candidatesFor(strokes, preference);
            EXPECT_FALSE(found.empty());
            for (const char16_t shown : found)
                EXPECT_TRUE(offeredUnder(flags_[shown], preference))
                    << int(shown) << " " << preference;
            // The written character itself: hidden exactly when its form is.
            if (offeredUnder(flags_[c], preference)) {
                EXPECT_NE(found.substr(0, 5).find(c), std::u16string::npos)
                    << int(c) << " " << preference;
            } else {
                EXPECT_EQ(found.find(c), std::u16string::npos) << int(c) << " " << preference;
            }
        }
    }
}

}  // namespace
