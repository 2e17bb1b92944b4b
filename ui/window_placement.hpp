// Top-level windows of a fixed outer size, centred on the screen and kept
// within the part of it that windows may take, and the "Arial" font by cell
// height, for the options program, its file preview, the reminder screen and
// the radical window.
#pragma once

#include <QFont>
#include <QGuiApplication>
#include <QRect>
#include <QScreen>
#include <QScrollArea>
#include <QStyle>
#include <QTimer>
#include <QWidget>
#include <algorithm>

#include "ui/fonts.hpp"

namespace tulvo::ui {

// The outer rectangle of a window of `outer` size centred in `available`
// (a screen's area left by its panels); the size is first clamped to it.
inline QRect centredFrame(QSize outer, QRect available) {
    const QSize size = outer.boundedTo(available.size());
    return {available.x() + (available.width() - size.width()) / 2,
            available.y() + (available.height() - size.height()) / 2, size.width(), size.height()};
}

// The area of `window`'s screen that windows may take; `fallback` without a screen.
inline QRect availableArea(const QWidget& window, QSize fallback) {
    const QScreen* screen = window.screen() ? window.screen() : QGuiApplication::primaryScreen();
    return screen ? screen->availableGeometry() : QRect(QPoint(), fallback);
}

// What the frame adds to `window`'s client size: known once it is shown.
inline QSize frameExtent(const QWidget& window) {
    return window.isVisible() ? window.frameGeometry().size() - window.geometry().size() : QSize();
}

// The client size of `window` for a wanted client size `client`: as large,
// unless the window, frame included, would not fit its screen's available area.
inline QSize fittedClientSize(const QWidget& window, QSize client) {
    const QSize frame = frameExtent(window);
    return client.boundedTo(availableArea(window, client + frame).size() - frame);
}

// Gives `window` the outer size `outer` (frame included) centred on its
// screen's available area. The frame's size is only known once the window is
// shown, so this runs again just after the window appears. A `fixed` window
// cannot be resized. With `scroller` (a scroll area filling the window), the
// scrolled canvas keeps the client size the window has where it fits: on a
// smaller screen the window shrinks to the screen and the controls are
// reached by scrolling; elsewhere no scroll bar shows.
inline void placeCentred(QWidget& window, QSize outer, bool fixed = false,
                         QScrollArea* scroller = nullptr) {
    const auto apply = [&window, outer, fixed, scroller] {
        const QSize frame = frameExtent(window);
        const QRect available = availableArea(window, outer);
        QSize wanted = outer;
        if (scroller) {
            const QSize client = outer - frame;
            scroller->widget()->setFixedSize(client);
            // A scroll bar for the side that does not fit takes room on the other.
            const int bar =
                scroller->style()->pixelMetric(QStyle::PM_ScrollBarExtent, nullptr, scroller);
            if (outer.height() > available.height()) wanted.rwidth() += bar;
            if (outer.width() > available.width()) wanted.rheight() += bar;
        }
        const QRect placed = centredFrame(wanted, available);
        if (fixed)
            window.setFixedSize(placed.size() - frame);
        else
            window.resize(placed.size() - frame);
        window.move(placed.topLeft());
    };
    apply();
    QTimer::singleShot(0, &window, apply);
}

// "Arial" with a cell height (ascent plus descent) of `height` pixels.
inline QFont arialFont(int height, bool bold = false) {
    return cellHeightFont(QStringLiteral("Arial"), height, bold);
}

}  // namespace tulvo::ui
