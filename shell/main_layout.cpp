#include "shell/main_layout.hpp"

#include <algorithm>
#include <cmath>

namespace tulvo::shell {

MainLayout layoutFor(int clientWidth, int clientHeight, int windowHeight, bool padShown) {
    MainLayout l;
    l.topBar.width = padShown ? clientWidth - l.padColumn.width : clientWidth;
    l.padColumn.x = l.topBar.width;
    l.padColumn.height = clientHeight;
    l.toggle.x = l.padColumn.x - 9;
    l.pad.x = l.padColumn.x + 10;
    l.erase.x = l.pad.x + 1;
    l.analyze.x = l.pad.x + 109;
    l.candidates.x = l.pad.x;
    l.padLabel.x = l.pad.x + 54;
    l.leftPanel.height = clientHeight - l.topBar.height;
    l.resultList.width = l.topBar.width - 332;
    l.resultList.height = windowHeight - 80;
    if (l.topBar.width < kOneRowBarWidth) {
        constexpr int kRow = 34;
        l.topBar.height += kRow;
        // The box ends clear of the pad toggle on the bar's right edge.
        l.searchBox.width = std::clamp(l.topBar.width - 14 - l.searchBox.x, 120, 295);
        // The second row keeps the first row's gaps between the three.
        l.backForward = {12, 3 + kRow, 32, 29};
        l.matchPart = {59, 3 + kRow, 195, 29};
        l.charForm = {267, 3 + kRow, 161, 29};
        l.leftPanel.y += kRow;
        l.leftPanel.height -= kRow;
        l.resultList.y += kRow;
        l.resultList.height -= kRow;
    }
    l.columns = columnWidths(l.resultList.width);
    return l;
}

using namespace dictionary;

CharForm charFormAt(int x) {
    return x <= 62 ? kSimplifiedOnly : x <= 92 ? kBothForms : kTraditionalOnly;
}

MatchPart matchPartAt(int x) {
    return x <= 66 ? kBeginning : x <= 92 ? kEnd : x <= 149 ? kAnywhere : kExact;
}

XRange charFormRange(CharForm charForm) {
    static constexpr XRange kRanges[] = {{0, 62}, {62, 92}, {92, 150}};
    return kRanges[isCharForm(charForm) ? charForm : kBothForms];
}

XRange matchPartRange(MatchPart matchPart) {
    static constexpr XRange kRanges[] = {{0, 66}, {66, 92}, {92, 149}, {149, 184}};
    return kRanges[isSelectableMatchPart(matchPart) ? matchPart : kBeginning];
}

}  // namespace tulvo::shell
