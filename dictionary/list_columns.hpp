// The widths of the result list's columns, shared by the list and the
// window that sizes it.
#pragma once

#include <array>

namespace tulvo::dictionary {

// Rounds to the nearest integer, halves to even.
int roundEven(double value);

// The widths of the columns Sort, Character, Pinyin, Translation, Equivalent
// for a list `listWidth` pixels wide.
std::array<int, 5> columnWidths(int listWidth);

}  // namespace tulvo::dictionary
