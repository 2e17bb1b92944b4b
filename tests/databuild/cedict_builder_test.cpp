#include "tools/databuild/cedict_builder.hpp"

#include <gtest/gtest.h>

#include "tools/databuild/js_template.hpp"

using namespace tulvo::databuild;

TEST(TemplateLiteral, UndoesEscapes) {
    std::string error;
    const auto value = templateLiteralValue(
        "module.exports = `a\\`b\\\\c\\${d}\\n\\x41\\u4e2d\\u{1F600}\\ud83d\\ude00e\\\nf`;",
        &error);
    ASSERT_TRUE(value) << error;
    EXPECT_EQ(*value, "a`b\\c${d}\nA中😀😀ef");
}

TEST(TemplateLiteral, RawLineEndsBecomeLf) {
    const auto value = templateLiteralValue("x = `one\r\ntwo\rthree\nfour`", nullptr);
    ASSERT_TRUE(value);
    EXPECT_EQ(*value, "one\ntwo\nthree\nfour");
}

TEST(TemplateLiteral, RejectsWhatItCannotRead) {
    std::string error;
    EXPECT_FALSE(templateLiteralValue("module.exports = 'plain';", &error));
    EXPECT_FALSE(templateLiteralValue("x = `never closed", &error));
    EXPECT_FALSE(templateLiteralValue("x = `a${b}`", &error));
    EXPECT_EQ(error, "template literal holds a substitution");
    EXPECT_FALSE(templateLiteralValue("x = `\\u12`", &error));
    EXPECT_FALSE(templateLiteralValue("x = `\\1`", &error));
}

TEST(CedictFile, EveryLineGetsCrLfAndEntriesAreCounted) {
    size_t entries = 0;
    EXPECT_EQ(
        cedictWithCrLf("# header\n#! entries=2\n中 中 [zhong1] /center/\n\n吃 吃 [chi1] /to eat/",
                       entries),
        "# header\r\n#! entries=2\r\n中 中 [zhong1] /center/\r\n\r\n吃 吃 [chi1] /to eat/\r\n");
    EXPECT_EQ(entries, 2u);
    EXPECT_EQ(cedictWithCrLf("a\n", entries), "a\r\n");
    EXPECT_EQ(entries, 1u);
}
