#include "ui/bitmaps.hpp"

#include <QFont>
#include <QFontMetrics>
#include <QPainter>
#include <QPainterPath>
#include <QPolygon>

namespace tulvo::ui {
namespace {

const QColor kCapsule(236, 240, 255);
const QColor kCapsuleEdge(110, 125, 215);

QImage capsule(int width, int height) {
    QImage image(width, height, QImage::Format_RGB32);
    image.fill(kTopBarBlue);
    QPainter p(&image);
    p.setRenderHint(QPainter::Antialiasing);
    p.setPen(kCapsuleEdge);
    p.setBrush(kCapsule);
    p.drawRoundedRect(QRectF(0.5, 2.5, width - 1.0, height - 5.0), (height - 5) / 2.0,
                      (height - 5) / 2.0);
    return image;
}

// Words without anti-aliasing, so that every ink pixel is exactly dim grey.
// Each word is drawn whole inside its box (the range that a click on it
// selects), two pixels clear of its edges: a word too wide for its box gets
// a smaller size rather than being cut.
void drawWords(QImage& image, const std::initializer_list<std::pair<const char*, QRect>>& words) {
    QPainter p(&image);
    p.setPen(kDimGrey);
    for (const auto& [text, box] : words) {
        const QString word = QString::fromUtf8(text);
        QFont font("Arial");
        font.setBold(true);
        font.setStyleStrategy(QFont::NoAntialias);
        for (int pixels = 12; pixels >= 7; --pixels) {
            font.setPixelSize(pixels);
            if (QFontMetrics(font).horizontalAdvance(word) <= box.width() - 4) break;
        }
        p.setFont(font);
        p.drawText(box, Qt::AlignCenter, word);
    }
}

}  // namespace

QImage charFormBitmap() {
    QImage image = capsule(161, 29);
    drawWords(image, {{"Simplified", QRect(3, 0, 59, 29)},
                      {"Both", QRect(63, 0, 29, 29)},
                      {"Traditional", QRect(93, 0, 57, 29)}});
    return image;
}

QImage matchPartBitmap() {
    QImage image = capsule(195, 29);
    drawWords(image, {{"Beginning", QRect(4, 0, 62, 29)},
                      {"End", QRect(67, 0, 25, 29)},
                      {"Anywhere", QRect(93, 0, 56, 29)},
                      {"Exact", QRect(150, 0, 34, 29)}});
    return image;
}

QImage backForwardBitmap() {
    QImage image = capsule(32, 29);
    QPainter p(&image);
    p.setPen(Qt::NoPen);
    p.setBrush(kDimGrey);
    p.drawPolygon(QPolygon({QPoint(4, 14), QPoint(13, 8), QPoint(13, 20)}));
    p.drawPolygon(QPolygon({QPoint(27, 14), QPoint(18, 8), QPoint(18, 20)}));
    p.setPen(QColor(150, 150, 170));
    for (int y = 6; y < 23; y += 2) p.drawPoint(15, y);
    return image;
}

QImage padToggleBitmap() {
    QImage image(18, 18, QImage::Format_RGB32);
    image.fill(kTopBarBlue);
    QPainter p(&image);
    p.fillRect(9, 0, 9, 18, kPadBrown);
    p.setPen(Qt::white);
    p.setBrush(kTopBarBlue);
    p.drawPolygon(QPolygon({QPoint(9, 1), QPoint(1, 9), QPoint(9, 17)}));
    p.setBrush(kPadBrown);
    p.drawPolygon(QPolygon({QPoint(9, 1), QPoint(17, 9), QPoint(9, 17)}));
    return image;
}

}  // namespace tulvo::ui
