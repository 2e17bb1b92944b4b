#include "characters/radical_search.hpp"

#include <algorithm>
#include <charconv>
#include <climits>
#include <cmath>
#include <cstdio>

#include "dictionary/word_value.hpp"
#include "platform/unicode_text.hpp"
#include "platform/whole_file.hpp"

namespace tulvo::characters {

namespace {

std::string groupLine(int strokes, char16_t code) {
    char buffer[32];
    std::snprintf(buffer, sizeof buffer, "%03d %d", strokes, int(code));
    return buffer;
}

// The whole of `text` as a decimal number; nothing for anything else.
std::optional<long> decimal(std::string_view text) {
    long value = 0;
    const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value);
    if (text.empty() || error != std::errc() || end != text.data() + text.size())
        return std::nullopt;
    return value;
}

// The stroke count and the code of a line "SSS CCCCC".
bool parseLine(const std::string& line, int& strokes, char16_t& code) {
    const size_t space = line.find(' ');
    if (space == std::string::npos) return false;
    const auto count = decimal(std::string_view(line).substr(0, space));
    const auto value = decimal(std::string_view(line).substr(space + 1));
    if (!count || !value || *count < INT_MIN || *count > INT_MAX || *value < 0 || *value > 0xFFFF)
        return false;
    strokes = int(*count);
    code = char16_t(*value);
    return true;
}

// The hit test rounds to the nearest cell, so it measures from cell
// centres: a row is found from y less half a row (22 pixels high), and a
// results column from x less the label column's extra width over a cell
// (50 - 35) and about half a cell.
constexpr int kHalfRow = 11;
constexpr int kResultsColumnShift = 35;

int nearestInteger(long double value) {
    return static_cast<int>(std::nearbyintl(value));
}

}  // namespace

Rgb characterColour(int wordValue) {
    if (dictionary::isFavoriteValue(wordValue)) return kFavoriteOrange;
    if (wordValue == -1) return kTextBlack;
    switch (wordValue & 15) {
        case 0:
            return kFrequentBlue;
        case 1:
            return kFairlyFrequentBlue;
        default:
            return kTextBlack;
    }
}

std::vector<char16_t> radicalKeys(std::u16string_view cellText) {
    std::vector<char16_t> keys;
    for (char16_t unit : cellText.substr(0, 9))
        if (unit >= 0x4000 && unit != 0x961D) keys.push_back(unit);
    return keys;
}

std::vector<std::string> singleRadicalLines(const std::filesystem::path& components,
                                            const std::filesystem::path& chartypes,
                                            std::u16string_view cellText,
                                            dictionary::CharForm preference) {
    std::vector<std::string> lines;
    const std::vector<char16_t> keys = radicalKeys(cellText);
    if (keys.empty()) return lines;
    const CharTypes types(chartypes);
    for (const ComponentRecord& record : componentRecords(components)) {
        if (std::find(keys.begin(), keys.end(), record.radical) == keys.end()) continue;
        if (!passesFormPreference(types.formType(record.code), preference)) continue;
        lines.push_back(groupLine(record.residualStrokes, record.code));
    }
    std::sort(lines.begin(), lines.end());
    return lines;
}

std::vector<std::string> multiRadicalLines(const RadicalTable& table,
                                           const MultiradixFile& multiradix,
                                           const std::filesystem::path& chartypes,
                                           const std::vector<std::string>& selection) {
    std::vector<std::string> lines;
    if (selection.empty()) return lines;
    // One byte per code: a character is on every list when its counter
    // reaches the number of selected radicals.
    std::vector<uint8_t> counters(0x10000, 0);
    for (const std::string& key : selection) {
        const int e = table.radicalNumber(key);
        if (e < 0 || e >= multiradix.radicalCount()) continue;
        for (char16_t code : multiradix.list(e)) ++counters[code];
    }
    const size_t wanted = selection.size();
    const CharTypes types(chartypes);
    for (uint32_t code = 0; code <= 0xFFFF; ++code) {
        if (counters[code] != wanted) continue;
        // Not recorded (0), or no count for this code at all: last, as "??".
        const int strokes = types.strokeCount(code);
        lines.push_back(groupLine(strokes > 0 ? strokes : 999, char16_t(code)));
    }
    std::sort(lines.begin(), lines.end());
    return lines;
}

ResultsGrid resultsGridFromLines(const std::vector<std::string>& lines, GroupLabels labels,
                                 const CharacterFilter& filter, const CharacterValue& value) {
    ResultsGrid grid;
    int previous = -1;
    for (const std::string& line : lines) {
        int strokes = 0;
        char16_t code = 0;
        if (!parseLine(line, strokes, code)) continue;
        if (filter && !filter(code)) continue;
        if (strokes != previous) {
            if (grid.empty() || !grid.back().cells.empty()) grid.emplace_back();
            if (labels == GroupLabels::Residual)
                grid.back().label = asciiToUtf16("+" + std::to_string(strokes));
            else
                grid.back().label = strokes == 999 ? u"??" : asciiToUtf16(std::to_string(strokes));
            previous = strokes;
        } else if (grid.back().cells.size() == kResultsPerRow) {
            grid.emplace_back();
        }
        grid.back().cells.push_back({code, characterColour(value ? value(code) : -1)});
    }
    return grid;
}

GridHit hitTestGrid(int x, int y, int firstVisibleRow, int columnWidth, int rowHeight,
                    bool resultsGrid) {
    if (columnWidth <= 0 || rowHeight <= 0) return {};
    const long double across = resultsGrid ? x - kResultsColumnShift : x;
    return {nearestInteger(across / columnWidth),
            firstVisibleRow + nearestInteger(static_cast<long double>(y - kHalfRow) / rowHeight)};
}

void RadicalSearch::open() {
    selection_.clear();
    tab_ = kSelectionTab;
    open_ = true;
}

bool RadicalSearch::leftClickRadical(int column, int row, dictionary::CharForm preference) {
    if (column < 1) return false;
    const std::u16string* text = table_.cell(column, row);
    if (!text || text->empty()) return false;
    tab_ = kResultsTab;
    results_ = resultsGridFromLines(
        singleRadicalLines(files_.components, files_.chartypes, *text, preference),
        GroupLabels::Residual, {}, value_);
    return true;
}

bool RadicalSearch::rightClickRadical(int column, int row) {
    if (column < 1) return false;
    const std::u16string* text = table_.cell(column, row);
    if (!text || text->empty()) return false;
    const std::string key = radicalCellKey(column, row);
    const auto it = std::find(selection_.begin(), selection_.end(), key);
    if (it != selection_.end())
        selection_.erase(it);
    else
        selection_.push_back(key);
    return true;
}

bool RadicalSearch::isMarked(int column, int row) const {
    return std::find(selection_.begin(), selection_.end(), radicalCellKey(column, row)) !=
           selection_.end();
}

void RadicalSearch::selectTab(int index, dictionary::CharForm preference) {
    tab_ = index == kResultsTab ? kResultsTab : kSelectionTab;
    if (tab_ != kResultsTab || selection_.empty()) return;
    const MultiradixFile multiradix(files_.multiradix);
    const CharTypes types(files_.chartypes);
    results_ = resultsGridFromLines(
        multiRadicalLines(table_, multiradix, files_.chartypes, selection_), GroupLabels::Total,
        [&](char16_t code) { return passesFormPreference(types.formType(code), preference); },
        value_);
}

std::optional<char16_t> RadicalSearch::clickResult(int column, int row) {
    if (column < 1 || row < 0 || size_t(row) >= results_.size()) return std::nullopt;
    const auto& cells = results_[size_t(row)].cells;
    if (size_t(column - 1) >= cells.size() || cells[size_t(column - 1)].character < 0x4000)
        return std::nullopt;
    open_ = false;
    return cells[size_t(column - 1)].character;
}

}  // namespace tulvo::characters
