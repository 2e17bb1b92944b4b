#include <gtest/gtest.h>

#include <algorithm>

#include <string>
#include <vector>

#include "dictionary/dictionary_file.hpp"
#include "dictionary/list_search_host.hpp"
#include "dictionary/search.hpp"
#include "platform/unicode_text.hpp"
#include "tests/support/temp_dir.hpp"

using namespace tulvo::dictionary;
using tulvo::utf16ToUtf8;
using tulvo::utf8ToUtf16;
using tulvo::testing::TempDir;

namespace {

const std::vector<std::string> kFixture = {
    "# CC-CEDICT fixture: 你好 to eat",
    "你好 你好 [ni3 hao3] /hello/hi/",
    "你們 你们 [ni3 men5] /you (plural)/",
    "中國 中国 [Zhong1 guo2] /China/Middle Kingdom/",
    "中 中 [zhong1] /China/Chinese/center/",
    "中 中 [zhong4] /to hit (the mark)/",
    "吃 吃 [chi1] /to eat/to consume/",
    "吃飯 吃饭 [chi1 fan4] /to have a meal/to eat/",
    "吃喝 吃喝 [chi1 he1] /to eat and drink/",
    "綠 绿 [lu:4] /green/",
    "驢 驴 [lu:2] /donkey/",
    "律師 律师 [lu:4 shi1] /lawyer/",
    "媽 妈 [ma1] /mother/",
    "麻 麻 [ma2] /hemp/",
    "馬 马 [ma3] /horse/",
    "罵 骂 [ma4] /to scold/",
    "嗎 吗 [ma5] /(question particle)/",
    "慢 慢 [man4] /slow/",
    "阿姨 阿姨 [a1 yi2] /aunt/",
    "",
    "a a [a a b] /fixture/",
};

// Records everything the search tells the window.
class RecordingHost : public ListSearchHost {
  public:
    explicit RecordingHost(ResultList& list) : ListSearchHost(list) {}
    void pause(int ms) override { pauses.push_back(ms); }
    void resultsFinished() override { ++finished; }
    void searchTextReplaced(std::u16string_view text) override { replaced = text; }
    void showCharacterWithoutRow(char16_t c) override { panelCharacter = c; }

    std::vector<int> pauses;
    int finished = 0;
    std::u16string replaced;
    char16_t panelCharacter = 0;
};

class SearchTest : public ::testing::Test {
  protected:
    SearchTest()
        : file_(dir_.writeLines("CEDICT_ts.u8", kFixture)),
          list_(values_),
          host_(list_),
          search_(file_, vowels_, dropDown_, host_) {}

    // Shown forms of the rows, in the order the scan added them.
    std::vector<std::string> find(std::string_view typed, SearchSettings settings = {}) {
        search_.textSearch(utf8ToUtf16(typed), settings);
        return shown();
    }
    std::vector<std::string> shown() const {
        std::vector<std::string> forms;
        for (size_t i = 0; i < list_.size(); ++i)
            forms.push_back(utf16ToUtf8(list_.added(i).character));
        return forms;
    }

    TempDir dir_;
    std::filesystem::path file_;
    MarkedVowels vowels_;
    NoWordValues values_;
    ResultList list_;
    RecordingHost host_;
    DropDownHistory dropDown_;
    Search search_;
};

using Forms = std::vector<std::string>;

}  // namespace

TEST_F(SearchTest, ChineseMatchParts) {
    EXPECT_EQ(find("中"), (Forms{"中国", "中", "中"}));
    EXPECT_EQ(find("国", {kEnd}), (Forms{"中国"}));
    EXPECT_EQ(find("吃", {kExact}), (Forms{"吃"}));
    EXPECT_EQ(find("饭", {kAnywhere}), (Forms{"吃饭"}));
    EXPECT_EQ(find("吃*"), (Forms{"吃", "吃饭", "吃喝"}));
    EXPECT_EQ(find("吃*饭"), (Forms{"吃饭"}));
    EXPECT_EQ(host_.pauses, (std::vector<int>{30, 30, 30, 30, 30, 30, 30, 30, 30, 30, 30, 30}));
}

TEST_F(SearchTest, CharacterFormPreference) {
    // Traditional only: 國 matches, 国 does not, and the row shows form 1.
    EXPECT_EQ(find("中國", {kBeginning, kTraditionalOnly}), (Forms{"中國"}));
    EXPECT_TRUE(find("中国", {kBeginning, kTraditionalOnly}).empty());
    EXPECT_EQ(find("中国", {kBeginning, kSimplifiedOnly}), (Forms{"中国"}));
    EXPECT_TRUE(find("中國", {kBeginning, kSimplifiedOnly}).empty());
    // Both: both forms match 吃, form 2 wins.
    EXPECT_EQ(find("吃飯", {kBeginning, kBothForms}), (Forms{"吃飯"}));
    EXPECT_EQ(find("吃饭", {kBeginning, kBothForms}), (Forms{"吃饭"}));
}

TEST_F(SearchTest, PinyinMarkedNumberedAndToneless) {
    EXPECT_EQ(find("nǐhǎo"), (Forms{"你好"}));
    EXPECT_EQ(find("ni3hao3"), (Forms{"你好"}));
    EXPECT_EQ(find("ni3 hao3", {kExact}), (Forms{"你好"}));
    // nihao: no definition starts with it, so the toneless retry finds it.
    EXPECT_EQ(find("nihao"), (Forms{"你好"}));
    EXPECT_EQ(find("NI3"), (Forms{"你好", "你们"}));
}

TEST_F(SearchTest, UmlautAndToneWildcards) {
    EXPECT_EQ(find("lv4"), (Forms{"绿", "律师"}));
    EXPECT_TRUE(find("lü4").empty());
    EXPECT_EQ(find("lü"), (Forms{"绿", "驴", "律师"}));
    EXPECT_EQ(find("ma?", {kExact}), (Forms{"妈", "麻", "马", "骂", "吗"}));
    EXPECT_EQ(find("ma*"), (Forms{"妈", "麻", "马", "骂", "吗", "慢"}));
}

TEST_F(SearchTest, PinyinAnywhereRetriesEveryStart) {
    EXPECT_EQ(find(" ab"), (Forms{"a"}));  // field "aab"
    EXPECT_EQ(find("hao3", {kEnd}), (Forms{"你好"}));
}

TEST_F(SearchTest, EnglishMatchesEachDefinitionOnItsOwn) {
    EXPECT_EQ(find("to eat", {kExact}), (Forms{"吃", "吃饭"}));
    EXPECT_EQ(find("to eat"), (Forms{"吃", "吃饭", "吃喝"}));
    EXPECT_EQ(find("TO EAT", {kExact}), (Forms{"吃", "吃饭"}));
    EXPECT_EQ(find("kingdom", {kEnd}), (Forms{"中国"}));
    EXPECT_EQ(find("hit", {kAnywhere}), (Forms{"中"}));
    // Never across a "/": "hello/hi" is two definitions.
    EXPECT_TRUE(find("hello/hi", {kAnywhere}).empty());
    EXPECT_EQ(find("to*meal"), (Forms{"吃饭"}));
    // The comment line holds "to eat" but never becomes a row.
    EXPECT_EQ(find("eat", {kAnywhere}).size(), 3u);
}

TEST_F(SearchTest, PreferenceDecidesTheShownFormOfPinyinAndEnglish) {
    SearchSettings settings;
    settings.preferTraditional = true;
    EXPECT_EQ(find("China", settings), (Forms{"中國", "中"}));
    settings.charForm = kSimplifiedOnly;
    EXPECT_EQ(find("China", settings), (Forms{"中国", "中"}));
    settings = {};
    settings.charForm = kTraditionalOnly;
    EXPECT_EQ(find("lawyer", settings), (Forms{"律師"}));
}

TEST_F(SearchTest, CharacterCodeReplacesTheSearchText) {
    EXPECT_EQ(find("4e2d"), (Forms{"中国", "中", "中"}));
    EXPECT_EQ(host_.replaced, u"中");
    EXPECT_EQ(dropDown_.entries().front(), u"中");
}

TEST_F(SearchTest, UnfoundSingleCharacterOpensThePanel) {
    EXPECT_TRUE(find("龍").empty());
    EXPECT_EQ(host_.panelCharacter, u'龍');
    host_.panelCharacter = 0;
    EXPECT_TRUE(find("龍龍").empty());
    EXPECT_EQ(host_.panelCharacter, 0);
    search_.singleCharacterSearch(u'吃', {kExact});
    EXPECT_EQ(shown(), (Forms{"吃"}));
    EXPECT_EQ(host_.finished, 3);
}

TEST_F(SearchTest, EmptyTextStartsNothing) {
    find("吃");
    const auto before = shown();
    EXPECT_EQ(find("  "), before);
    EXPECT_EQ(dropDown_.entries().size(), 1u);
}

TEST_F(SearchTest, DropDownHistory) {
    find("to eat");
    find("horse");
    find("TO EAT");  // differs only in case: replaces the entry
    EXPECT_EQ(dropDown_.entries(), (std::vector<std::u16string>{u"TO EAT", u"horse"}));
    EXPECT_EQ(dropDown_.selected(), -1);
    search_.textSearch(u"horse", {}, /*fromHistoryPick=*/true);
    EXPECT_EQ(dropDown_.entries().front(), u"horse");
    EXPECT_EQ(dropDown_.selected(), 0);
    find("mother");
    EXPECT_EQ(dropDown_.selected(), -1);  // the pick flag was cleared by the scan
}

TEST(DropDownCaseFolding, EveryScriptFoldsAsUnicodeSays) {
    DropDownHistory dropDown;
    // Pairs that differ only in case: the later replaces the earlier.
    const std::pair<std::u16string, std::u16string> sameButCase[] = {
        {u"ＨＯＲＳＥ", u"ｈｏｒｓｅ"},  // full-width Latin
        {u"ΣΟΦΙΑ", u"σοφια"},          // Greek
        {u"ЛОШАДЬ", u"лошадь"},        // Cyrillic
        {u"ǄEMAL", u"ǆemal"},          // Latin Extended-B
        {u"STRASSE", u"straße"},       // full folding: ß is ss
        {u"ĞĲ", u"ğĳ"},                // Latin Extended-A
    };
    for (const auto& [upper, lower] : sameButCase) {
        dropDown.push(upper, false);
        dropDown.push(lower, false);
        EXPECT_EQ(dropDown.entries().front(), lower);
        EXPECT_EQ(std::count(dropDown.entries().begin(), dropDown.entries().end(), upper), 0)
            << utf16ToUtf8(upper);
    }
    // Different letters stay apart.
    dropDown.push(u"ma", false);
    dropDown.push(u"má", false);
    EXPECT_EQ(std::count(dropDown.entries().begin(), dropDown.entries().end(), u"ma"), 1);
}

TEST_F(SearchTest, MissingFileFindsNothingAndIsCreated) {
    std::filesystem::remove(file_);
    EXPECT_TRUE(find("吃").empty());
    EXPECT_TRUE(std::filesystem::exists(file_));
}

TEST(SearchCap, StopsAtFiveThousandRowsWithOneMessage) {
    TempDir dir;
    std::vector<std::string> lines;
    for (int i = 0; i < 5003; ++i)
        lines.push_back("媽 妈 [ma1] /mother " + std::to_string(i) + "/");
    const auto file = dir.writeLines("CEDICT_ts.u8", lines);

    struct CapCounter : ResultListListener {
        int messages = 0;
        std::u16string text;
        void capReached(const std::u16string& message) override { ++messages, text = message; }
    } counter;
    NoWordValues values;
    ResultList list(values);
    list.setListener(&counter);
    ListSearchHost host(list);
    MarkedVowels vowels;
    DropDownHistory dropDown;
    Search search(file, vowels, dropDown, host);
    search.textSearch(u"ma1", {});
    EXPECT_EQ(list.size(), 5000u);
    EXPECT_EQ(counter.messages, 1);
    EXPECT_EQ(
        counter.text,
        u"Many results match your search.\r\n\r\nOnly the first 5000 results found are displayed.");
    EXPECT_EQ(utf16ToUtf8(list.added(list.size() - 1).translation), "mother 4999");
}
