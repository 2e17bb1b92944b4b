#include "ui/fonts.hpp"

#include <QFontMetrics>
#include <QFontMetricsF>
#include <QStringList>
#include <algorithm>
#include <cmath>

namespace tulvo::ui {

double cellHeight(const QFont& font) {
    const QFontMetricsF metrics(font);
    return metrics.ascent() + metrics.descent();
}

QFont cellHeightFont(const QString& face, int height, bool bold) {
    QFont font(face);
    font.setBold(bold);
    // Sizes are whole pixels: the size whose cell is nearest `height`, by
    // the cell per pixel of the face, rounded half to even.
    font.setPixelSize(100);
    const double cellPerPixel = cellHeight(font) / 100.0;
    const double pixels = std::nearbyint(std::max(1, height) / cellPerPixel);
    font.setPixelSize(std::max(1, static_cast<int>(pixels)));
    return font;
}

QFont labelFont(int height) {
    return cellHeightFont(QStringLiteral("Arial"), height, false);
}
QFont panelFont(int height) {
    return cellHeightFont(QStringLiteral("Arial Unicode MS"), height, true);
}
QFont characterFont(int height) {
    return cellHeightFont(QStringLiteral("Arial Unicode MS"), height, false);
}

void fitLabelText(QLabel& label, const QFont& font) {
    QFont fitted = font;
    const QRect room = label.contentsRect();
    const int flags = int(label.alignment()) | (label.wordWrap() ? Qt::TextWordWrap : 0);
    while (fitted.pixelSize() > 6) {
        const QRect need = QFontMetrics(fitted).boundingRect(room, flags, label.text());
        if (need.width() <= room.width() && need.height() <= room.height()) break;
        fitted.setPixelSize(fitted.pixelSize() - 1);
    }
    label.setFont(fitted);
}

void installFontSubstitutions() {
    QFont::insertSubstitutions(QStringLiteral("Arial"), {QStringLiteral("Liberation Sans"),
                                                         QStringLiteral("Noto Sans CJK SC")});
    QFont::insertSubstitutions(
        QStringLiteral("Arial Unicode MS"),
        {QStringLiteral("Noto Sans CJK SC"), QStringLiteral("Liberation Sans")});
}

}  // namespace tulvo::ui
