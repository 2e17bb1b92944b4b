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
using Pairs = std::vector<std::pair<std::string, std::string>>;
}  // namespace

TEST(NumberedToMarked, SyllablesCapitalsAndPlaceholders) {
    // Dictionary syllables; capitals; ü without a tone stays u:. The UTF-16
    // pass rewrites placeholder letters (*, ä, ü, Ç) wherever they stand, and
    // digits 0 and 5 vanish even inside numbers.
    // clang-format off
    const Pairs cases = {
        {"ni3 hao3", "nǐ hǎo"}, {"Zhong1 guo2", "Zhōng guó"}, {"xian1 sheng5", "xiān sheng"},
        {"ma5", "ma"}, {"liu2 gui4 shuo1", "liú guì shuō"}, {"nu:3 lu:4", "nǚ lǜ"},
        {"hua4r", "huàr"}, {"er4", "èr"}, {"xiong1 chuang1 yue4 jiao4", "xiōng chuāng yuè jiào"},
        {"Ou1", "Ōu"}, {"A1 E2 O3 A4", "Ā É Ǒ À"}, {"An1 hui1", "Ān huī"}, {"lu:5", "lu:"},
        {"lu:e4", "lǜe"}, {"*", "à"}, {"ä ü Ç", "ā ū ǜ"}, {"120", "12"}};
    // clang-format on
    for (const auto& [in, out] : cases) EXPECT_EQ(marked(in), out) << in;
}

TEST(NumberedToMarked, SyllablesMetBeforeConvertTheSameInEveryText) {
    // Syllables come back in later texts, joined, spaced or in capitals;
    // spaces are kept as they stand, a syllable never spills into the next.
    // Text beyond ASCII (the last) goes through the conversion as a whole.
    // clang-format off
    const Pairs cases = {
        {"zhong1 guo2", "zhōng guó"}, {"Zhong1guo2 ren2", "Zhōngguó rén"},
        {"  ren2  min2 ", "  rén  mín "}, {"xi1 an1", "xī ān"}, {"Xi1an1", "Xīān"},
        {"lu:e4 lu:5 nu:3", "lǜe lu: nǚ"}, {"hua4r * ma5", "huàr à ma"}, {"ä guo2", "ā guó"}};
    // clang-format on
    for (int pass = 0; pass < 2; ++pass)
        for (const auto& [in, out] : cases) EXPECT_EQ(marked(in), out) << pass << " " << in;
}

TEST(MarkedToNumbered, ExamplesAndTheFinalNeutralFive) {
    // clang-format off
    const Pairs cases = {
        {"nǐ hǎo", "ni3 hao3"}, {"Zhōngguó", "Zhong1guo2"}, {"lǜ", "lu:4"}, {"nǚ", "nu:3"},
        {"lǜe", "lu:e4"}, {"huàr", "hua4r"}, {"Ōu", "Ou1"}, {"Àomén", "Ao4men2"},
        {"xiān", "xian1"}, {"èr", "er4"}, {"hǎinán", "hai3nan2"}, {"ma5", "ma5"}};
    // The final-syllable flag drops the neutral 5 of the last syllable only.
    const Pairs clean = {{"ma5", "ma"}, {"shang5", "shang"}, {"ma5 ma5", "ma5 ma"}, {"m5", "m5"}};
    // clang-format on
    for (const auto& [in, out] : cases) EXPECT_EQ(numbered(in), out) << in;
    for (const auto& [in, out] : clean) EXPECT_EQ(numbered(in, true), out) << in;
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
    // The set is written out; the conversion must still make exactly it.
    EXPECT_EQ(numberedToMarked(kAllVowelsNumbered), vowels.all());
    EXPECT_EQ(numberedToMarkedUtf8(kAllVowelsNumbered), utf16ToUtf8(vowels.all()));
    for (char16_t placeholder : std::u16string(u"äâÄÂëêïîöôÖÔüûÿÜçÇ*"))
        EXPECT_FALSE(vowels.contains(placeholder));
}

TEST(QueryNormalisation, SpacesZeroAndVAndReplaceAll) {
    // "V" is not replaced; the scan lower-cases after.
    const Pairs cases = {{"ni3 hao3", "ni3hao3"}, {"ma0", "ma5"}, {"lv4", "lu:4"}, {"LV4", "LV4"}};
    for (const auto& [in, out] : cases) EXPECT_EQ(normalizeQuery(in), out) << in;
    // Left to right, without overlaps.
    std::string text = "aaaa";
    replaceAll(text, "aa", "b");
    EXPECT_EQ(text, "bb");
    text = "aaa";
    replaceAll(text, "aa", "a");
    EXPECT_EQ(text, "aa");
}

// Pinyin is converted syllable by syllable, each ASCII syllable remembered;
// the UTF-16 conversion of text with other bytes goes over the whole text
// and is the reference. Both must agree for
// more different syllables than are remembered at once, met twice, with
// spaces doubled and at the ends, and for syllables too long to remember.
TEST(NumberedToMarked, RememberedSyllablesAgreeWithWholeConversion) {
    std::vector<std::string> syllables;
    const std::string initials[] = {"", "b", "zh", "X", "l", "N"};
    const std::string finals[] = {"a",    "ai", "ao",  "an", "ang", "e",   "ei", "en", "eng", "er",
                                  "i",    "in", "ing", "iu", "o",   "ong", "ou", "u",  "un",  "ua",
                                  "uang", "u:", "u:e", "v",  "E",   "Ang", "r",  "anr"};
    for (const std::string& initial : initials)
        for (const std::string& final : finals)
            for (const char* tone : {"", "1", "2", "3", "4", "5", "0"})
                for (const char* suffix : {"", "r", "5r"})
                    syllables.push_back(initial + final + tone + suffix);
    syllables.push_back("zhuang1zhuang1");  // longer than a remembered key
    for (const char* odd : {"*", "a*4", "lu:4*", "xx", "12", "e3r4"}) syllables.push_back(odd);
    // Every text of up to four letters that the rules tell apart (vowels,
    // the n, g and r the moves look at, another letter, the capitals that
    // are marked and two that are not, the ":" of u:) with every tone:
    // common syllables take a shorter way than the rules.
    std::vector<std::string> texts = {""};
    for (size_t begin = 0, length = 0; length < 4; ++length) {
        const size_t end = texts.size();
        for (size_t i = begin; i < end; ++i)
            for (char letter : std::string_view("aeioungrbAEIOZ:"))
                texts.push_back(texts[i] + letter);
        begin = end;
    }
    for (const std::string& text : texts)
        for (const char* tone : {"", "1", "2", "3", "4", "5"})
            if (!text.empty()) syllables.push_back(text + tone);
    ASSERT_GT(syllables.size(), 100000u);
    for (int round = 0; round < 2; ++round) {
        for (const std::string& syllable : syllables) {
            // " é" sends the text down the whole-text conversion; é itself
            // is left as it is.
            const std::string whole = marked(syllable + " \xC3\xA9");
            ASSERT_TRUE(whole.ends_with(" \xC3\xA9")) << syllable;
            const std::string expected = whole.substr(0, whole.size() - 3);
            EXPECT_EQ(numberedToMarkedUtf8(syllable), expected) << syllable;
            // Beside and inside text with other bytes (ä is a placeholder
            // the whole conversion turns into ā).
            for (const std::string& mixed :
                 {syllable + " \xC3\xA4 \xC3\xA9", syllable + "\xC3\xA9"})
                EXPECT_EQ(numberedToMarkedUtf8(mixed), marked(mixed)) << mixed;
            EXPECT_EQ(marked(" " + syllable + "  " + syllable), " " + expected + "  " + expected)
                << syllable;
        }
    }
}
