// Fonts asked for by cell height: the height of a line of text (ascent plus
// descent) in pixels, as the design gives them. The pixel size is found from
// the real metrics of the face this system substitutes for the name; as sizes
// are whole pixels, the cell comes within half a pixel step of the height.
#pragma once

#include <QFont>
#include <QString>

namespace tulvo::ui {

QFont cellHeightFont(const QString& face, int height, bool bold = false);
// Ascent plus descent of `font`, in pixels.
double cellHeight(const QFont& font);

}  // namespace tulvo::ui
