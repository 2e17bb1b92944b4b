// Top-level windows of a fixed outer size, centred on the screen, and the
// "Arial" font by cell height, for the options program, its file preview and
// the reminder screen.
#pragma once

#include <QFont>
#include <QGuiApplication>
#include <QRect>
#include <QScreen>
#include <QTimer>
#include <QWidget>
#include <algorithm>

#include "ui/fonts.hpp"

namespace tulvo::ui {

// The outer rectangle of a window of `outer` size centred on a screen of
// `screen` size; the size is first clamped to the screen.
inline QRect centredFrame(QSize outer, QSize screen) {
    const int width = std::min(outer.width(), screen.width());
    const int height = std::min(outer.height(), screen.height());
    return {(screen.width() - width) / 2, (screen.height() - height) / 2, width, height};
}

// Gives `window` the outer size `outer` (frame included) centred on its
// screen. The frame's size is only known once the window is shown, so this
// runs again just after the window appears. A `fixed` window cannot be resized.
inline void placeCentred(QWidget& window, QSize outer, bool fixed = false) {
    const auto apply = [&window, outer, fixed] {
        const QScreen* screen =
            window.screen() ? window.screen() : QGuiApplication::primaryScreen();
        const QRect frame = centredFrame(outer, screen ? screen->size() : outer);
        const QRect inner = window.geometry();
        const QRect framed = window.frameGeometry();
        const int extraWidth = window.isVisible() ? framed.width() - inner.width() : 0;
        const int extraHeight = window.isVisible() ? framed.height() - inner.height() : 0;
        const QSize client(frame.width() - extraWidth, frame.height() - extraHeight);
        if (fixed)
            window.setFixedSize(client);
        else
            window.resize(client);
        window.move(frame.topLeft());
    };
    apply();
    QTimer::singleShot(0, &window, apply);
}

// "Arial" with a cell height (ascent plus descent) of `height` pixels.
inline QFont arialFont(int height, bool bold = false) {
    return cellHeightFont(QStringLiteral("Arial"), height, bold);
}

}  // namespace tulvo::ui
