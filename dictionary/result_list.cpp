#include "dictionary/result_list.hpp"

#include <algorithm>
#include <charconv>
#include <cstdio>

#include "dictionary/dictionary_file.hpp"
#include "dictionary/pinyin.hpp"
#include "platform/unicode_text.hpp"

namespace tulvo::dictionary {

RowColour rowColour(int wordValue) {
    if (isFavoriteValue(wordValue)) return RowColour::Favorite;
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

bool isVariantEntry(std::string_view definitionText) {
    // Most definitions start with another letter: one look settles them.
    if (definitionText.empty() ||
        std::string_view("voa").find(definitionText[0]) == std::string_view::npos)
        return false;
    for (std::string_view start : {"variant of ", "old variant of ", "archaic variant of ",
                                   "ancient variant of ", "obscure variant of "})
        if (definitionText.starts_with(start)) return true;
    return false;
}

std::string sortKey(std::string_view shownForm, std::string_view pinyinField, int v, bool variant,
                    int readingUse) {
    // The group: three spaces for a listed single character, two for a
    // listed word, one for any other single character (favorites among
    // them), none for any other word. Inside a group, a word by its
    // frequency class ("a" most frequent, "w" a variant entry, "x" unlisted)
    // and its HSK level (the levels a learner meets first come first,
    // unlisted last). A listed single character by how often it is used as
    // a word of its own in this reading, a finer frequency than its class:
    // among the many characters of one syllable the one a learner types
    // alone comes first (试 before 视 for shi4); then by its class and level.
    // Last the lower-cased pinyin. Built in one string: a search makes
    // thousands.
    const bool single = shownForm.size() <= 3;
    const int value = unmarkedValue(v);
    const size_t size = (v > -1 ? 2 : 0) + (single ? 1 + 6 : 0) + 2 + 1 + pinyinField.size() + 2;
    std::string key(size, ' ');
    char* p = key.data();
    if (v > -1) p += 2;
    const char frequencyClass = value < 0 ? 'x' : variant ? 'w' : char('a' + (value & 15));
    if (single) {
        ++p;
        // Variant entries and unlisted characters stay behind the listed
        // ones; five digits, falling as the use grows.
        *p++ = frequencyClass < 'w' ? 'a' : frequencyClass;
        int unused = 99999 - std::clamp(readingUse, 0, 99999);
        for (int i = 4; i >= 0; --i, unused /= 10) p[i] = char('0' + unused % 10);
        p += 5;
    }
    *p++ = frequencyClass;
    const int level = value < 0 ? 0 : (value >> 4) & 15;
    *p++ = level == 0 ? 'z' : char('a' + level);
    ++p;  // the space before the pinyin
    for (char c : pinyinField) *p++ = asciiLower(c);
    // The two spaces left at the end sort before the space that goes on to
    // a longer pinyin.
    return key;
}

std::u16string capMessage() {
    return u"Many results match your search.\r\n\r\nOnly the first " +
           utf8ToUtf16(std::to_string(ResultList::kCap)) + u" results found are displayed.";
}

std::string_view RowTexts::keep(std::string_view first, std::string_view second) {
    const size_t size = first.size() + second.size();
    const auto sizeOf = [this](size_t block) { return blocks_[block].get_deleter().size; };
    while (block_ < blocks_.size() && used_ + size > sizeOf(block_)) {
        ++block_;
        used_ = 0;
    }
    if (block_ == blocks_.size()) {
        // Blocks grow from a few pages, so that a search of a few rows
        // brings in a few; a text longer than a block gets one its size.
        constexpr size_t kFirst = 16 * 1024, kLargest = 256 * 1024;
        const size_t grown =
            blocks_.empty() ? kFirst : std::min(2 * sizeOf(blocks_.size() - 1), kLargest);
        blocks_.push_back(populatedBytes(std::max(grown, (size + 4095) / 4096 * 4096)));
        used_ = 0;
    }
    char* at = blocks_[block_].get() + used_;
    std::copy(first.begin(), first.end(), at);
    std::copy(second.begin(), second.end(), at + first.size());
    used_ += size;
    return {at, size};
}

void RowTexts::clear() {
    block_ = 0;
    used_ = 0;
}

bool ResultList::rareSpelling(std::string_view text, int formIndex, std::string_view shown) const {
    // A character whose other form the frequency data does not list at all
    // is written that way too seldom to be counted (只 as 秖, 药 as 葯): its
    // row goes behind the common spellings and other characters, as a
    // variant entry does, instead of taking one of the first rows.
    const std::string_view other = spaceField(text, 3 - formIndex);
    return other != shown && values_.wordValue(other, 1, "") == -1;
}

void ResultList::clear() {
    rows_.clear();
    sorted_.clear();
    texts_.clear();
}

int ResultList::add(std::string_view text, int formIndex, bool emptySortKey, int group) {
    const bool bare = formIndex != 1 && formIndex != 2;
    const std::string_view shown = bare ? text : spaceField(text, formIndex);

    StoredRow row;
    row.id = static_cast<int>(rows_.size());
    row.formIndex = bare ? -1 : formIndex;
    std::string key;
    if (!bare) {
        const std::string_view pinyin = pinyinField(text);
        const int characters = static_cast<int>((shown.size() + 1) / 3);
        row.wordValue = values_.wordValue(shown, characters, pinyin);
        row.colour = rowColour(row.wordValue);
        if (!emptySortKey)
            key = sortKey(shown, pinyin, row.wordValue,
                          isVariantEntry(definitionText(text)) ||
                              (characters == 1 && rareSpelling(text, formIndex, shown)),
                          characters == 1 ? values_.readingUse(shown, pinyin) : 0);
    } else if (!emptySortKey) {
        key = " zzzzzz";
    }

    if (rows_.size() >= kCap) {
        if (listener_) listener_->capReached(capMessage());
        return 0;
    }
    // Eight digits sort as numbers for every group a search can make.
    char digits[16] = "";
    if (group >= 0) std::snprintf(digits, sizeof digits, "%08d", group);
    row.sortKey = texts_.keep(digits, key);
    for (size_t i = 0; i < 8; ++i)
        row.keyStart = row.keyStart << 8 |
                       (i < row.sortKey.size() ? static_cast<unsigned char>(row.sortKey[i]) : 0);
    row.source = texts_.keep(text);
    // Room for every row a search may keep, taken once: grown by doubling,
    // the rows would be moved again and again into new pages, and in a
    // short run every new page costs a fault. Pages not written are never
    // touched.
    if (rows_.capacity() < kCap) rows_.reserve(kCap);
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

CellParts cellParts(const StoredRow& row) {
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

size_t ResultList::indexAt(size_t position) const {
    return position < sorted_.size() ? sorted_[position] : position;
}

ResultRow ResultList::added(size_t index) const {
    const StoredRow& stored = rows_[index];
    ResultRow row;
    row.id = stored.id;
    row.sortKey.assign(stored.sortKey);
    row.wordValue = stored.wordValue;
    row.colour = stored.colour;
    row.source.assign(stored.source);
    row.formIndex = stored.formIndex;
    const CellParts parts = cellParts(stored);
    row.character = utf8ToUtf16(parts.character);
    if (parts.equivalentMarker != 0)
        row.equivalent = char16_t(parts.equivalentMarker) + utf8ToUtf16(parts.equivalent);
    if (row.formIndex >= 0) row.pinyin = numberedToMarked(parts.pinyin);
    row.translation = utf8ToUtf16(parts.translation);
    return row;
}

ResultRow ResultList::at(size_t position) const {
    return added(indexAt(position));
}

ResultList::Utf8Cells ResultList::utf8Cells(size_t index, bool inListOrder) const {
    const StoredRow& row = rows_[inListOrder ? indexAt(index) : index];
    const CellParts parts = cellParts(row);
    Utf8Cells cells;
    cells.wordValue = row.wordValue;
    cells.character = throughUtf16(parts.character);
    if (parts.equivalentMarker != 0)
        cells.equivalent = parts.equivalentMarker + throughUtf16(parts.equivalent);
    if (row.formIndex >= 0) cells.pinyin = numberedToMarkedUtf8(parts.pinyin);
    cells.translation = throughUtf16(parts.translation);
    return cells;
}

void ResultList::appendUtf8Line(size_t index, bool inListOrder, std::string& out) const {
    const StoredRow& row = rows_[inListOrder ? indexAt(index) : index];
    // The fields end at ASCII bytes, so a well-formed line has well-formed
    // fields: one check for the whole line, the cells copied as they are.
    if (!isValidUtf8(row.source)) {
        const Utf8Cells cells = utf8Cells(index, inListOrder);
        for (const std::string* cell :
             {&cells.character, &cells.pinyin, &cells.translation, &cells.equivalent}) {
            out += *cell;
            out += '\t';
        }
    } else {
        const CellParts parts = cellParts(row);
        out += parts.character;
        out += '\t';
        if (row.formIndex >= 0) appendNumberedToMarkedUtf8(out, parts.pinyin);
        out += '\t';
        out += parts.translation;
        out += '\t';
        if (parts.equivalentMarker != 0) {
            out += parts.equivalentMarker;
            out += parts.equivalent;
        }
        out += '\t';
    }
    char digits[16];
    const auto [end, ec] = std::to_chars(digits, digits + sizeof digits, row.wordValue);
    out.append(digits, end);
    out += '\n';
}

void ResultList::setWordValue(size_t position, int value) {
    if (position >= rows_.size()) return;
    StoredRow& row = rows_[indexAt(position)];
    row.wordValue = value;
    row.colour = rowColour(value);
}

int ResultList::adjustWordValues(std::u16string_view form, int delta) {
    int changed = 0;
    for (StoredRow& row : rows_) {
        if (utf8ToUtf16(cellParts(row).character) != form) continue;
        row.wordValue += delta;
        row.colour = rowColour(row.wordValue);
        ++changed;
    }
    return changed;
}

void ResultList::sortNewRows() {
    const auto byKey = [this](size_t a, size_t b) {
        const StoredRow& first = rows_[a];
        const StoredRow& second = rows_[b];
        if (first.keyStart != second.keyStart) return first.keyStart < second.keyStart;
        return first.sortKey < second.sortKey;
    };
    const size_t sortedBefore = sorted_.size();
    if (sorted_.capacity() < kCap) sorted_.reserve(kCap);
    for (size_t i = sortedBefore; i < rows_.size(); ++i) sorted_.push_back(i);
    const auto middle = sorted_.begin() + static_cast<std::ptrdiff_t>(sortedBefore);
    std::stable_sort(middle, sorted_.end(), byKey);
    std::inplace_merge(sorted_.begin(), middle, sorted_.end(), byKey);
}

}  // namespace tulvo::dictionary
