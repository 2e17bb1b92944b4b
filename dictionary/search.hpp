// The dictionary search: turning typed text into a query, matching entry
// lines, the scan over the dictionary file, and the per-character lookup of
// definitions for one reading that the character panel uses.
#pragma once

#include <filesystem>
#include <optional>
#include <string>
#include <string_view>

#include "dictionary/dictionary_file.hpp"
#include "dictionary/pinyin.hpp"
#include "dictionary/search_choices.hpp"

namespace tulvo::dictionary {

enum class QueryKind { Chinese = 1, Pinyin = 2, English = 3, TonelessPinyin = 4 };

struct SearchSettings {
    MatchPart matchPart = kBeginning;  // the match-part selector (kWildcard is never chosen)
    CharForm charForm = kBothForms;    // the character-form selector
    bool preferTraditional = false;    // prefer_simplified_or_traditional
};

struct Query {
    std::u16string text;  // cleaned query text, as it goes into the drop-down history
    std::string key;      // bytes compared with the lines (built by the scan for Chinese)
    QueryKind kind = QueryKind::Chinese;
    int length = 0;  // text length in UTF-16 units
    MatchPart matchPart = kBeginning;
    bool fromCharacterCode = false;  // typed as a code such as 4e2d
    // An English text that also reads as toneless pinyin (xuexi, shui): its
    // toneless key, matched in the same scan; the rows of both share the list.
    std::string tonelessKey;
};

// Clean-up and classification of typed text. Empty when nothing is left to
// search. For a character code (4e2d, 20013) the query is that one character.
std::optional<Query> prepareTextQuery(std::u16string_view typed, MatchPart matchPart,
                                      const MarkedVowels& markedVowels);

// Glob-style match over bytes: "*" any run, "?" any one byte. With
// `characters`, "?" is one whole UTF-8 character instead.
bool patternMatch(std::string_view pattern, std::string_view text, bool characters = false);

// The pinyin comparison: "?" in the key stands for one digit; under Anywhere
// every start position in the field is tried.
bool pinyinCompare(std::string_view key, std::string_view field, MatchPart matchPart);

// Which form a pinyin or English match shows (1 traditional, 2 simplified).
int displayedForm(const SearchSettings& settings);

// Tests entry lines against one query. Holds scratch space so that a scan
// allocates nothing per line.
class LineMatcher {
  public:
    // The query's key must already be in its final form (see keyForScan).
    LineMatcher(const Query& query, const SearchSettings& settings);
    // 0 when the line does not match, else the form index the row shows.
    int match(std::string_view line);
    // How closely the last matching line matched a pinyin or English text:
    // 0 its whole pinyin, or one of its definitions, is the text; 1 it
    // begins with or holds the text as whole words; 2 only as part of a
    // longer word ("li" in "light").
    int lastMatchRank() const { return rank_; }

  private:
    int englishRank(std::string_view line);
    int matchChinese(std::string_view line) const;
    bool matchPinyin(std::string_view line, const std::string& key, bool toneless, MatchPart part);
    bool matchEnglish(std::string_view line);
    bool matchText(std::string_view text) const;

    const Query& query_;
    SearchSettings settings_;
    int shownForm_;
    int rank_ = 0;
    std::string scratch_;
};

// The key exactly as the scan compares it: UTF-8 of the text for Chinese,
// the ASCII-lower-cased key for the other kinds.
std::string keyForScan(const Query& query);

// What the search needs of the window (or of a headless caller).
class SearchHost {
  public:
    virtual ~SearchHost() = default;
    // A query's text is about to be scanned for (before clearResults), so
    // that a window can put it on top of its drop-down history;
    // `fromHistoryPick` when it was picked from that history.
    virtual void queryScanned(std::u16string_view /*text*/, bool /*fromHistoryPick*/) {}
    // Empties the result list with its colour and value tables.
    virtual void clearResults() = 0;
    // Adds one matching line; false when the list is full and reading stops.
    virtual bool addResult(std::string_view line, int formIndex) = 0;
    // Adds a matching line to group `group` (0 or more): the rows of a group
    // stay together, lower groups first, each group in the list's order.
    virtual bool addResultInGroup(std::string_view line, int formIndex, int /*group*/) {
        return addResult(line, formIndex);
    }
    virtual size_t resultCount() const = 0;
    // The scan's two short pauses around opening the file, in which a window
    // lets pending painting happen.
    virtual void pause(int /*milliseconds*/) {}
    // The scan ended: focus the list and select its first row.
    virtual void resultsFinished() {}
    // A typed character code replaced the search box text by its character.
    virtual void searchTextReplaced(std::u16string_view /*text*/) {}
    // A one-character Chinese search found nothing: show the character on its
    // own in the character panel.
    virtual void showCharacterWithoutRow(char16_t /*character*/) {}
};

class Search {
  public:
    Search(std::filesystem::path dictionaryPath, const MarkedVowels& markedVowels,
           SearchHost& host);

    // The text search on what the search box holds. `fromHistoryPick` is set
    // when the text came from picking a drop-down history entry.
    void textSearch(std::u16string_view boxText, const SearchSettings& settings,
                    bool fromHistoryPick = false);

    // Searches one character as it stands, with the match-part setting.
    void singleCharacterSearch(char16_t character, const SearchSettings& settings);

    // Runs one query over the whole file.
    void scan(const Query& query, const SearchSettings& settings);

  private:
    // Lists the dictionary words a Chinese text is made of, longest match
    // first from its start, in the order of the text.
    void listWordsOfText(std::string_view text, const SearchSettings& settings);

    std::filesystem::path path_;
    const MarkedVowels& markedVowels_;
    SearchHost& host_;
    bool historyPick_ = false;
    // Reads the file for each scan, its buffer kept for the toneless retry.
    LineBlockReader reader_;
    // The whole file while the words of a text are listed, given back after
    // the search: held between searches its pages would count as the
    // window's resident memory.
    DictionaryBytes dictionary_;
};

// Maximum units read from the search box.
inline constexpr size_t kMaxQueryUnits = 99;

}  // namespace tulvo::dictionary
