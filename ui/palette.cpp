#include "ui/palette.hpp"

#include <QApplication>
#include <QColor>

namespace tulvo::ui {

QPalette lightPalette() {
    struct Role {
        QPalette::ColorRole role;
        QColor active, disabled;
    };
    const QColor black(0, 0, 0), white(255, 255, 255), window(239, 239, 239);
    const QColor greyText(120, 120, 120);
    const Role roles[] = {
        {QPalette::WindowText, black, greyText},
        {QPalette::Button, window, window},
        {QPalette::Light, white, white},
        {QPalette::Midlight, QColor(202, 202, 202), QColor(202, 202, 202)},
        {QPalette::Dark, QColor(159, 159, 159), QColor(190, 190, 190)},
        {QPalette::Mid, QColor(184, 184, 184), QColor(184, 184, 184)},
        {QPalette::Text, black, greyText},
        {QPalette::BrightText, white, white},
        {QPalette::ButtonText, black, greyText},
        {QPalette::Base, white, window},
        {QPalette::Window, window, window},
        {QPalette::Shadow, QColor(118, 118, 118), QColor(177, 177, 177)},
        {QPalette::Highlight, QColor(48, 140, 198), QColor(145, 145, 145)},
        {QPalette::HighlightedText, white, white},
        {QPalette::Link, QColor(0, 0, 255), QColor(0, 0, 255)},
        {QPalette::LinkVisited, QColor(255, 0, 255), QColor(255, 0, 255)},
        {QPalette::AlternateBase, QColor(247, 247, 247), QColor(247, 247, 247)},
        {QPalette::ToolTipBase, QColor(255, 255, 220), QColor(255, 255, 220)},
        {QPalette::ToolTipText, black, black},
        {QPalette::PlaceholderText, QColor(110, 110, 110), QColor(160, 160, 160)},
    };
    QPalette palette;
    for (const Role& r : roles) {
        palette.setColor(QPalette::Active, r.role, r.active);
        palette.setColor(QPalette::Inactive, r.role, r.active);
        palette.setColor(QPalette::Disabled, r.role, r.disabled);
    }
    return palette;
}

void useLightPalette() {
    QApplication::setPalette(lightPalette());
}

}  // namespace tulvo::ui
