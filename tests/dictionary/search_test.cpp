#include <gtest/gtest.h>

#include <algorithm>
#include <optional>
#include <random>
#include <string>
#include <vector>

#include "dictionary/dictionary_file.hpp"
#include "dictionary/dropdown_history.hpp"
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

// Records everything the search tells the window, and keeps a drop-down
// history as the window does.
class RecordingHost : public ListSearchHost {
  public:
    explicit RecordingHost(ResultList& list) : ListSearchHost(list) {}
    void queryScanned(std::u16string_view text, bool fromHistoryPick) override {
        dropDown.push(std::u16string(text), fromHistoryPick);
    }
    void pause(int ms) override { pauses.push_back(ms); }
    void resultsFinished() override {
        ListSearchHost::resultsFinished();
        ++finished;
    }
    void searchTextReplaced(std::u16string_view text) override { replaced = text; }
    void showCharacterWithoutRow(char16_t c) override { panelCharacter = c; }

    DropDownHistory dropDown;
    std::vector<int> pauses;
    int finished = 0;
    std::u16string replaced;
    char16_t panelCharacter = 0;
};

class SearchTest : public ::testing::Test {
  protected:
    explicit SearchTest(const std::vector<std::string>& lines = kFixture)
        : file_(dir_.writeLines("CEDICT_ts.u8", lines)),
          list_(values_),
          host_(list_),
          search_(file_, vowels_, host_) {}

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
    const DropDownHistory& dropDown_ = host_.dropDown;
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

// What each kind of query finds, the shown form of each row in scan order.
TEST_F(SearchTest, ChineseFormsPinyinAndEnglishFindTheirRows) {
    SearchSettings traditionalPreferred, simplifiedOnly{kBeginning, kSimplifiedOnly};
    traditionalPreferred.preferTraditional = true;
    SearchSettings simplifiedPreferTraditional = simplifiedOnly;
    simplifiedPreferTraditional.preferTraditional = true;
    const struct {
        const char* typed;
        SearchSettings settings;
        Forms rows;
    } cases[] = {
        // clang-format off
        // Traditional only: 國 matches, 国 does not, and the row shows form 1;
        // the text unfound as a whole lists its one word 中 (two entries).
        // Both: both forms match 吃, form 2 wins.
        {"中國", {kBeginning, kTraditionalOnly}, {"中國"}},
        {"中国", {kBeginning, kTraditionalOnly}, {"中", "中"}},
        {"中国", {kBeginning, kSimplifiedOnly}, {"中国"}},
        {"中國", {kBeginning, kSimplifiedOnly}, {"中", "中"}},
        {"吃飯", {kBeginning, kBothForms}, {"吃飯"}},
        {"吃饭", {kBeginning, kBothForms}, {"吃饭"}},
        // Pinyin marked, numbered and toneless.
        {"nǐhǎo", {}, {"你好"}}, {"ni3hao3", {}, {"你好"}}, {"ni3 hao3", {kExact}, {"你好"}},
        {"nihao", {}, {"你好"}}, {"NI3", {}, {"你好", "你们"}},
        // ü and tone wildcards.
        {"lv4", {}, {"绿", "律师"}}, {"lü4", {}, {"绿", "律师"}}, {"lü", {}, {"绿", "驴", "律师"}},
        {"ma?", {kExact}, {"妈", "麻", "马", "骂", "吗"}},
        {"ma*", {}, {"妈", "麻", "马", "骂", "吗", "慢"}},
        // The field ends at its "]": a key holding one never reads on into
        // the definitions.
        {"ma3]", {}, {}}, {"ma3] /horse", {kExact}, {}},
        // Pinyin anywhere retries every start: " ab" finds the field "aab".
        {" ab", {}, {"a"}}, {"hao3", {kEnd}, {"你好"}},
        // English matches each definition on its own, never across a "/":
        // "hello/hi" is two definitions.
        {"to eat", {kExact}, {"吃", "吃饭"}}, {"to eat", {}, {"吃", "吃饭", "吃喝"}},
        {"TO EAT", {kExact}, {"吃", "吃饭"}}, {"kingdom", {kEnd}, {"中国"}},
        {"hit", {kAnywhere}, {"中"}}, {"hello/hi", {kAnywhere}, {}}, {"to*meal", {}, {"吃饭"}},
        // The preference decides the shown form of Pinyin and English rows.
        {"China", traditionalPreferred, {"中國", "中"}},
        {"China", simplifiedPreferTraditional, {"中国", "中"}},
        {"lawyer", {kBeginning, kTraditionalOnly}, {"律師"}},
        // clang-format on
    };
    for (const auto& c : cases) EXPECT_EQ(find(c.typed, c.settings), c.rows) << c.typed;
    // The comment line holds "to eat" but never becomes a row.
    EXPECT_EQ(find("eat", {kAnywhere}).size(), 3u);
}

namespace {

// A dictionary where a learner's queries meet words they do not mean.
const std::vector<std::string> kLearnerFixture = {
    "學習強國 学习强国 [Xue2 xi2 Qiang2 guo2] /Xuexi Qiangguo, app/",
    "學習 学习 [xue2 xi2] /to learn/to study/",
    "水城 水城 [Shui3 cheng2] /Shuicheng county/",
    "誰 谁 [shui2] /who/",
    "水 水 [shui3] /water/",
    "頭 头 [tou2] /head/",
    "他 他 [ta1] /he or him/",
    "喝 喝 [he1] /to drink/",
    "核 核 [he2] /nucleus/",
    "女 女 [nu:3] /female/",
    "學 学 [xue2] /to learn/",
    "大學 大学 [da4 xue2] /university/",
    "學生 学生 [xue2 sheng5] /student/",
    "上大學 上大学 [shang4 da4 xue2] /to go to university/",
    "我 我 [wo3] /I/me/",
    "想 想 [xiang3] /to think/to want/",
    "中文 中文 [Zhong1 wen2] /Chinese language/",
    "中 中 [zhong1] /middle/",
    "文 文 [wen2] /language/",
};

// The same search on a dictionary of words learners look for, rows in list order.
class LearnerSearchTest : public SearchTest {
  protected:
    LearnerSearchTest() : SearchTest(kLearnerFixture) {}

    Forms find(std::string_view typed, SearchSettings settings = {}) {
        search_.textSearch(utf8ToUtf16(typed), settings);
        Forms forms;
        for (size_t i = 0; i < list_.size(); ++i)
            forms.push_back(utf16ToUtf8(list_.at(i).character));
        return forms;
    }
};

}  // namespace

// A text that reads as pinyin finds its words even when it also begins an
// English definition: both readings in one list, the word typed whole first,
// English words it only begins last.
TEST_F(LearnerSearchTest, TonelessPinyinAndEnglishShareOneList) {
    EXPECT_EQ(find("xuexi"), (Forms{"学习", "学习强国"}));
    EXPECT_EQ(find("shui"), (Forms{"谁", "水", "水城"}));
    EXPECT_EQ(find("he"), (Forms{"喝", "核", "他", "头"}));
    EXPECT_EQ(find("xue xi"), (Forms{"学习", "学习强国"}));
    // Plain English keeps to the translations, the definition that is the
    // text first.
    EXPECT_EQ(find("to learn"), (Forms{"学", "学习"}));
    EXPECT_EQ(host_.pauses.size(), 10u);  // one scan each
}

TEST_F(LearnerSearchTest, UmlautTypedAsALetterSearchesLikeV) {
    EXPECT_EQ(find("nü3"), (Forms{"女"}));
    EXPECT_EQ(find("nü"), (Forms{"女"}));
    EXPECT_EQ(find("NÜ3"), (Forms{"女"}));
}

TEST_F(LearnerSearchTest, QuestionMarkAmongChineseIsOneCharacter) {
    EXPECT_EQ(find("?学"), (Forms{"大学"}));
    EXPECT_EQ(find("*?学"), (Forms{"大学", "上大学"}));
    EXPECT_EQ(find("学?"), (Forms{"学生", "学习"}));
}

// A sentence that is no word lists its words in order, longest first, and
// the first row (what the panel shows) is its first word.
TEST_F(LearnerSearchTest, SentenceListsItsWordsInOrder) {
    EXPECT_EQ(find("我想学习中文"), (Forms{"我", "想", "学习", "中文"}));
    EXPECT_EQ(find("我想学习中文。我想学习"), (Forms{"我", "想", "学习", "中文"}));
    EXPECT_EQ(find("他想喝水", {kExact}), (Forms{"他", "想", "喝", "水"}));
    EXPECT_EQ(host_.panelCharacter, 0);
    // A text made of no word at all stays empty, and a pattern is no text.
    EXPECT_TRUE(find("龍龍").empty());
    EXPECT_TRUE(find("我*龍").empty());
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
        {u"ΣΟΦΙΑ", u"σοφια"},            // Greek
        {u"ЛОШАДЬ", u"лошадь"},          // Cyrillic
        {u"ǄEMAL", u"ǆemal"},            // Latin Extended-B
        {u"STRASSE", u"straße"},         // full folding: ß is ss
        {u"ĞĲ", u"ğĳ"},                  // Latin Extended-A
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
    Search search(file, vowels, host);
    search.textSearch(u"ma1", {});
    EXPECT_EQ(list.size(), 5000u);
    EXPECT_EQ(counter.messages, 1);
    EXPECT_EQ(
        counter.text,
        u"Many results match your search.\r\n\r\nOnly the first 5000 results found are displayed.");
    EXPECT_EQ(utf16ToUtf8(list.added(list.size() - 1).translation), "mother 4999");
}

namespace {

// The pinyin and English rules written out plainly: the field (or each
// definition) made first, then compared.
bool plainPinyinMatch(std::string_view line, const std::string& key, int part, bool toneless) {
    std::string field;
    for (char c : pinyinField(line)) {
        if (c == ' ' || (toneless && ((c >= '1' && c <= '5') || c == '0'))) continue;
        field.push_back(tulvo::asciiLower(c));
    }
    const auto passesAt = [&](size_t at) {
        if (at + key.size() > field.size()) return false;
        for (size_t k = 0; k < key.size(); ++k) {
            const char f = field[at + k];
            if (key[k] == '?' ? !(f >= '0' && f <= '9') : key[k] != f) return false;
        }
        return true;
    };
    switch (part) {
        case kBeginning:
            return passesAt(0);
        case kEnd:
            return field.size() >= key.size() && passesAt(field.size() - key.size());
        case kExact:
            return field.size() == key.size() && passesAt(0);
        default:
            for (size_t at = 0; at <= field.size(); ++at)
                if (passesAt(at)) return true;
            return false;
    }
}

bool plainEnglishMatch(std::string_view line, const std::string& key, int part) {
    return !forEachDefinition(definitionText(line), [&](std::string_view d) {
        const std::string definition = tulvo::asciiLowered(d);
        const bool hit = part == kBeginning ? definition.starts_with(key)
                         : part == kEnd     ? definition.ends_with(key)
                         : part == kExact   ? definition == key
                                            : definition.find(key) != std::string::npos;
        return !hit;
    });
}

}  // namespace

// Lines put together from awkward pieces (capitals, spaces anywhere, tone
// digits 0 and 5, a missing or doubled bracket, bytes above ASCII), each
// matched by every query kind and match part as the plain rules say.
TEST(LineMatcher, PinyinAndEnglishFollowThePlainRules) {
    const std::string pieces[] = {
        "中 中 ", "[",  "]", "Zhong1", " ", "guo2", "NI3",  "hao3",         "ni", "5",
        "0",      "u:", "/", "to eat", "/", "Eat",  "EAT/", "\xE4\xB8\xAD", "?"};
    std::mt19937 random(11);
    std::vector<std::string> lines;
    for (int i = 0; i < 1500; ++i) {
        std::string line;
        for (int n = 1 + static_cast<int>(random() % 9); n > 0; --n)
            line += pieces[random() % std::size(pieces)];
        lines.push_back(line);
    }
    lines.push_back("中國 中国 [Zhong1 guo2] /China/Middle Kingdom/");
    const SearchSettings settings;
    for (MatchPart part : {kBeginning, kEnd, kExact, kAnywhere}) {
        for (QueryKind kind : {QueryKind::Pinyin, QueryKind::TonelessPinyin}) {
            for (std::string key : {"zhong1", "zhong?guo2", "guo2", "ni3hao3", "nihao", "zhong",
                                    "?", "u:5", "ni", "guo2]", "]"}) {
                Query query;
                query.kind = kind;
                query.key = key;
                query.matchPart = part;
                LineMatcher matcher(query, settings);
                for (const std::string& line : lines)
                    ASSERT_EQ(matcher.match(line) != 0,
                              plainPinyinMatch(line, key, part, kind == QueryKind::TonelessPinyin))
                        << "key " << key << " part " << part << " line " << line;
            }
        }
        for (std::string key : {"to eat", "eat", "china", "t", "eat/"}) {
            Query query;
            query.kind = QueryKind::English;
            query.key = key;
            query.matchPart = part;
            LineMatcher matcher(query, settings);
            for (const std::string& line : lines)
                ASSERT_EQ(matcher.match(line) != 0, plainEnglishMatch(line, key, part))
                    << "key " << key << " part " << part << " line " << line;
        }
    }
}

namespace {

// Every row a scan hands over, since it last emptied the list.
class LineRecorder : public SearchHost {
  public:
    void clearResults() override { rows.clear(); }
    bool addResult(std::string_view line, int formIndex) override {
        rows.emplace_back(line, formIndex);
        return true;
    }
    size_t resultCount() const override { return rows.size(); }
    std::vector<std::pair<std::string, int>> rows;
};

// The rows of a plain walk: the matcher on every line of the file.
std::vector<std::pair<std::string, int>> everyLineMatched(const std::vector<std::string>& lines,
                                                          Query query,
                                                          const SearchSettings& settings) {
    query.key = keyForScan(query);
    query.tonelessKey = tulvo::asciiLowered(query.tonelessKey);
    LineMatcher matcher(query, settings);
    std::vector<std::pair<std::string, int>> rows;
    for (const std::string& line : lines)
        if (line.empty() || line[0] != '#')
            if (const int form = matcher.match(line)) rows.emplace_back(line, form);
    return rows;
}

}  // namespace

// The scan compares only the lines that can match, read block by block: it
// finds exactly the rows, in the same order, that the matcher finds on every
// line. The file spans several read blocks, one line is longer than a block,
// and lines have their pinyin in odd places: none, a space or capital first,
// brackets in the definitions, a lone LF.
TEST(ScanCandidates, SameRowsAsEveryLineMatched) {
    std::vector<std::string> lines;
    const std::string odd[] = {
        "中 中 [ zhong1] /space first/",
        "中 中 [Zhong1 guo2] /capital/",
        "无括号 无括号 zhong1 /no bracket/",
        "zhong1 /no bracket: the pinyin field starts the line/",
        "a\nb [zhong1] /after a lone LF/",
        "參考 参考 [can1 kao3] /see 中[zhong1] and 你好[ni3 hao3]/",
        "[zhong1] /bracket first/",
        "",
        "吃 吃 [5chi1] /digit first/",
        "# 中 [zhong1] a comment",
    };
    for (int round = 0; lines.size() < 6000; ++round) {
        for (const std::string& line : kFixture) lines.push_back(line);
        lines.push_back(odd[round % std::size(odd)]);
        if (round == 40) {
            std::string longLine = "長 长 [zhang3] /";
            while (longLine.size() < 200 * 1024) longLine += "long to eat zhong ";
            lines.push_back(longLine + "/");
        }
    }
    // The last line without CR LF.
    std::string bytes;
    for (const std::string& line : lines) bytes += line + "\r\n";
    lines.push_back("終 终 [zhong1] /last/");
    bytes += lines.back();
    TempDir dir;
    const auto file = dir.write("CEDICT_ts.u8", bytes);
    const MarkedVowels vowels;
    LineRecorder host;
    Search search(file, vowels, host);
    size_t compared = 0;
    for (std::string typed :
         {"中",    "中国",   "zhong", "zhong1", "Zhong", "ni3 hao3", "nihao", "to eat",
          "eat",   "zzqqxx", "?国",   "*国*",   "吃*饭", "ma?",      "lv4",   "lü",
          "hello", "z",      "ma",    "a",      "4e2d",  "n*o3",     "?i3",   "long"}) {
        for (MatchPart part : {kBeginning, kEnd, kAnywhere, kExact}) {
            for (CharForm form : {kSimplifiedOnly, kBothForms, kTraditionalOnly}) {
                const SearchSettings settings{part, form, form == kTraditionalOnly};
                std::optional<Query> query =
                    prepareTextQuery(utf8ToUtf16(typed), settings.matchPart, vowels);
                ASSERT_TRUE(query);
                auto expected = everyLineMatched(lines, *query, settings);
                // An English text that finds nothing is read as toneless pinyin.
                if (expected.empty() && query->kind == QueryKind::English &&
                    query->tonelessKey.empty()) {
                    query->key = normalizeQuery(query->key);
                    query->kind = QueryKind::TonelessPinyin;
                    expected = everyLineMatched(lines, *query, settings);
                }
                // A Chinese text that finds nothing lists its words instead.
                if (expected.empty() && query->kind == QueryKind::Chinese) continue;
                search.textSearch(utf8ToUtf16(typed), settings);
                ASSERT_EQ(host.rows, expected) << typed << " part " << part << " form " << form;
                compared += expected.size();
            }
        }
    }
    EXPECT_GT(compared, 10000u);
}
