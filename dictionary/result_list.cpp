#include "dictionary/result_list.hpp"

#include <algorithm>

#include "dictionary/dictionary_file.hpp"
#include "dictionary/pinyin.hpp"
#include "platform/unicode_text.hpp"

namespace tulvo::dictionary {

RowColour rowColour(int wordValue) {
    if (wordValue < -1) return RowColour::Favorite;
    if (wordValue == -1) return RowColour::Default;
    switch (wordValue & 15) {
        case 0:
            return RowColour::Frequent;
        case 1:
            return RowColour::FairlyFrequent;
        default:
            return RowColour::Default;
    }
}

uint32_t colourValue(RowColour colour, uint32_t fallback) {
    switch (colour) {
        case RowColour::Favorite:
            return kFavoriteColour;
        case RowColour::Frequent:
            return kFrequentColour;
        case RowColour::FairlyFrequent:
            return kFairlyFrequentColour;
        case RowColour::Default:
            break;
    }
    return fallback;
}

std::string sortKey(std::string_view shownForm, std::string_view pinyinField, int v) {
    // Listed words: "  ", the base, "  ", value + 100. Unlisted: the base and
    // "  X". Favorites: the base, "  ", the class and the rest of the value
    // ("x" for none). The base is a space for one character, then the
    // lower-cased pinyin. Built in one string: a search makes thousands.
    std::string key;
    key.reserve(pinyinField.size() + 12);
    if (v > -1) key += "  ";
    if (shownForm.size() <= 3) key.push_back(' ');
    for (char c : pinyinField) key.push_back(asciiLower(c));
    key += "  ";
    if (v > -1) {
        key += std::to_string(v + 100);
    } else if (v == -1) {
        key.push_back('X');
    } else {
        const uint32_t high = static_cast<uint32_t>(v) >> 4;
        key += std::to_string(v & 15);
        key += high == 0 ? std::string("x") : std::to_string(high);
    }
    return key;
}

std::u16string capMessage() {
    return u"Many results match your search.\r\n\r\nOnly the first " +
           utf8ToUtf16(std::to_string(ResultList::kCap)) + u" results found are displayed.";
}

void ResultList::clear() {
    rows_.clear();
    sorted_.clear();
}

int ResultList::add(std::string_view text, int formIndex, bool emptySortKey) {
    const bool bare = formIndex != 1 && formIndex != 2;
    const std::string_view shown = bare ? text : spaceField(text, formIndex);

    ResultRow row;
    row.id = static_cast<int>(rows_.size());
    row.formIndex = bare ? -1 : formIndex;
    if (!bare) {
        const std::string_view pinyin = pinyinField(text);
        const int characters = static_cast<int>((shown.size() + 1) / 3);
        row.wordValue = values_.wordValue(shown, characters, pinyin);
        row.colour = rowColour(row.wordValue);
        if (!emptySortKey) row.sortKey = sortKey(shown, pinyin, row.wordValue);
    } else if (!emptySortKey) {
        row.sortKey = " zzzzzz";
    }

    if (rows_.size() >= kCap) {
        if (listener_) listener_->capReached(capMessage());
        return 0;
    }
    row.source.assign(text);
    rows_.push_back(std::move(row));
    return 1;
}

namespace {

// The parts of a row's source that its cells are made of, before any
// conversion: the window's cells are UTF-16, tulvo-lookup's UTF-8.
struct CellParts {
    std::string_view character;
    std::string_view equivalent;  // empty when both forms are the same
    char equivalentMarker = 0;    // '1' or '2'
    std::string_view pinyin;      // numbered
    std::string_view translation;
};

CellParts cellParts(const ResultRow& row) {
    const std::string_view text = row.source;
    CellParts parts;
    if (row.formIndex < 0) {
        parts.character = text;
        return parts;
    }
    parts.character = spaceField(text, row.formIndex);
    const int otherIndex = 3 - row.formIndex;
    const std::string_view other = spaceField(text, otherIndex);
    if (other != parts.character) {
        parts.equivalent = other;
        parts.equivalentMarker = char('0' + otherIndex);
    }
    parts.pinyin = pinyinField(text);
    parts.translation = definitionText(text);
    if (!parts.translation.empty() && parts.translation.back() == '/')
        parts.translation.remove_suffix(1);
    return parts;
}

// UTF-8 text as it comes back from UTF-16: itself when well-formed.
std::string throughUtf16(std::string_view text) {
    return isValidUtf8(text) ? std::string(text) : utf16ToUtf8(utf8ToUtf16(text));
}

}  // namespace

const ResultRow& ResultList::withCells(size_t index) const {
    ResultRow& row = rows_[index];
    if (row.cellsMade) return row;
    row.cellsMade = true;
    const CellParts parts = cellParts(row);
    row.character = utf8ToUtf16(parts.character);
    if (parts.equivalentMarker != 0)
        row.equivalent = char16_t(parts.equivalentMarker) + utf8ToUtf16(parts.equivalent);
    if (row.formIndex >= 0) row.pinyin = numberedToMarked(parts.pinyin);
    row.translation = utf8ToUtf16(parts.translation);
    return row;
}

ResultList::Utf8Cells ResultList::utf8Cells(size_t index, bool inListOrder) const {
    if (inListOrder) {
        if (sorted_.size() != rows_.size()) sortNewRows();
        index = sorted_[index];
    }
    const ResultRow& row = rows_[index];
    const CellParts parts = cellParts(row);
    Utf8Cells cells;
    cells.wordValue = row.wordValue;
    cells.character = throughUtf16(parts.character);
    if (parts.equivalentMarker != 0)
        cells.equivalent = parts.equivalentMarker + throughUtf16(parts.equivalent);
    if (row.formIndex >= 0) cells.pinyin = utf16ToUtf8(numberedToMarked(parts.pinyin));
    cells.translation = throughUtf16(parts.translation);
    return cells;
}

const ResultRow& ResultList::added(size_t index) const {
    return withCells(index);
}

const ResultRow& ResultList::at(size_t position) const {
    if (sorted_.size() != rows_.size()) sortNewRows();
    return withCells(sorted_[position]);
}

void ResultList::setWordValue(size_t position, int value) {
    if (position >= rows_.size()) return;
    if (sorted_.size() != rows_.size()) sortNewRows();
    ResultRow& row = rows_[sorted_[position]];
    row.wordValue = value;
    row.colour = rowColour(value);
}

int ResultList::adjustWordValues(std::u16string_view form, int delta) {
    int changed = 0;
    for (size_t i = 0; i < rows_.size(); ++i) {
        withCells(i);
        ResultRow& row = rows_[i];
        if (row.character != form) continue;
        row.wordValue += delta;
        row.colour = rowColour(row.wordValue);
        ++changed;
    }
    return changed;
}

void ResultList::sortNewRows() const {
    const auto byKey = [this](size_t a, size_t b) { return rows_[a].sortKey < rows_[b].sortKey; };
    const size_t sortedBefore = sorted_.size();
    for (size_t i = sortedBefore; i < rows_.size(); ++i) sorted_.push_back(i);
    const auto middle = sorted_.begin() + static_cast<std::ptrdiff_t>(sortedBefore);
    std::stable_sort(middle, sorted_.end(), byKey);
    std::inplace_merge(sorted_.begin(), middle, sorted_.end(), byKey);
}

}  // namespace tulvo::dictionary
