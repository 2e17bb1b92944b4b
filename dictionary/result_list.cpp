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
        case 0: return RowColour::Frequent;
        case 1: return RowColour::FairlyFrequent;
        default: return RowColour::Default;
    }
}

uint32_t colourValue(RowColour colour, uint32_t fallback) {
    switch (colour) {
        case RowColour::Favorite: return kFavoriteColour;
        case RowColour::Frequent: return kFrequentColour;
        case RowColour::FairlyFrequent: return kFairlyFrequentColour;
        case RowColour::Default: break;
    }
    return fallback;
}

std::string sortKey(std::string_view shownForm, std::string_view pinyinField, int v) {
    std::string base;
    base.reserve(pinyinField.size() + 8);
    if (shownForm.size() <= 3) base.push_back(' ');
    for (char c : pinyinField) base.push_back(asciiLower(c));
    if (v > -1) return "  " + base + "  " + std::to_string(v + 100);
    if (v == -1) return base + "  X";
    const uint32_t high = static_cast<uint32_t>(v) >> 4;
    return base + "  " + std::to_string(v & 15) + (high == 0 ? std::string("x") : std::to_string(high));
}

std::u16string capMessage() {
    return u"Many results match your search.\r\n\r\nOnly the first " +
           utf8ToUtf16(std::to_string(ResultList::kCap)) + u" results found are displayed.";
}

void ResultList::clear() {
    rows_.clear();
    sorted_.clear();
    if (listener_) listener_->rowsCleared();
}

int ResultList::add(std::string_view text, int formIndex, bool emptySortKey) {
    const bool bare = formIndex != 1 && formIndex != 2;
    const std::string_view shown = bare ? text : spaceField(text, formIndex);
    const std::string_view pinyin = bare ? std::string_view() : pinyinField(text);

    ResultRow row;
    row.id = static_cast<int>(rows_.size());
    if (!bare) {
        const int characters = static_cast<int>((shown.size() + 1) / 3);
        row.wordValue = values_.wordValue(shown, characters, pinyin);
    }
    if (!emptySortKey) row.sortKey = bare ? " zzzzzz" : sortKey(shown, pinyin, row.wordValue);

    if (sorted_.size() >= kCap) {
        if (listener_) listener_->capReached(capMessage());
        return 0;
    }
    row.character = utf8ToUtf16(shown);
    if (!bare) {
        const int otherIndex = 3 - formIndex;
        const std::string_view other = spaceField(text, otherIndex);
        if (other != shown) {
            row.equivalent.push_back(char16_t(u'0' + otherIndex));
            row.equivalent += utf8ToUtf16(other);
        }
        row.pinyin = numberedToMarked(pinyin);
        row.colour = rowColour(row.wordValue);
        std::string_view definitions = definitionText(text);
        if (!definitions.empty() && definitions.back() == '/') definitions.remove_suffix(1);
        row.translation = utf8ToUtf16(definitions);
    }

    // Sorted insertion: after every row whose key is not greater.
    const auto position = std::upper_bound(
        sorted_.begin(), sorted_.end(), row.sortKey,
        [this](const std::string& key, size_t index) { return key < rows_[index].sortKey; });
    const size_t at = static_cast<size_t>(position - sorted_.begin());
    sorted_.insert(position, rows_.size());
    rows_.push_back(std::move(row));
    if (listener_) listener_->rowInserted(at);
    return 1;
}

}  // namespace tulvo::dictionary
