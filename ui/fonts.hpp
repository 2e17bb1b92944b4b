// Fonts asked for by cell height: the height of a line of text (ascent plus
// descent) in pixels, as the design gives them. The pixel size is found from
// the real metrics of the face this system substitutes for the name; as sizes
// are whole pixels, the cell comes within half a pixel step of the height.
#pragma once

#include <QFont>
#include <QLabel>
#include <QString>

namespace tulvo::ui {

QFont cellHeightFont(const QString& face, int height, bool bold = false);
// Ascent plus descent of `font`, in pixels.
double cellHeight(const QFont& font);

// The window's fonts by the names the design asks for.
QFont labelFont(int height);      // Latin labels, the search box, the list
QFont panelFont(int height);      // the panel's fields and the candidates, bold
QFont characterFont(int height);  // the headword and the current character
// Gives `label` the font `font`, narrowed only as far as the label's text
// needs to stay whole in its box: a text longer than the box was planned
// for is shown smaller rather than cut off.
void fitLabelText(QLabel& label, const QFont& font);
// Maps those names to fonts this system has.
void installFontSubstitutions();

}  // namespace tulvo::ui
