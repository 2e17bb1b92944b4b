// Radical search: the characters filed under one radical, grouped by their
// strokes beyond it, and the characters that contain every marked radical,
// grouped by total stroke count. RadicalSearch holds what the radical window
// shows (tab, marks, results grid) so that the window only draws it and
// forwards clicks.
#pragma once

#include <cstdint>
#include <filesystem>
#include <functional>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "characters/char_types.hpp"
#include "characters/components.hpp"
#include "characters/radicals.hpp"
#include "dictionary/search_choices.hpp"

namespace tulvo::characters {

struct Rgb {
    uint8_t red = 0, green = 0, blue = 0;
    bool operator==(const Rgb&) const = default;
};

inline constexpr Rgb kTextBlack{0, 0, 0};
inline constexpr Rgb kFavoriteOrange{246, 138, 0};
inline constexpr Rgb kFrequentBlue{32, 48, 255};
inline constexpr Rgb kFairlyFrequentBlue{0, 0, 128};
// A marked radical cell: white text on dark blue.
inline constexpr Rgb kMarkedText{255, 255, 255};
inline constexpr Rgb kMarkedBackground{0, 0, 96};

// The colour of a listed character from its word frequency value (favorites
// below -1): orange, blue for class 0, dark blue for class 1, else black.
Rgb characterColour(int wordValue);

// Whether a character of `formType` is listed under the character-form
// preference (0 simplified, 1 both, 2 traditional).
inline bool passesFormPreference(int formType, dictionary::CharForm preference) {
    return (((preference + 2) % 3) & formType) == 0;
}

// The units of a radical cell that are searched for: those from U+4000 up,
// except U+961D (阝, which stands for two different radicals).
std::vector<char16_t> radicalKeys(std::u16string_view cellText);

// Lines "RRR CCCCC" (residual strokes, code) of the characters filed under
// one of the keys and passing the preference, sorted.
std::vector<std::string> singleRadicalLines(const std::filesystem::path& components,
                                            const std::filesystem::path& chartypes,
                                            std::u16string_view cellText,
                                            dictionary::CharForm preference);

// Lines "SSS CCCCC" (total strokes, 999 when not recorded, code) of the
// characters on every list of the selected cell keys, sorted. Not filtered:
// the grid filters them.
std::vector<std::string> multiRadicalLines(const RadicalTable& table,
                                           const MultiradixFile& multiradix,
                                           const std::filesystem::path& chartypes,
                                           const std::vector<std::string>& selection);

struct GridCell {
    char16_t character = 0;
    Rgb colour;
};

struct ResultsRow {
    std::u16string label;         // column 0
    std::vector<GridCell> cells;  // columns 1.., at most kResultsPerRow
};

inline constexpr size_t kResultsPerRow = 10;
using ResultsGrid = std::vector<ResultsRow>;

// The word frequency value of one character with an empty reading.
using CharacterValue = std::function<int(char16_t)>;
// Whether a character is placed in the grid.
using CharacterFilter = std::function<bool(char16_t)>;

enum class GroupLabels {
    Residual,  // "+N"
    Total      // "N", "??" for 999
};

// Lays sorted lines out as the results grid: a new labelled row for each
// stroke count, ten characters a row. `filter` may be empty (place all).
ResultsGrid resultsGridFromLines(const std::vector<std::string>& lines, GroupLabels labels,
                                 const CharacterFilter& filter, const CharacterValue& value);

// The cell under the mouse: column = x / column width (results grid: (x -
// 35) / width), row = first visible row + (y - 11) / row height, both to
// the nearest integer. {-1, -1} for a zero width or height.
struct GridHit {
    int column = -1;
    int row = -1;
};
GridHit hitTestGrid(int x, int y, int firstVisibleRow, int columnWidth, int rowHeight,
                    bool resultsGrid);

struct RadicalFiles {
    std::filesystem::path components = kComponentsPath;
    std::filesystem::path chartypes = kCharTypesPath;
    std::filesystem::path multiradix = kMultiradixPath;
};

class RadicalSearch {
  public:
    static constexpr int kSelectionTab = 0;
    static constexpr int kResultsTab = 1;

    RadicalSearch(RadicalTable table, RadicalFiles files, CharacterValue value)
        : table_(std::move(table)), files_(std::move(files)), value_(std::move(value)) {}

    const RadicalTable& table() const { return table_; }

    // Opening empties the selection and shows the radical selection tab;
    // the results grid keeps its content.
    void open();
    void close() { open_ = false; }
    bool isOpen() const { return open_; }
    int tab() const { return tab_; }

    // A left click on a radical cell: the single-radical search, shown on
    // the results tab. False for an empty cell or one outside the grid.
    bool leftClickRadical(int column, int row, dictionary::CharForm preference);
    // A right click marks or unmarks the cell; nothing is searched. False
    // for an empty cell or one outside the grid.
    bool rightClickRadical(int column, int row);
    bool isMarked(int column, int row) const;
    const std::vector<std::string>& selection() const { return selection_; }

    // Switching tabs by hand: to the results tab runs the multi-radical
    // search when radicals are marked (otherwise the grid stays as it is).
    void selectTab(int index, dictionary::CharForm preference);

    // A click in the results grid: the character to look up (the window is
    // then closed), or nothing for a label, an empty cell or outside.
    std::optional<char16_t> clickResult(int column, int row);

    const ResultsGrid& results() const { return results_; }

  private:
    RadicalTable table_;
    RadicalFiles files_;
    CharacterValue value_;
    std::vector<std::string> selection_;
    ResultsGrid results_;
    int tab_ = kSelectionTab;
    bool open_ = false;
};

}  // namespace tulvo::characters
