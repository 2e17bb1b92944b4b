// The result list's content: one row per matching dictionary line (or bare
// text of the component search), kept in sort-key order, with the hidden
// equivalent, the word value and the row colour, capped at 5000 rows.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "dictionary/dictionary_file.hpp"
#include "dictionary/word_value.hpp"

namespace tulvo::dictionary {

// Row text colours as 0x00BBGGRR values.
inline constexpr uint32_t kFavoriteColour = 0x008AF6;        // orange
inline constexpr uint32_t kFrequentColour = 0xFF3520;        // class 0, blue
inline constexpr uint32_t kFairlyFrequentColour = 0xA00000;  // class 1, dark blue

enum class RowColour { Default, Favorite, Frequent, FairlyFrequent };

// The colour a word value gives a row.
RowColour rowColour(int wordValue);
// The 0x00BBGGRR value of a colour; `fallback` for Default.
uint32_t colourValue(RowColour colour, uint32_t fallback);

// What the list keeps of a row; its texts are kept by the list.
struct StoredRow {
    std::string_view sortKey;
    std::string_view source;  // the dictionary line, or the bare text
    // The sort key's first eight bytes as one number (big-endian, zeros after
    // a shorter key): most pairs of rows differ there, and the sort compares
    // them without reading the keys.
    uint64_t keyStart = 0;
    int id = 0;          // order in which the scan added the row
    int wordValue = -1;  // as looked up, favorites below -1
    int formIndex = -1;  // form shown: 1 or 2, -1 for a bare text
    RowColour colour = RowColour::Default;
};

// A row as it is read through the list (at(), added()), a copy that outlives
// the list's rows, with its cells, made then: a search may add thousands of
// rows of which a window shows a screenful.
struct ResultRow {
    int id = 0;
    std::string sortKey;
    int wordValue = -1;
    RowColour colour = RowColour::Default;
    std::string source;
    int formIndex = -1;
    std::u16string character;    // shown form
    std::u16string pinyin;       // tone-marked
    std::u16string translation;  // definitions, "/" between them
    std::u16string equivalent;   // other form's index digit and the other form, or empty
};

// The texts of the rows (dictionary lines, sort keys) one after another in
// blocks whose pages come in together: a search keeps thousands, and each
// text in memory of its own would bring in new pages one fault at a time.
class RowTexts {
  public:
    // A lasting copy of `first` followed by `second`, until clear().
    std::string_view keep(std::string_view first, std::string_view second = {});
    // Forgets every text; the blocks are used again.
    void clear();

  private:
    std::vector<PopulatedBytes> blocks_;
    size_t block_ = 0;  // the block being filled
    size_t used_ = 0;   // bytes of it taken
};

// The hidden sort key of a dictionary row. `variant` marks an entry that is
// a variant spelling of another (see isVariantEntry); `readingUse` how often
// a single character is used in this reading.
std::string sortKey(std::string_view shownForm, std::string_view pinyinField, int wordValue,
                    bool variant = false, int readingUse = 0);

// Whether an entry's definitions start by naming it a variant of another
// entry ("variant of 為|为[wei4]", "old variant of ..."): the shown form
// then repeats a row of its own, often in the same pinyin.
bool isVariantEntry(std::string_view definitionText);

// The text of the message shown when the list is full.
std::u16string capMessage();

// Told when the list refuses a row for being full.
class ResultListListener {
  public:
    virtual ~ResultListListener() = default;
    virtual void capReached(const std::u16string& /*message*/) {}
};

class ResultList {
  public:
    static constexpr size_t kCap = 5000;

    explicit ResultList(const WordValueLookup& values) : values_(values) {}

    void setListener(ResultListListener* listener) { listener_ = listener; }

    // Empties the rows, their colours and values.
    void clear();

    // Adds a dictionary line shown in form `formIndex` (1 or 2), or with
    // `formIndex` -1 a bare UTF-8 text of characters. Returns 1 when added,
    // 0 when the list is full. Rows given a `group` (0 or more) come in the
    // order of their groups, each group's rows in the usual order.
    int add(std::string_view text, int formIndex, bool emptySortKey = false, int group = -1);

    // Puts the rows added since the last call into list order. A search
    // adds rows one by one, and sorting them as they come would move the
    // whole order for every row: its host calls this when a batch is in.
    void sortNewRows();

    size_t size() const { return rows_.size(); }
    // Rows in list order, with their cells: by sort key, rows of equal keys
    // in the order added; rows added since the last sortNewRows() follow in
    // the order added.
    ResultRow at(size_t position) const;
    // Rows in the order they were added, with their cells.
    ResultRow added(size_t index) const;

    // The cells of a row as UTF-8, the same text as its UTF-16 cells,
    // made without them (for a caller that writes UTF-8): shown form,
    // marked pinyin, translation, equivalent. `inListOrder` picks the row
    // as at() does, else as added() does.
    struct Utf8Cells {
        std::string character, pinyin, translation, equivalent;
        int wordValue = -1;
    };
    Utf8Cells utf8Cells(size_t index, bool inListOrder) const;
    // The same cells appended to `out` as one line: TAB after each cell,
    // then the word value in decimal and a newline.
    void appendUtf8Line(size_t index, bool inListOrder, std::string& out) const;

    // A favorite toggled in the character panel: the row at list position
    // `position` takes `value` and its colour; the sort key stays.
    void setWordValue(size_t position, int value);
    // The same for every row whose shown form is exactly `form`, each value
    // moved by `delta`. Returns the number of rows changed.
    int adjustWordValues(std::u16string_view form, int delta);

  private:
    // Whether a row of one character shows a form whose other form is too
    // rare to be listed by the word values.
    bool rareSpelling(std::string_view text, int formIndex, std::string_view shown) const;
    // The index into rows_ of list position `position`.
    size_t indexAt(size_t position) const;

    const WordValueLookup& values_;
    ResultListListener* listener_ = nullptr;
    std::vector<StoredRow> rows_;
    RowTexts texts_;
    // Indices into rows_ in list order, up to the last sortNewRows().
    std::vector<size_t> sorted_;
};

}  // namespace tulvo::dictionary
