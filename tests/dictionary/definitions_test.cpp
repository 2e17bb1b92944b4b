#include <gtest/gtest.h>

#include "dictionary/definitions.hpp"
#include "tests/support/temp_dir.hpp"

using namespace tulvo::dictionary;
using tulvo::testing::TempDir;

namespace {

std::string lookup(const std::vector<std::string>& lines, std::u16string_view character,
                   std::string_view reading, CharForm charForm = kBothForms) {
    TempDir dir;
    const auto file = dir.writeLines("CEDICT_ts.u8", lines);
    return definitionsForReading(file, character, reading, charForm);
}

}  // namespace

TEST(DefinitionsForReading, TonedReadingTakesExactPinyinOnly) {
    const std::vector<std::string> lines = {
        "中 中 [zhong1] /China/center/",   "中 中 [zhong4] /to hit/",
        "中國 中国 [Zhong1 guo2] /China/", "中 中 [Zhong1] /surname Zhong/",
        "中 中 [zhong1] /center/middle/",
    };
    // Repeated definitions are added once; capitals in the dictionary are
    // lower-cased, and their lines (names) come after the common reading's.
    EXPECT_EQ(lookup(lines, u"中", "zhong1"), "China\r\ncenter\r\nmiddle\r\nsurname Zhong\r\n");
    EXPECT_EQ(lookup(lines, u"中", "zhong4"), "to hit\r\n");
    EXPECT_EQ(lookup(lines, u"中", "zhong3"), "");
}

// A learner who looks at 习 of 学习 reads "to practice" first, not the
// surname the dictionary lists before it; also for the neutral tone.
TEST(DefinitionsForReading, CommonReadingBeforeNames) {
    const std::vector<std::string> lines = {
        "習 习 [Xi2] /surname Xi/",
        "習 习 [xi2] /to practice/to study/",
        "習 习 [Xi2] /to study/",
    };
    EXPECT_EQ(lookup(lines, u"习", "xi2"), "to practice\r\nto study\r\nsurname Xi\r\n");
    EXPECT_EQ(lookup(lines, u"习", "xi"), "**2\r\nto practice\r\nto study\r\nsurname Xi\r\n");
}

TEST(DefinitionsForReading, FormsFollowTheCharacterFormPreference) {
    const std::vector<std::string> lines = {"國 国 [guo2] /country/"};
    EXPECT_EQ(lookup(lines, u"国", "guo2", kBothForms), "country\r\n");
    EXPECT_EQ(lookup(lines, u"国", "guo2", kTraditionalOnly), "");
    EXPECT_EQ(lookup(lines, u"國", "guo2", kSimplifiedOnly), "");
    EXPECT_EQ(lookup(lines, u"國", "guo2", kTraditionalOnly), "country\r\n");
}

TEST(DefinitionsForReading, NeutralToneWithOneOtherToneGetsItsMark) {
    const std::vector<std::string> lines = {
        "們 们 [men2] /plural marker (in some words)/",
        "們 们 [men2] /also/",
    };
    EXPECT_EQ(lookup(lines, u"们", "men"), "**2\r\nplural marker (in some words)\r\nalso\r\n");
    EXPECT_EQ(lookup(lines, u"们", "men5"), "**2\r\nplural marker (in some words)\r\nalso\r\n");
}

TEST(DefinitionsForReading, NeutralToneWithSeveralTonesIsEmpty) {
    const std::vector<std::string> lines = {
        "了 了 [liao3] /to finish/",
        "了 了 [liao4] /to look at/",
        "了 了 [liao3] /to understand/",
    };
    EXPECT_EQ(lookup(lines, u"了", "liao5"), "");
}

TEST(DefinitionsForReading, ExactNeutralReadingWinsWhereverItStands) {
    // Exact reading after a toned one.
    EXPECT_EQ(lookup({"了 了 [liao3] /to finish/", "了 了 [le5] /completed action marker/",
                      "了 了 [le5] /modal particle/"},
                     u"了", "le5"),
              "completed action marker\r\nmodal particle\r\n");
    // Exact reading first: a later toned line does not come in, and no "**" mark.
    EXPECT_EQ(lookup({"吗 吗 [ma5] /question particle/", "吗 吗 [ma2] /what?/"}, u"吗", "ma5"),
              "question particle\r\n");
    // Several tones, then the exact reading.
    EXPECT_EQ(lookup({"吗 吗 [ma2] /what?/", "吗 吗 [ma3] /morphine/", "吗 吗 [ma5] /particle/"},
                     u"吗", "ma"),
              "particle\r\n");
}

TEST(DefinitionsForReading, OtherSyllablesSharingThePrefixDoNotCount) {
    // dan3 is not a reading of da, and meng2 does not count for men.
    EXPECT_EQ(lookup({"大 大 [da4] /big/", "大 大 [dan3] /not a reading of da/"}, u"大", "da"),
              "**4\r\nbig\r\n");
    EXPECT_EQ(lookup({"們 们 [meng2] /other/", "們 们 [men2] /plural/"}, u"们", "men5"),
              "**2\r\nplural\r\n");
}

TEST(DefinitionsForReading, EmptyOrMissingInput) {
    EXPECT_EQ(lookup({"中 中 [zhong1] /China/"}, u"", "zhong1"), "");
    TempDir dir;
    EXPECT_EQ(definitionsForReading(dir / "none.u8", u"中", "zhong1", kBothForms), "");
}
