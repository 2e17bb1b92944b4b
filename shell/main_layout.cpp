#include "shell/main_layout.hpp"

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
    l.columns = columnWidths(l.resultList.width);
    return l;
}

int charFormAt(int x) {
    return x <= 62 ? 0 : x <= 92 ? 1 : 2;
}

int matchPartAt(int x) {
    return x <= 66 ? 0 : x <= 92 ? 1 : x <= 149 ? 2 : 3;
}

XRange charFormRange(int charForm) {
    static constexpr XRange kRanges[] = {{0, 62}, {62, 92}, {92, 150}};
    return kRanges[charForm < 0 || charForm > 2 ? 1 : charForm];
}

XRange matchPartRange(int matchPart) {
    static constexpr XRange kRanges[] = {{0, 66}, {66, 92}, {92, 149}, {149, 184}};
    return kRanges[matchPart < 0 || matchPart > 3 ? 0 : matchPart];
}

}  // namespace tulvo::shell
