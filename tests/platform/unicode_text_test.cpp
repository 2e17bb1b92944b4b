#include <gtest/gtest.h>

#include <string>

#include "platform/unicode_text.hpp"

using tulvo::utf16ToUtf8;
using tulvo::utf8ToUtf16;

// Every length of UTF-8 sequence both ways, and what a broken text becomes.
TEST(UnicodeText, ConvertsEverySequenceLengthAndReplacesBrokenOnes) {
    const std::string mixed = "a é 中 𠀋 /to eat/";  // 1, 2, 3 and 4 bytes
    const std::u16string units = u"a é 中 𠀋 /to eat/";
    EXPECT_EQ(utf8ToUtf16(mixed), units);
    EXPECT_EQ(utf16ToUtf8(units), mixed);
    EXPECT_EQ(utf8ToUtf16(""), u"");
    // The last code point of each length, and the first of the next.
    EXPECT_EQ(utf16ToUtf8(u"\u007F\u0080\u07FF\u0800\uFFFF"),
              "\x7F\xC2\x80\xDF\xBF\xE0\xA0\x80\xEF\xBF\xBF");
    std::string edges;
    for (char32_t cp : {0x7F, 0x80, 0x7FF, 0x800, 0xFFFF, 0x10000}) tulvo::appendUtf8(edges, cp);
    EXPECT_EQ(edges, utf16ToUtf8(u"\u007F\u0080\u07FF\u0800\uFFFF\U00010000"));
    EXPECT_EQ(utf16ToUtf8(u""), "");

    // A stray continuation byte, a cut sequence at the end, an overlong form
    // and an encoded surrogate each become U+FFFD.
    EXPECT_EQ(utf8ToUtf16("x\x80y"), u"x\uFFFDy");
    EXPECT_EQ(utf8ToUtf16("ab\xE4\xB8"), u"ab\uFFFD");
    EXPECT_EQ(utf8ToUtf16("\xC0\xAF!"), u"\uFFFD\uFFFD!");
    EXPECT_EQ(utf8ToUtf16("\xED\xA0\x80"), u"\uFFFD");
    // Lone surrogates, high and low, become U+FFFD in UTF-8.
    const std::u16string lone = {u'a', char16_t(0xD840), u'b', char16_t(0xDC0B)};
    EXPECT_EQ(utf16ToUtf8(lone),
              "a\xEF\xBF\xBD"
              "b\xEF\xBF\xBD");

    // Long texts of one kind fill exactly what they need.
    const std::u16string wide(3000, u'中');
    EXPECT_EQ(utf16ToUtf8(wide).size(), 9000u);
    EXPECT_EQ(utf8ToUtf16(utf16ToUtf8(wide)), wide);
}

// The check agrees with the decoder (a text is well-formed when it comes back
// from UTF-16 unchanged) wherever a sequence, whole or broken, stands against
// the runs of ASCII that the check passes over in blocks.
TEST(UnicodeText, ValidityCheckAgreesWithTheDecoderAtEveryOffset) {
    const std::string pieces[] = {"中",           "é",
                                  "𠀋",           "\x80",
                                  "\xE4\xB8",     "\xC0\xAF",
                                  "\xED\xA0\x80", "\xF5\x80\x80\x80",
                                  "\xEF\xBF\xBD", "中文字\xE4\xB8",
                                  "中\x80文",     "中文字典"};
    for (const std::string& piece : pieces) {
        for (size_t before = 0; before < 40; ++before) {
            for (const size_t after : {0, 1, 7, 15, 16, 33}) {
                const std::string text = std::string(before, 'a') + piece + std::string(after, 'b');
                EXPECT_EQ(tulvo::isValidUtf8(text), utf16ToUtf8(utf8ToUtf16(text)) == text)
                    << before << " " << after << " " << piece.size();
            }
        }
    }
    // A broken byte after a long run of well-formed characters.
    std::string text;
    for (int i = 0; i < 20; ++i) text += "to eat 吃 ";
    EXPECT_TRUE(tulvo::isValidUtf8(text));
    EXPECT_FALSE(tulvo::isValidUtf8(text + "\xB8" + text));
}
