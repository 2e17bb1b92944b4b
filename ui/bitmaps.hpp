// The main window's pictures: the capsules of the two selectors, the
// Back/forward arrows, the pad toggle and the Options button. Each is drawn
// by the painter in logical pixels, so that it is sharp at any scale of the
// screen. Words and arrows are ink: dim grey, and pure blue where chosen.
#pragma once

#include <QColor>
#include <QImage>
#include <QPainter>
#include <QSize>
#include <functional>

namespace tulvo::ui {

inline const QColor kTopBarBlue(144, 160, 255);
inline const QColor kPadBrown(96, 64, 0);
inline const QColor kPureBlue(0, 0, 255);
inline const QColor kDimGrey(105, 105, 105);

struct Picture {
    QSize size;
    std::function<void(QPainter&)> background;
    // The words or arrows in one colour; empty for a picture without ink.
    std::function<void(QPainter&, const QColor&)> ink;
};

Picture charFormPicture();     // 161 × 29: Simplified, Both, Traditional
Picture matchPartPicture();    // 195 × 29: Beginning, End, Anywhere, Exact
Picture backForwardPicture();  // 32 × 29: two arrows with a dotted line between
Picture padTogglePicture();    // 18 × 18: a diamond, half top-bar blue, half pad brown
Picture optionsPicture();      // 11 × 11: a small framed list on the bar

// Which columns (logical x from the picture's left) have blue ink.
using BlueColumns = std::function<bool(int x)>;

// Paints `picture` with its top left at the painter's origin: the ink dim
// grey, and pure blue in the columns `blue` names.
void paintPicture(QPainter& painter, const Picture& picture, const BlueColumns& blue = {});
// The picture as an image of `scale` device pixels per logical pixel.
QImage renderPicture(const Picture& picture, qreal scale = 1.0, const BlueColumns& blue = {});

}  // namespace tulvo::ui
