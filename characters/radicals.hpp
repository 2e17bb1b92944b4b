// The radical files: data/radicals.txt (the radicals by stroke count, read
// into the radical window's grid and its cell list) and data/multiradix.dat
// (for each radical cell, the characters that contain it anywhere).
#pragma once

#include <cstdint>
#include <filesystem>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace tulvo::characters {

inline const std::filesystem::path kRadicalsPath = std::filesystem::path("data") / "radicals.txt";
inline const std::filesystem::path kMultiradixPath =
    std::filesystem::path("data") / "multiradix.dat";

// Columns of the radical grid: 0 holds the stroke-count label, 1..8 a cell.
inline constexpr int kRadicalColumns = 9;
// The highest stroke count of a radical; reading ends with its line.
inline constexpr int kLastRadicalStrokeCount = 17;

// A cell's key in the cell list and in the selection: "column,row".
std::string radicalCellKey(int column, int row);

class RadicalTable {
  public:
    // The grid: each row has kRadicalColumns texts, column 0 the label.
    const std::vector<std::vector<std::u16string>>& rows() const { return rows_; }
    // "column,row" of every radical cell, in file order; the position in
    // this list is the radical number.
    const std::vector<std::string>& cellList() const { return cellList_; }

    // The text at (column, row), or nullptr outside the grid.
    const std::u16string* cell(int column, int row) const;
    // The radical number of a cell key, or -1 when no cell has it.
    int radicalNumber(std::string_view key) const;

    // Reads the table from the bytes of radicals.txt (UTF-16LE, byte-order
    // mark, CR LF, each cell closed by a TAB). Any bytes give a table: at
    // worst the first label "1" and no radicals.
    static RadicalTable parse(std::string_view bytes);

  private:
    void startRow(std::u16string label);
    std::vector<std::vector<std::u16string>> rows_;
    std::vector<std::string> cellList_;
};

// The table of data/radicals.txt; a missing file gives the empty table.
RadicalTable readRadicalTable(const std::filesystem::path& file);

// The bytes of radicals.txt: line k holds the cells of radicals of k strokes.
std::string radicalsFileBytes(const std::vector<std::vector<std::u16string>>& cellsByStrokeCount);

// data/multiradix.dat: int32 R, R + 1 int32 file offsets, then the lists of
// u16 codes; list e runs from offset e to offset e + 1. The whole file is
// read at open; every list is bounds-checked against it.
class MultiradixFile {
  public:
    explicit MultiradixFile(const std::filesystem::path& file);
    // From the file's bytes.
    static MultiradixFile fromBytes(std::string bytes);

    // R, 0 for a missing or damaged file.
    int radicalCount() const { return count_; }
    // The codes of list e; empty outside 0..R-1 or when the list's offsets
    // do not lie within the file in order.
    std::vector<char16_t> list(int e) const;

  private:
    MultiradixFile() = default;
    int32_t int32At(size_t offset) const;
    std::string bytes_;
    int count_ = 0;
};

// The bytes of multiradix.dat for these lists, in radical-number order.
std::string multiradixBytes(const std::vector<std::vector<char16_t>>& lists);

}  // namespace tulvo::characters
