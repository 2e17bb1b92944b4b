// The result list's content: one row per matching dictionary line (or bare
// text of the component search), kept in sort-key order, with the hidden
// equivalent, the word value and the row colour, capped at 5000 rows.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "dictionary/word_value.hpp"

namespace tulvo::dictionary {

// Row text colours as 0x00BBGGRR values.
inline constexpr uint32_t kFavoriteColour = 0x008AF6;       // orange
inline constexpr uint32_t kFrequentColour = 0xFF3520;       // class 0, blue
inline constexpr uint32_t kFairlyFrequentColour = 0xA00000; // class 1, dark blue

enum class RowColour { Default, Favorite, Frequent, FairlyFrequent };

// The colour a word value gives a row.
RowColour rowColour(int wordValue);
// The 0x00BBGGRR value of a colour; `fallback` for Default.
uint32_t colourValue(RowColour colour, uint32_t fallback);

struct ResultRow {
    int id = 0;  // order in which the scan added the row
    std::string sortKey;
    std::u16string character;    // shown form
    std::u16string pinyin;       // tone-marked
    std::u16string translation;  // definitions, "/" between them
    std::u16string equivalent;   // other form's index digit and the other form, or empty
    int wordValue = -1;          // as looked up, favorites below -1
    RowColour colour = RowColour::Default;
};

// The hidden sort key of a dictionary row.
std::string sortKey(std::string_view shownForm, std::string_view pinyinField, int wordValue);

// The text of the message shown when the list is full.
std::u16string capMessage();

// Told about changes, so that a view can follow the list.
class ResultListListener {
public:
    virtual ~ResultListListener() = default;
    virtual void rowsCleared() {}
    virtual void rowInserted(size_t /*position*/) {}
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
    // 0 when the list is full.
    int add(std::string_view text, int formIndex, bool emptySortKey = false);

    size_t size() const { return sorted_.size(); }
    // Rows in list order (by sort key).
    const ResultRow& at(size_t position) const { return rows_[sorted_[position]]; }
    // Rows in the order they were added.
    const std::vector<ResultRow>& inFileOrder() const { return rows_; }

private:
    const WordValueLookup& values_;
    ResultListListener* listener_ = nullptr;
    std::vector<ResultRow> rows_;
    std::vector<size_t> sorted_;  // indices into rows_, by sort key
};

}  // namespace tulvo::dictionary
