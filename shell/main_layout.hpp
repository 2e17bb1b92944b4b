// Where the main window's controls go for a given window size and pad
// visibility, and what the two picture selectors mean at a click position.
#pragma once

#include <array>

#include "dictionary/list_columns.hpp"
#include "dictionary/search_choices.hpp"

namespace tulvo::shell {

struct Rect {
    int x = 0, y = 0, width = 0, height = 0;
    bool operator==(const Rect&) const = default;
};

struct MainLayout {
    Rect topBar{0, 0, 770, 36};
    Rect padColumn{770, 0, 222, 446};
    Rect leftPanel{4, 42, 304, 400};
    Rect pad{780, 42, 200, 200};
    Rect erase{780, 246, 90, 20};
    Rect candidates{780, 272, 200, 150};
    Rect analyze{888, 246, 90, 20};
    Rect toggle{761, 10, 18, 18};
    Rect padLabel{834, 6, 115, 24};
    Rect resultList{320, 42, 440, 400};
    // Widths of the result list's columns Sort, Character, Pinyin, Translation, Equivalent.
    std::array<int, 5> columns{0, 60, 60, 60, 0};
    // The top bar's own controls, in the bar's pixels.
    Rect searchBox{75, 4, 295, 28};
    Rect backForward{382, 3, 32, 29};
    Rect matchPart{429, 3, 195, 29};
    Rect charForm{637, 3, 161, 29};
};

// The narrowest top bar that holds its controls in one row.
inline constexpr int kOneRowBarWidth = 800;

// The layout after a resize or a change of the pad's visibility.
// `windowHeight` is the outer height of the window. A top bar narrower than
// kOneRowBarWidth (a small screen, or a large scale) takes Back/forward and
// the two selectors onto a second row, so that every control stays on it.
MainLayout layoutFor(int clientWidth, int clientHeight, int windowHeight, bool padShown);

using dictionary::columnWidths;
using dictionary::roundEven;

// Picture selectors: the value a click at x pixels from the left edge
// chooses, and the x range whose words are drawn blue for a value.
struct XRange {
    int from, to;
};
dictionary::CharForm charFormAt(int x);
dictionary::MatchPart matchPartAt(int x);
XRange charFormRange(dictionary::CharForm charForm);
XRange matchPartRange(dictionary::MatchPart matchPart);

}  // namespace tulvo::shell
