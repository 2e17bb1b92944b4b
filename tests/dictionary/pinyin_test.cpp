#include "dictionary/pinyin.hpp"

#include <gtest/gtest.h>

#include "platform/unicode_text.hpp"

using namespace tulvo::dictionary;
using tulvo::utf16ToUtf8;
using tulvo::utf8ToUtf16;

namespace {
std::string marked(std::string_view numbered) {
    return utf16ToUtf8(numberedToMarked(numbered));
}
std::string numbered(std::string_view marked, bool clean = false) {
    return markedToNumbered(utf8ToUtf16(marked), clean);
}
}  // namespace

TEST(NumberedToMarked, DictionarySyllables) {
    EXPECT_EQ(marked("ni3 hao3"), "nǐ hǎo");
    EXPECT_EQ(marked("Zhong1 guo2"), "Zhōng guó");
    EXPECT_EQ(marked("xian1 sheng5"), "xiān sheng");
    EXPECT_EQ(marked("ma5"), "ma");
    EXPECT_EQ(marked("liu2 gui4 shuo1"), "liú guì shuō");
    EXPECT_EQ(marked("nu:3 lu:4"), "nǚ lǜ");
    EXPECT_EQ(marked("hua4r"), "huàr");
    EXPECT_EQ(marked("er4"), "èr");
    EXPECT_EQ(marked("xiong1 chuang1 yue4 jiao4"), "xiōng chuāng yuè jiào");
}

TEST(NumberedToMarked, CapitalsAndNeutralUmlaut) {
    EXPECT_EQ(marked("Ou1"), "Ōu");
    EXPECT_EQ(marked("A1 E2 O3 A4"), "Ā É Ǒ À");
    EXPECT_EQ(marked("An1 hui1"), "Ān huī");
    EXPECT_EQ(marked("lu:5"), "lu:");
    EXPECT_EQ(marked("lu:e4"), "lǜe");
}

TEST(NumberedToMarked, PlaceholdersInTheInputAreRewritten) {
    // The UTF-16 pass rewrites placeholder letters wherever they stand.
    EXPECT_EQ(marked("*"), "à");
    EXPECT_EQ(marked("ä ü Ç"), "ā ū ǜ");
    // Digits 0 and 5 vanish even inside numbers.
    EXPECT_EQ(marked("120"), "12");
}

TEST(NumberedToMarked, SyllablesMetBeforeConvertTheSameInEveryText) {
    // Syllables come back in later texts, joined, spaced or in capitals;
    // spaces are kept as they stand, a syllable never spills into the next.
    for (int pass = 0; pass < 2; ++pass) {
        EXPECT_EQ(marked("zhong1 guo2"), "zhōng guó");
        EXPECT_EQ(marked("Zhong1guo2 ren2"), "Zhōngguó rén");
        EXPECT_EQ(marked("  ren2  min2 "), "  rén  mín ");
        EXPECT_EQ(marked("xi1 an1"), "xī ān");
        EXPECT_EQ(marked("Xi1an1"), "Xīān");
        EXPECT_EQ(marked("lu:e4 lu:5 nu:3"), "lǜe lu: nǚ");
        EXPECT_EQ(marked("hua4r * ma5"), "huàr à ma");
        // Text beyond ASCII goes through the conversion as a whole.
        EXPECT_EQ(marked("ä guo2"), "ā guó");
    }
}

TEST(MarkedToNumbered, Examples) {
    EXPECT_EQ(numbered("nǐ hǎo"), "ni3 hao3");
    EXPECT_EQ(numbered("Zhōngguó"), "Zhong1guo2");
    EXPECT_EQ(numbered("lǜ"), "lu:4");
    EXPECT_EQ(numbered("nǚ"), "nu:3");
    EXPECT_EQ(numbered("lǜe"), "lu:e4");
    EXPECT_EQ(numbered("huàr"), "hua4r");
    EXPECT_EQ(numbered("Ōu"), "Ou1");
    EXPECT_EQ(numbered("Àomén"), "Ao4men2");
    EXPECT_EQ(numbered("xiān"), "xian1");
    EXPECT_EQ(numbered("èr"), "er4");
    EXPECT_EQ(numbered("hǎinán"), "hai3nan2");
}

TEST(MarkedToNumbered, FinalSyllableFlagDropsTheNeutralFive) {
    EXPECT_EQ(numbered("ma5", true), "ma");
    EXPECT_EQ(numbered("shang5", true), "shang");
    EXPECT_EQ(numbered("ma5", false), "ma5");
    EXPECT_EQ(numbered("ma5 ma5", true), "ma5 ma");
    EXPECT_EQ(numbered("m5", true), "m5");
}

TEST(MarkedToNumbered, RoundTripsDictionaryPinyin) {
    for (const char* syllables : {"zhong1 guo2", "ni3 hao3", "lu:4 se4", "xiong2 mao1",
                                  "Bei3 jing1", "jue2 ding4", "kuai4 le4", "lu:e4"})
        EXPECT_EQ(numbered(marked(syllables)), syllables) << syllables;
}

TEST(MarkedVowelSet, HoldsThirtySixMarkedLettersAndNoPlaceholder) {
    const MarkedVowels vowels;
    EXPECT_EQ(vowels.all().size(), 36u);
    EXPECT_EQ(utf16ToUtf8(vowels.all()), "āáǎàēéěèīíǐìōóǒòūúǔùǖǘǚǜĀÁǍÀĒÉĚÈŌÓǑÒ");
    for (char16_t placeholder : std::u16string(u"äâÄÂëêïîöôÖÔüûÿÜçÇ*"))
        EXPECT_FALSE(vowels.contains(placeholder));
}

TEST(QueryNormalisation, SpacesZeroAndV) {
    EXPECT_EQ(normalizeQuery("ni3 hao3"), "ni3hao3");
    EXPECT_EQ(normalizeQuery("ma0"), "ma5");
    EXPECT_EQ(normalizeQuery("lv4"), "lu:4");
    EXPECT_EQ(normalizeQuery("LV4"), "LV4");  // "V" is not replaced; the scan lower-cases after
}

TEST(ReplaceAll, LeftToRightWithoutOverlaps) {
    std::string text = "aaaa";
    replaceAll(text, "aa", "b");
    EXPECT_EQ(text, "bb");
    text = "aaa";
    replaceAll(text, "aa", "a");
    EXPECT_EQ(text, "aa");
}
