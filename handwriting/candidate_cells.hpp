// The candidate grid's cells: 5 columns × 3 rows, slot = column + 5 × row,
// the order of the candidate list.
#pragma once

namespace tulvo::handwriting {

inline constexpr int kGridColumns = 5;
inline constexpr int kGridRows = 3;

struct CellRect {
    int left, top, width, height;
};

// The cell of slot 0..14: left 6 + 40 i, top 9 + 40 j, 28 × 32.
inline constexpr CellRect candidateCell(int slot) {
    return {6 + 40 * (slot % kGridColumns), 9 + 40 * (slot / kGridColumns), 28, 32};
}

// The slot a press at (x, y) on the grid picks: column (x − 6) / 40 and row
// (y − 9) / 40, truncated toward zero; -1 outside the 5 × 3 slots.
inline constexpr int candidateSlotAt(int x, int y) {
    const int column = (x - 6) / 40;
    const int row = (y - 9) / 40;
    if (column < 0 || column >= kGridColumns || row < 0 || row >= kGridRows) return -1;
    return column + kGridColumns * row;
}

}  // namespace tulvo::handwriting
