#include "ui/bitmaps.hpp"

#include <QFont>
#include <QFontMetrics>
#include <QPainterPath>
#include <QPolygonF>
#include <QRegion>
#include <utility>
#include <vector>

namespace tulvo::ui {
namespace {

const QColor kCapsule(236, 240, 255);
const QColor kCapsuleEdge(110, 125, 215);

std::function<void(QPainter&)> capsule(int width, int height) {
    return [width, height](QPainter& p) {
        p.fillRect(QRect(0, 0, width, height), kTopBarBlue);
        p.setRenderHint(QPainter::Antialiasing);
        p.setPen(kCapsuleEdge);
        p.setBrush(kCapsule);
        const qreal radius = (height - 5) / 2.0;
        p.drawRoundedRect(QRectF(0.5, 2.5, width - 1.0, height - 5.0), radius, radius);
    };
}

using Words = std::vector<std::pair<QString, QRect>>;

// Each word is drawn whole inside its box (the range that a click on it
// selects), two pixels clear of its edges: a word too wide for its box gets
// a smaller size rather than being cut. Without anti-aliasing, so that the
// ink is exactly its colour; on a scaled screen the glyphs are rendered at
// the device's size and stay sharp.
std::function<void(QPainter&, const QColor&)> words(Words list) {
    std::vector<QFont> fonts;
    for (const auto& [word, box] : list) {
        QFont font("Arial");
        font.setBold(true);
        font.setStyleStrategy(QFont::NoAntialias);
        for (int pixels = 12; pixels >= 7; --pixels) {
            font.setPixelSize(pixels);
            if (QFontMetrics(font).horizontalAdvance(word) <= box.width() - 4) break;
        }
        fonts.push_back(font);
    }
    return [list = std::move(list), fonts = std::move(fonts)](QPainter& p, const QColor& colour) {
        p.setPen(colour);
        for (size_t i = 0; i < list.size(); ++i) {
            p.setFont(fonts[i]);
            p.drawText(list[i].second, Qt::AlignCenter, list[i].first);
        }
    };
}

}  // namespace

Picture charFormPicture() {
    return {QSize(161, 29), capsule(161, 29),
            words({{QStringLiteral("Simplified"), QRect(3, 0, 59, 29)},
                   {QStringLiteral("Both"), QRect(63, 0, 29, 29)},
                   {QStringLiteral("Traditional"), QRect(93, 0, 57, 29)}})};
}

Picture matchPartPicture() {
    return {QSize(195, 29), capsule(195, 29),
            words({{QStringLiteral("Beginning"), QRect(4, 0, 62, 29)},
                   {QStringLiteral("End"), QRect(67, 0, 25, 29)},
                   {QStringLiteral("Anywhere"), QRect(93, 0, 56, 29)},
                   {QStringLiteral("Exact"), QRect(150, 0, 34, 29)}})};
}

Picture backForwardPicture() {
    const auto background = [capsuleOf = capsule(32, 29)](QPainter& p) {
        capsuleOf(p);
        p.setRenderHint(QPainter::Antialiasing, false);
        p.setPen(QColor(150, 150, 170));
        for (int y = 6; y < 23; y += 2) p.drawPoint(15, y);
    };
    const auto arrows = [](QPainter& p, const QColor& colour) {
        p.setRenderHint(QPainter::Antialiasing);
        p.setPen(Qt::NoPen);
        p.setBrush(colour);
        p.drawPolygon(QPolygonF({QPointF(4, 14.5), QPointF(13.5, 8), QPointF(13.5, 21)}));
        p.drawPolygon(QPolygonF({QPointF(28, 14.5), QPointF(18.5, 8), QPointF(18.5, 21)}));
    };
    return {QSize(32, 29), background, arrows};
}

Picture padTogglePicture() {
    const auto diamond = [](QPainter& p) {
        p.fillRect(QRect(0, 0, 9, 18), kTopBarBlue);
        p.fillRect(QRect(9, 0, 9, 18), kPadBrown);
        p.setRenderHint(QPainter::Antialiasing);
        p.setPen(QPen(Qt::white, 1.0));
        p.setBrush(kTopBarBlue);
        p.drawPolygon(QPolygonF({QPointF(9, 1), QPointF(1, 9), QPointF(9, 17)}));
        p.setBrush(kPadBrown);
        p.drawPolygon(QPolygonF({QPointF(9, 1), QPointF(17, 9), QPointF(9, 17)}));
    };
    return {QSize(18, 18), diamond, {}};
}

Picture optionsPicture() {
    const auto list = [](QPainter& p) {
        const QColor navy(40, 50, 140);
        p.fillRect(QRect(0, 0, 11, 11), kTopBarBlue);
        p.setPen(navy);
        p.setBrush(Qt::white);
        p.drawRect(QRectF(0.5, 0.5, 10, 10));
        for (int y : {3, 5, 7}) p.fillRect(QRect(2, y, 7, 1), navy);
    };
    return {QSize(11, 11), list, {}};
}

void paintPicture(QPainter& p, const Picture& picture, const BlueColumns& blue) {
    p.save();
    picture.background(p);
    p.restore();
    if (!picture.ink) return;
    p.save();
    picture.ink(p, kDimGrey);
    p.restore();
    if (!blue) return;
    // The blue ink over the chosen columns only.
    QRegion columns;
    for (int x = 0; x < picture.size.width();) {
        if (!blue(x)) {
            ++x;
            continue;
        }
        int end = x;
        while (end < picture.size.width() && blue(end)) ++end;
        columns += QRect(x, 0, end - x, picture.size.height());
        x = end;
    }
    if (columns.isEmpty()) return;
    p.save();
    p.setClipRegion(columns);
    picture.ink(p, kPureBlue);
    p.restore();
}

QImage renderPicture(const Picture& picture, qreal scale, const BlueColumns& blue) {
    QImage image(picture.size * scale, QImage::Format_RGB32);
    image.setDevicePixelRatio(scale);
    image.fill(kTopBarBlue);
    QPainter p(&image);
    paintPicture(p, picture, blue);
    return image;
}

}  // namespace tulvo::ui
