#include <gtest/gtest.h>

#include "dictionary/search.hpp"
#include "platform/unicode_text.hpp"

using namespace tulvo::dictionary;
using tulvo::utf8ToUtf16;

namespace {

constexpr QueryKind kC = QueryKind::Chinese, kE = QueryKind::English, kP = QueryKind::Pinyin;

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

TEST(QueryCleanUp, SpacesStarsAndFullWidthFormsChooseTheMatchPart) {
    // A leading space or star opens the start, a trailing one the end; a
    // second star next to an end star is an inner star: a wildcard search.
    // U+3000 is an ideographic space, U+FF0A a full-width asterisk. Spaces
    // uncovered by removing a remark are trimmed without touching the part.
    // clang-format off
    const struct { const char* typed; MatchPart chosen, expected; } cases[] = {
        {" eat", kExact, kAnywhere}, {"eat ", kBeginning, kExact}, {" eat ", kBeginning, kExact},
        {"*eat", kExact, kEnd}, {"eat*", kExact, kBeginning}, {"*eat*", kExact, kAnywhere},
        {"eat", kEnd, kEnd}, {"**eat*", kBeginning, kWildcard}, {"to*t", kBeginning, kWildcard},
        {"*to*t*", kBeginning, kWildcard}, {"\xE3\x80\x80" "eat", kBeginning, kAnywhere},
        {"eat\xEF\xBC\x8A", kBeginning, kBeginning}, {"(remark) eat", kEnd, kEnd},
    };
    // clang-format on
    for (const auto& c : cases)
        EXPECT_EQ(prepared(c.typed, c.chosen).matchPart, c.expected) << c.typed;
}

TEST(QueryCleanUp, TextKeptAndRemarksRemoved) {
    // An inner star keeps the outer ones too; U+FF1F is a full-width "?".
    // clang-format off
    const std::pair<const char*, std::u16string> texts[] = {
        {"*eat*", u"eat"}, {"to*t", u"to*t"}, {"*to*t*", u"*to*t*"},
        {"to eat (sth) (quickly)", u"to eat"}, {"a (b) c", u"a  c"},
        {"open (bracket", u"open (bracket"},
    };
    // clang-format on
    for (const auto& [typed, text] : texts) EXPECT_EQ(prepared(typed).text, text) << typed;
    EXPECT_EQ(prepared("ma\xEF\xBC\x9F").key, "ma?");
    // Nothing left searches nothing.
    for (const char* typed : {"", "   ", "**", "(only a remark)"})
        EXPECT_TRUE(nothing(typed)) << typed;
    // At most 99 units are read.
    EXPECT_EQ(prepared(std::string(120, 'a')).length, 99);
}

TEST(QueryClassification, ChineseEnglishAndPinyin) {
    // Chinese when the first unit is above U+00FF or Chinese outnumbers the
    // rest; a marked vowel first is Pinyin, ü is no marked vowel.
    // clang-format off
    const std::pair<const char*, QueryKind> kinds[] = {
        {"中国", kC}, {"中abc", kC}, {"ab中", kE}, {"a中中", kC}, {"Ω", kC}, {"To Eat", kE},
        {"nǐ hǎo", kP}, {"ǎ", kP}, {"ma?", kP}, {"lü", kE},
    };
    // clang-format on
    for (const auto& [typed, kind] : kinds) EXPECT_EQ(prepared(typed).kind, kind) << typed;
    // English keeps its spaces and case (the scan lower-cases).
    // clang-format off
    const std::pair<const char*, const char*> keys[] = {
        {"To Eat", "To Eat"}, {"nǐ hǎo", "ni3hao3"}, {"ni3 hao3", "ni3hao3"}, {"lv4", "lu:4"},
        {"ma0", "ma5"}, {"lü4", "lu:4"}, {"NÜ3", "Nu:3"}, {"nü3 lü4", "nu:3lu:4"},
    };
    // clang-format on
    for (const auto& [typed, key] : keys) EXPECT_EQ(prepared(typed).key, key) << typed;
}

// An English text that reads as whole pinyin syllables also gets a toneless
// key; other English text gets none.
TEST(QueryClassification, EnglishThatReadsAsPinyinGetsATonelessKey) {
    // clang-format off
    const std::pair<const char*, const char*> keys[] = {
        {"xuexi", "xuexi"}, {"Shui", "Shui"}, {"ni hao", "nihao"}, {"lü", "lu:"}, {"nv", "nu:"},
        {"xi'an", "xian"}, {"a", "a"}, {"zhuangshuang", "zhuangshuang"},
        {"to eat", ""}, {"radio", ""}, {"xuex", ""}, {"hello", ""}, {"ni h ao", ""},
    };
    // clang-format on
    for (const auto& [typed, key] : keys) EXPECT_EQ(prepared(typed).tonelessKey, key) << typed;
    EXPECT_TRUE(readsAsTonelessPinyin("lu:e"));
    EXPECT_FALSE(readsAsTonelessPinyin(""));
    EXPECT_FALSE(readsAsTonelessPinyin("ni3hao"));
}

// "?" among Chinese characters makes a pattern in which it stands for one
// character, with the text's stars kept.
TEST(QueryClassification, QuestionMarkAmongChineseIsOneCharacter) {
    for (const char* typed : {"?学", "??学", "学?*", "*?学"}) {
        const Query query = prepared(typed);
        EXPECT_EQ(query.kind, kC) << typed;
        EXPECT_EQ(query.matchPart, kWildcard) << typed;
        EXPECT_EQ(query.text, utf8ToUtf16(typed));
    }
    EXPECT_TRUE(patternMatch("?学", "大学", true));
    EXPECT_FALSE(patternMatch("?学", "大学", false));
    EXPECT_FALSE(patternMatch("?学", "学", true));
    EXPECT_TRUE(patternMatch("*?学", "中大学", true));
    EXPECT_TRUE(patternMatch("学?*", "学生会", true));
    EXPECT_FALSE(patternMatch("?学?", "大学", true));
    EXPECT_EQ(prepared("ma?").kind, kP);
}

TEST(QueryClassification, CharacterCodes) {
    for (const char* code : {"4e2d", "4E2D", "20013"}) {
        const Query query = prepared(code);
        EXPECT_EQ(query.kind, kC) << code;
        EXPECT_EQ(query.text, u"中") << code;
        EXPECT_EQ(query.length, 1);
        EXPECT_TRUE(query.fromCharacterCode);
    }
    // Leading zeros do not make a code too long to be one; hex 0x16384 is too
    // big but decimal fits; 3fff is out of range and a001 too.
    // clang-format off
    const std::pair<const char*, std::u16string> texts[] = {
        {"0000000004e2d", u"中"}, {"000000000000020013", u"中"}, {"4000", u"\x4000"},
        {"a000", u"\xA000"}, {"16384", u"\x4000"}, {"65535", u"\xFFFF"}, {"a001", u"a001"},
    };
    // clang-format on
    for (const auto& [code, text] : texts) EXPECT_EQ(prepared(code).text, text) << code;
    // Not codes: Pinyin when they hold a tone digit. Surrogate values are not
    // characters: 55296 is U+D800.
    // clang-format off
    const std::pair<const char*, QueryKind> kinds[] = {
        {"000000000", kP}, {"3fff", kP}, {"65536", kP}, {"face", kE}, {"55296", kP}, {"57343", kP},
        {"55555555555555555555", kP}, {"99999999999999999999", kE},
    };
    // clang-format on
    for (const auto& [code, kind] : kinds) EXPECT_EQ(prepared(code).kind, kind) << code;
}

TEST(PatternMatch, GlobOverBytesAndPinyinCompare) {
    // clang-format off
    const struct { const char *pattern, *text; bool matches; } globs[] = {
        {"to*t", "to eat", true}, {"to*t", "tot", true}, {"to*t", "to eat more", false},
        {"*", "", true}, {"?", "", false}, {"a?c", "abc", true}, {"a?c", "ac", false},
        {"*a*b*", "xxaxxbxx", true}, {"*a*b*c", "aabbab", false}, {"", "", true}, {"", "a", false},
    };
    // clang-format on
    for (const auto& g : globs)
        EXPECT_EQ(patternMatch(g.pattern, g.text), g.matches) << g.pattern << " " << g.text;
    // Many stars stay fast.
    EXPECT_FALSE(patternMatch("*a*a*a*a*a*a*a*a*a*a*b", std::string(2000, 'a')));

    // clang-format off
    const struct { const char *key, *field; MatchPart part; bool matches; } pinyin[] = {
        {"ni3hao3", "ni3hao3", kExact, true}, {"ni3hao3", "ni3hao3ma5", kExact, false},
        {"ni?hao?", "ni3hao3", kExact, true}, {"ma?", "man4", kExact, false},
        {"ma?", "mai", kExact, false}, {"ab", "aab", kAnywhere, true},
        {"aab", "aaab", kAnywhere, true}, {"abc", "ab", kAnywhere, false},
        {"", "anything", kAnywhere, true},
    };
    // clang-format on
    for (const auto& p : pinyin)
        EXPECT_EQ(pinyinCompare(p.key, p.field, p.part), p.matches) << p.key << " " << p.field;
}
