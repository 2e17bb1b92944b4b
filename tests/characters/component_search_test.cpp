#include "characters/component_search.hpp"

#include <gtest/gtest.h>

#include <algorithm>

#include "characters/components.hpp"
#include "tests/support/temp_dir.hpp"
#include "tests/support/word_values.hpp"

using tulvo::dictionary::kBothForms;
using tulvo::dictionary::kSimplifiedOnly;
using tulvo::dictionary::kTraditionalOnly;

using namespace tulvo::characters;
using tulvo::testing::TempDir;

namespace {

// The rows as "line|form" strings.
std::vector<std::string> shown(const std::vector<EntryTriple>& rows) {
    std::vector<std::string> out;
    for (const auto& row : rows) {
        EXPECT_EQ(row.codePage, 65001);
        out.push_back(row.line + "|" + std::to_string(row.formField));
    }
    return out;
}

}  // namespace

class ComponentSearchTest : public ::testing::Test {
  protected:
    void SetUp() override {
        std::string records;
        appendComponentRecord(records, u'好', u"女+3 子");
        appendComponentRecord(records, u'媽', u"女+10 馬");
        appendComponentRecord(records, u'妈', u"女+3 马");
        appendComponentRecord(records, u'奻', u"女+3 女");  // q twice
        appendComponentRecord(records, u'女', u"女+0");     // never its own child
        appendComponentRecord(records, u'姧', u"女+6 干");
        components = dir.write("components.dat", std::string(records));
        dictionary = dir.writeLines("dict.u8", {
                                                   "# comment",
                                                   "好 好 [hao3] /good/",
                                                   "女 女 [nu:3] /female/",
                                                   "媽 妈 [ma1] /mother/",
                                                   "好 好 [hao4] /to be fond of/",
                                                   "女兒 女儿 [nu:3 er2] /daughter/",
                                                   "女 女 [ru3] /variant of 汝/",
                                               });
    }
    TempDir dir;
    std::filesystem::path components, dictionary;
};

TEST_F(ComponentSearchTest, OwnEntriesFirstThenChildrenThenBare) {
    const auto rows = componentSearch(components, dictionary, u'女', kBothForms);
    ASSERT_TRUE(rows);
    EXPECT_EQ(shown(*rows), (std::vector<std::string>{
                                "女 女 [nu:3] /female/|1",
                                "女 女 [ru3] /variant of 汝/|1",
                                "好 好 [hao3] /good/|1",  // the same form twice: one row
                                "媽 妈 [ma1] /mother/|1",
                                "媽 妈 [ma1] /mother/|2",
                                "好 好 [hao4] /to be fond of/|1",
                                "奻|-1",  // listed twice in the character list
                                "奻|-1",
                                "姧|-1",
                            }));
}

TEST_F(ComponentSearchTest, PreferenceChoosesTheHeadwords) {
    // Simplified only: 媽 is reached through 妈 (form 2); traditional only:
    // 妈 has no line of its own and is listed bare.
    auto simplified = shown(*componentSearch(components, dictionary, u'女', kSimplifiedOnly));
    EXPECT_EQ(std::count(simplified.begin(), simplified.end(), "媽 妈 [ma1] /mother/|2"), 1);
    EXPECT_EQ(std::count(simplified.begin(), simplified.end(), "媽|-1"), 1);
    EXPECT_EQ(std::count(simplified.begin(), simplified.end(), "妈|-1"), 0);
    auto traditional = shown(*componentSearch(components, dictionary, u'女', kTraditionalOnly));
    EXPECT_EQ(std::count(traditional.begin(), traditional.end(), "媽 妈 [ma1] /mother/|1"), 1);
    EXPECT_EQ(std::count(traditional.begin(), traditional.end(), "妈|-1"), 1);
}

TEST_F(ComponentSearchTest, ChosenWithoutEntriesAndMissingFiles) {
    // 干 has no dictionary line: it stands alone first, once.
    const auto rows = componentSearch(components, dictionary, u'干', kBothForms);
    ASSERT_TRUE(rows);
    EXPECT_EQ(shown(*rows), (std::vector<std::string>{"干|-1", "姧|-1"}));
    // Nothing built on 好 (and nothing at all without the component file).
    EXPECT_FALSE(componentSearch(components, dictionary, u'好', kBothForms));
    EXPECT_FALSE(componentSearch(dir / "none.dat", dictionary, u'女', kBothForms));
    // No dictionary: every character bare.
    const auto bare = componentSearch(components, dir / "no-dict.u8", u'干', kBothForms);
    EXPECT_EQ(shown(*bare), (std::vector<std::string>{"干|-1", "姧|-1"}));
}

TEST_F(ComponentSearchTest, RowsIntoTheResultList) {
    const tulvo::testing::FixedWordValues values;
    tulvo::dictionary::ResultList list(values);
    list.add("旧 旧 [jiu4] /old/", 1);
    const auto rows = componentSearch(components, dictionary, u'女', kBothForms);
    EXPECT_EQ(showComponentRows(list, *rows), rows->size());
    ASSERT_EQ(list.size(), rows->size());
    EXPECT_EQ(list.at(0).source, "女 女 [nu:3] /female/");  // empty sort key: first
    EXPECT_EQ(list.added(8).source, "姧");
    EXPECT_EQ(list.added(8).formIndex, -1);
}

TEST(ChildrenHistory, LineAndReplay) {
    EXPECT_EQ(childrenHistoryLine(kSimplifiedOnly, u'女'), "children 0 5973");
    EXPECT_EQ(childrenHistoryLine(kTraditionalOnly, u'\u00ab'), "children 2 00AB");
    const auto entry = parseChildrenHistoryLine("children 2 5973");
    ASSERT_TRUE(entry);
    EXPECT_EQ(entry->preference, 2);
    EXPECT_EQ(entry->chosen, u'女');
    EXPECT_EQ(parseChildrenHistoryLine(childrenHistoryLine(kBothForms, u'\uffff'))->chosen,
              u'\uffff');
    for (const char* bad : {"find 0 1 x", "children", "children 1", "children 3 5973",
                            "children 1 12345", "children 1 59G3", "children x 5973"})
        EXPECT_FALSE(parseChildrenHistoryLine(bad)) << bad;
}
