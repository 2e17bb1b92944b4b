// The main window's four pictures, drawn once at start-up: the capsules of
// the two selectors, the Back/forward arrows and the pad toggle. Words and
// arrows are dim grey, so that the paint rules can turn the chosen ones blue.
#pragma once

#include <QColor>
#include <QImage>

namespace tulvo::ui {

inline const QColor kTopBarBlue(144, 160, 255);
inline const QColor kPadBrown(96, 64, 0);
inline const QColor kPureBlue(0, 0, 255);
inline const QColor kDimGrey(105, 105, 105);

QImage charFormBitmap();     // 161 × 29: Simplified, Both, Traditional
QImage matchPartBitmap();    // 195 × 29: Beginning, End, Anywhere, Exact
QImage backForwardBitmap();  // 32 × 29: two arrows with a dotted line between
QImage padToggleBitmap();    // 18 × 18: a diamond, half top-bar blue, half pad brown

// Repaints every pure blue or dim grey pixel: blue where `chosen(x)` says so,
// dim grey elsewhere.
template <typename Chosen>
QImage recoloured(const QImage& bitmap, Chosen chosen) {
    QImage image = bitmap.convertToFormat(QImage::Format_RGB32);
    const QRgb blue = kPureBlue.rgb(), grey = kDimGrey.rgb();
    for (int y = 0; y < image.height(); ++y) {
        auto* line = reinterpret_cast<QRgb*>(image.scanLine(y));
        for (int x = 0; x < image.width(); ++x) {
            const QRgb pixel = line[x] | 0xFF000000u;
            if (pixel == blue || pixel == grey) line[x] = chosen(x) ? blue : grey;
        }
    }
    return image;
}

}  // namespace tulvo::ui
