// The character panel's texts: counterpart, component and frequency lines,
// the translation rendering, the per-character syllables and readings, and
// the companion program's argument.
#include <gtest/gtest.h>

#include <map>

#include "characters/character_panel.hpp"
#include "characters/components.hpp"
#include "characters/counterparts.hpp"
#include "platform/unicode_text.hpp"
#include "tests/support/character_files.hpp"
#include "tests/support/temp_dir.hpp"

using tulvo::dictionary::kBothForms;
using tulvo::dictionary::kFavoriteMark;

using namespace tulvo;
using namespace tulvo::characters;
using tulvo::testing::TempDir;

namespace {

class FixedValues : public dictionary::WordValueLookup {
  public:
    int wordValue(std::string_view form, int, std::string_view reading) const override {
        const auto it = values.find(std::string(form) + "|" + std::string(reading));
        return it == values.end() ? -1 : it->second;
    }
    std::map<std::string, int> values;
};

std::string utf8(const std::u16string& text) {
    return utf16ToUtf8(text);
}

class CharacterPanelTest : public ::testing::Test {
  protected:
    CharacterPanelTest() {
        dir_.writeLines(
            "data/CEDICT_ts.u8",
            {"馬 马 [ma3] /horse/surname Ma/", "馬上 马上 [ma3 shang4] /at once/",
             "上 上 [shang4] /on top/", "個 个 [ge4] /individual/", "一個 一个 [yi1 ge5] /one/",
             "卡爾·馬克思 卡尔·马克思 [Ka3 er3 · Ma3 ke4 si1] /Karl Marx/"});
        dir_.write("data/components.dat",
                   tulvo::testing::componentsFile({{u'马', u'马', 0}, {u'妈', u'女', 3, u"马"}}));
        dir_.write("data/types.txt", typesLine(u'马', 1, u'馬') + typesLine(u'馬', 2, u'马'));
        values_.values = {{"马|ma3", 0x21}, {"上|shang4", 0x10 - kFavoriteMark}, {"个|ge4", 0x03}};
        data_ = PanelData{dir_.path(), &values_, kBothForms};
    }

    TempDir dir_;
    FixedValues values_;
    PanelData data_;
    TranslationRenderer renderer_;
};

TEST(TranslationRendering, DefinitionsBecomeBulletedItalicLines) {
    TranslationRenderer renderer;
    RichText out;
    renderer.render(u"horse/surname Ma", out);
    EXPECT_EQ(plainText(out), u"\u00B7 horse\r\u00B7 surname Ma");
    for (const TextRun& run : out) {
        EXPECT_TRUE(run.italic);
        EXPECT_TRUE(run.indented);
    }
}

TEST(TranslationRendering, CrossReferenceSpacingAndUprightCharacters) {
    TranslationRenderer renderer;
    RichText out;
    renderer.render(u"see 看見|看见 or 看", out);
    EXPECT_EQ(plainText(out), u"\u00B7 see 看见 or 看");
    std::u16string upright;
    for (const TextRun& run : out)
        if (!run.italic) upright += run.text;
    EXPECT_EQ(upright, u"看见看");

    // No space after the excluded units, and none between characters.
    RichText quoted;
    renderer.render(u"(看)[看]:看;看0看", quoted);
    EXPECT_EQ(plainText(quoted), u"\u00B7 (看)[看]:看;看0看");
}

TEST(TranslationRendering, PreviousUnitCarriesOverBetweenTranslations) {
    TranslationRenderer renderer;
    RichText first, second;
    renderer.render(u"ends with:", first);
    renderer.render(u"看 at the start", second);
    EXPECT_EQ(plainText(second), u"\u00B7 看 at the start");  // ':' excludes the space
    RichText third;
    renderer.render(u"看 again", third);
    EXPECT_EQ(plainText(third), u"\u00B7  看 again");  // 't' does not
}

TEST(PanelLines, FrequencyLineAndColoursByValue) {
    const struct {
        int value;
        std::u16string line;
        uint32_t headword, character;
    } cases[] = {
        {0x21, u"frequency of use: 90%, HSK: 2\r", 0x000080, 0x000080},
        {0, u"frequency of use: 100%\r", 0x2030FF, 0x2035FF},
        {0x12 - kFavoriteMark, u"frequency of use: 80%, HSK: 1\r", kPanelFavorite, kPanelFavorite},
        {0x32, u"frequency of use: 80%, HSK: 3\r", 0, 0},
        {-1 - kFavoriteMark, u"", kPanelFavorite, kPanelFavorite},
        {-1, u"", 0, 0},
        // HSK 6 with class 3 (颠簸): a favorite like any other.
        {0x63, u"frequency of use: 70%, HSK: 6\r", 0, 0},
        {0x63 - kFavoriteMark, u"frequency of use: 70%, HSK: 6\r", kPanelFavorite, kPanelFavorite},
        {0xF0, u"frequency of use: 100%, HSK: 15\r", 0x2030FF, 0x2035FF}};
    for (const auto& c : cases) {
        EXPECT_EQ(frequencyLine(c.value), c.line) << c.value;
        EXPECT_EQ(headwordDisplayColour(c.value), c.headword) << c.value;
        EXPECT_EQ(characterDisplayColour(c.value), c.character) << c.value;
        // The favorite toggle: the mark added or taken away, the frequency kept.
        EXPECT_EQ(toggledValue(c.value), c.value + (c.value < -1 ? kFavoriteMark : -kFavoriteMark));
        EXPECT_EQ(toggledValue(toggledValue(c.value)), c.value);
        EXPECT_EQ(frequencyLine(toggledValue(c.value)), c.line);
        EXPECT_EQ(headwordDisplayColour(toggledValue(c.value)) == kPanelFavorite, c.value >= -1);
    }
}

// References to other entries read as words with their pinyin, in the
// script of the headword.
TEST(TranslationRendering, MarkupReadsAsWordsAndPinyin) {
    const struct {
        const char16_t* translation;
        bool traditional;
        const char16_t* shown;
    } cases[] = {
        {u"television/CL:臺|台[tai2]", false, u"\u00B7 television\r\u00B7 measure word: 台 tái"},
        {u"television/CL:臺|台[tai2]", true, u"\u00B7 television\r\u00B7 measure word: 臺 tái"},
        {u"CL:個|个[ge4],位[wei4]", false, u"\u00B7 measure words: 个 gè, 位 wèi"},
        {u"variant of 為|为[wei4]", false, u"\u00B7 variant of 为 wèi"},
        {u"see 什麼|什么[shen2 me5]", true, u"\u00B7 see 什麼 shén me"},
        {u"also pr. [nei4 ge5]", false, u"\u00B7 also pr. [nèi ge]"},
        {u"see 看見|看见", false, u"\u00B7 see 看见"},
        {u"Taiwan pr. [Tai2 wan1]", false, u"\u00B7 Taiwan pr. [Tái wān]"},
        // Brackets that hold no pinyin stay as they are.
        {u"(a [note]) CL:", false, u"\u00B7 (a [note]) CL:"},
    };
    for (const auto& c : cases) {
        TranslationRenderer renderer;
        RichText out;
        renderer.render(c.translation, out, c.traditional);
        EXPECT_EQ(utf8(plainText(out)), utf8(c.shown)) << utf8(c.translation);
    }
}

TEST_F(CharacterPanelTest, OneCharacterEntry) {
    const PanelEntry entry{u"马", u"mǎ", u"horse/surname Ma", u"1馬", 0x21, false};
    const RichText info = entryInformation(entry, data_, renderer_);
    EXPECT_EQ(utf8(plainText(info)),
              "traditional: 馬  \rradical/components: 马+0\rfrequency of use: 90%, HSK: 2\r"
              "· horse\r· surname Ma");
    EXPECT_FALSE(info.front().indented);
    EXPECT_TRUE(info.back().indented);
}

TEST_F(CharacterPanelTest, WordEntryHasNoComponentsAndFavoriteWithoutValueNoFrequency) {
    const PanelEntry word{u"马上", u"mǎ shàng", u"at once", u"", -1 - kFavoriteMark, false};
    EXPECT_EQ(utf8(plainText(entryInformation(word, data_, renderer_))), "· at once");
    EXPECT_EQ(headwordDisplayColour(word.value), kPanelFavorite);
}

TEST_F(CharacterPanelTest, BareCharacterTakesItsCounterparts) {
    const PanelEntry bare{u"馬", u"", u"", u"", -1, true};
    EXPECT_EQ(utf8(plainText(entryInformation(bare, data_, renderer_))), "simplified: 马  \r");
    const PanelEntry unknown{u"妈", u"", u"", u"", -1, true};
    EXPECT_EQ(utf8(plainText(entryInformation(unknown, data_, renderer_))),
              "radical/components: 女+3 马\r");
}

TEST_F(CharacterPanelTest, CharactersOfAWord) {
    const CharacterView first = characterView(u"马上", u"mǎ shàng", 0, data_, renderer_);
    EXPECT_EQ(first.character, u'马');
    EXPECT_EQ(first.syllable, u"mǎ");
    EXPECT_EQ(first.reading, "ma3");
    EXPECT_EQ(first.value, 0x21);
    EXPECT_EQ(utf8(plainText(first.information)),
              "frequency of use: 90%, HSK: 2\rtraditional: 馬\rradical/components: 马+0\r· "
              "horse\r· surname Ma");

    const CharacterView second = characterView(u"马上", u"mǎ shàng", 1, data_, renderer_);
    EXPECT_EQ(second.syllable, u"shàng");
    EXPECT_EQ(second.value, 0x10 - kFavoriteMark);  // a favorite character
    EXPECT_EQ(utf8(plainText(second.information)), "frequency of use: 100%, HSK: 1\r· on top");

    EXPECT_EQ(characterView(u"马上", u"mǎ shàng", 2, data_, renderer_).character, 0);
}

TEST_F(CharacterPanelTest, NeutralToneIsCompletedFromTheDefinitions) {
    const CharacterView view = characterView(u"一个", u"yī ge", 1, data_, renderer_);
    EXPECT_EQ(view.reading, "ge4");
    EXPECT_EQ(view.syllable, u"gè");
    EXPECT_EQ(view.value, 0x03);
    EXPECT_EQ(utf8(plainText(view.information)), "frequency of use: 70%\r· individual");
}

TEST_F(CharacterPanelTest, MiddleDotHasNoSyllableAndIsNotCounted) {
    const std::u16string word = u"卡尔·马克思";
    const std::u16string pinyin = u"Kǎ ěr · Mǎ kè sī";
    EXPECT_EQ(characterView(word, pinyin, 2, data_, renderer_).syllable, u"");
    const CharacterView ma = characterView(word, pinyin, 3, data_, renderer_);
    EXPECT_EQ(ma.syllable, u"Mǎ");
    EXPECT_EQ(ma.reading, "ma3");
    EXPECT_EQ(utf8(plainText(ma.information)),
              "frequency of use: 90%, HSK: 2\rtraditional: 馬\rradical/components: 马+0\r· "
              "horse\r· surname Ma");
    // Without the dot in the pinyin, and with commas between syllables.
    EXPECT_EQ(syllableAt(word, u"Kǎ ěr Mǎ kè sī", 3), u"Mǎ");
    EXPECT_EQ(syllableAt(u"你，好", u"nǐ, hǎo", 2), u"hǎo");
    EXPECT_EQ(syllableAt(u"你好吗", u"nǐ hǎo", 2), u"");
}

TEST(CompanionArgument, PercentEncodesLatinAndCodePage936) {
    EXPECT_EQ(companionArgument(u"中 a"), "%D6%D0%20%61");
    EXPECT_EQ(companionArgument(u"a\r\nb\t\u00E9"), "%61%62%E9");
    EXPECT_EQ(companionArgument(u"马上"), "%C2%ED%C9%CF");
    EXPECT_EQ(companionArgument(u""), "");
}

}  // namespace
