#include <gtest/gtest.h>

#include "dictionary/search.hpp"
#include "platform/unicode_text.hpp"

using namespace tulvo::dictionary;
using tulvo::utf8ToUtf16;

namespace {

const MarkedVowels& vowels() {
    static const MarkedVowels set;
    return set;
}

Query prepared(std::string_view typed, MatchPart matchPart = kBeginning) {
    auto query = prepareTextQuery(utf8ToUtf16(typed), matchPart, vowels());
    EXPECT_TRUE(query.has_value()) << typed;
    return query.value_or(Query{});
}

bool nothing(std::string_view typed) {
    return !prepareTextQuery(utf8ToUtf16(typed), kBeginning, vowels()).has_value();
}

}  // namespace

TEST(QueryCleanUp, SpacesAndStarsChooseTheMatchPart) {
    EXPECT_EQ(prepared(" eat", kExact).matchPart, kAnywhere);
    EXPECT_EQ(prepared("eat ", kBeginning).matchPart, kExact);
    EXPECT_EQ(prepared(" eat ", kBeginning).matchPart, kExact);
    EXPECT_EQ(prepared("*eat", kExact).matchPart, kEnd);
    EXPECT_EQ(prepared("eat*", kExact).matchPart, kBeginning);
    EXPECT_EQ(prepared("*eat*", kExact).matchPart, kAnywhere);
    EXPECT_EQ(prepared("eat", kEnd).matchPart, kEnd);
    EXPECT_EQ(prepared("*eat*").text, u"eat");
    // A second star next to an end star is an inner star: a wildcard search.
    EXPECT_EQ(prepared("**eat*").matchPart, kWildcard);

    const Query wildcard = prepared("to*t", kBeginning);
    EXPECT_EQ(wildcard.matchPart, kWildcard);
    EXPECT_EQ(wildcard.text, u"to*t");
    // An inner star keeps the outer ones too.
    EXPECT_EQ(prepared("*to*t*").text, u"*to*t*");
    EXPECT_EQ(prepared("*to*t*").matchPart, kWildcard);
}

TEST(QueryCleanUp, FullWidthFormsAndBracketedRemarks) {
    EXPECT_EQ(prepared("\xE3\x80\x80"
                       "eat")
                  .matchPart,
              kAnywhere);                                          // ideographic space
    EXPECT_EQ(prepared("ma\xEF\xBC\x9F").key, "ma?");              // full-width question mark
    EXPECT_EQ(prepared("eat\xEF\xBC\x8A").matchPart, kBeginning);  // full-width asterisk
    EXPECT_EQ(prepared("to eat (sth) (quickly)").text, u"to eat");
    EXPECT_EQ(prepared("a (b) c").text, u"a  c");
    EXPECT_EQ(prepared("open (bracket").text, u"open (bracket");
    // Spaces uncovered by the removal are trimmed without touching the match part.
    EXPECT_EQ(prepared("(remark) eat", kEnd).matchPart, kEnd);
}

TEST(QueryCleanUp, NothingLeftSearchesNothing) {
    EXPECT_TRUE(nothing(""));
    EXPECT_TRUE(nothing("   "));
    EXPECT_TRUE(nothing("**"));
    EXPECT_TRUE(nothing("(only a remark)"));
}

TEST(QueryCleanUp, ReadsAtMost99Units) {
    const Query query = prepared(std::string(120, 'a'));
    EXPECT_EQ(query.length, 99);
}

TEST(QueryClassification, ChineseEnglishAndPinyin) {
    EXPECT_EQ(prepared("中国").kind, QueryKind::Chinese);
    EXPECT_EQ(prepared("中abc").kind, QueryKind::Chinese);  // first unit above U+00FF
    EXPECT_EQ(prepared("ab中").kind, QueryKind::English);
    EXPECT_EQ(prepared("a中中").kind, QueryKind::Chinese);  // more Chinese than others
    EXPECT_EQ(prepared("Ω").kind, QueryKind::Chinese);

    const Query english = prepared("To Eat");
    EXPECT_EQ(english.kind, QueryKind::English);
    EXPECT_EQ(english.key, "To Eat");  // spaces kept, lower-cased by the scan

    const Query marked = prepared("nǐ hǎo");
    EXPECT_EQ(marked.kind, QueryKind::Pinyin);
    EXPECT_EQ(marked.key, "ni3hao3");
    EXPECT_EQ(prepared("ǎ").kind, QueryKind::Pinyin);  // a marked vowel first is not Chinese

    EXPECT_EQ(prepared("ni3 hao3").key, "ni3hao3");
    EXPECT_EQ(prepared("lv4").key, "lu:4");
    EXPECT_EQ(prepared("ma0").key, "ma5");
    EXPECT_EQ(prepared("ma?").kind, QueryKind::Pinyin);
    EXPECT_EQ(prepared("lü4").key, "lü4");  // ü is no marked vowel
    EXPECT_EQ(prepared("lü").kind, QueryKind::English);
}

TEST(QueryClassification, CharacterCodes) {
    for (const char* code : {"4e2d", "4E2D", "20013"}) {
        const Query query = prepared(code);
        EXPECT_EQ(query.kind, QueryKind::Chinese) << code;
        EXPECT_EQ(query.text, u"中") << code;
        EXPECT_EQ(query.length, 1);
        EXPECT_TRUE(query.fromCharacterCode);
    }
    // Leading zeros do not make a code too long to be one.
    for (const char* code : {"0000000004e2d", "000000000000020013"})
        EXPECT_EQ(prepared(code).text, u"中") << code;
    EXPECT_EQ(prepared("000000000").kind, QueryKind::Pinyin);
    EXPECT_EQ(prepared("4000").text, u"\x4000");
    EXPECT_EQ(prepared("a000").text, u"\xA000");
    EXPECT_EQ(prepared("16384").text, u"\x4000");  // hex 0x16384 too big, decimal fits
    EXPECT_EQ(prepared("65535").text, u"\xFFFF");
    EXPECT_EQ(prepared("3fff").kind, QueryKind::Pinyin);  // out of range, holds digits
    EXPECT_EQ(prepared("a001").text, u"a001");
    EXPECT_EQ(prepared("65536").kind, QueryKind::Pinyin);  // holds digits
    EXPECT_EQ(prepared("face").kind, QueryKind::English);
    // Surrogate values are not characters: 55296 is U+D800.
    EXPECT_EQ(prepared("55296").kind, QueryKind::Pinyin);
    EXPECT_EQ(prepared("57343").kind, QueryKind::Pinyin);
    EXPECT_EQ(prepared("55555555555555555555").kind, QueryKind::Pinyin);
    EXPECT_EQ(prepared("99999999999999999999").kind, QueryKind::English);  // no tone digit
}

TEST(PatternMatch, GlobOverBytes) {
    EXPECT_TRUE(patternMatch("to*t", "to eat"));
    EXPECT_TRUE(patternMatch("to*t", "tot"));
    EXPECT_FALSE(patternMatch("to*t", "to eat more"));
    EXPECT_TRUE(patternMatch("*", ""));
    EXPECT_FALSE(patternMatch("?", ""));
    EXPECT_TRUE(patternMatch("a?c", "abc"));
    EXPECT_FALSE(patternMatch("a?c", "ac"));
    EXPECT_TRUE(patternMatch("*a*b*", "xxaxxbxx"));
    EXPECT_FALSE(patternMatch("*a*b*c", "aabbab"));
    EXPECT_TRUE(patternMatch("", ""));
    EXPECT_FALSE(patternMatch("", "a"));
    // Many stars stay fast.
    EXPECT_FALSE(patternMatch("*a*a*a*a*a*a*a*a*a*a*b", std::string(2000, 'a')));
}

TEST(PinyinCompare, MatchPartsAndToneWildcard) {
    EXPECT_TRUE(pinyinCompare("ni3hao3", "ni3hao3", kExact));
    EXPECT_FALSE(pinyinCompare("ni3hao3", "ni3hao3ma5", kExact));
    EXPECT_TRUE(pinyinCompare("ni?hao?", "ni3hao3", kExact));
    EXPECT_FALSE(pinyinCompare("ma?", "man4", kExact));
    EXPECT_FALSE(pinyinCompare("ma?", "mai", kExact));
    EXPECT_TRUE(pinyinCompare("ab", "aab", kAnywhere));
    EXPECT_TRUE(pinyinCompare("aab", "aaab", kAnywhere));
    EXPECT_FALSE(pinyinCompare("abc", "ab", kAnywhere));
    EXPECT_TRUE(pinyinCompare("", "anything", kAnywhere));
}
