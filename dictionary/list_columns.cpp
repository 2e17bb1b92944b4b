#include "dictionary/list_columns.hpp"

#include <cmath>

namespace tulvo::dictionary {

int roundEven(double value) {
    return static_cast<int>(std::nearbyint(value));
}

std::array<int, 5> columnWidths(int listWidth) {
    const int w = listWidth - 21;
    const int character = roundEven(0.2 * w);
    const int pinyin = roundEven(0.3 * w);
    return {0, character, pinyin, w - character - pinyin - 3, 0};
}

}  // namespace tulvo::dictionary
