#include "reminder/reminder_window.hpp"

#include <QPainter>
#include <QPainterPath>
#include <cstdlib>

#include "ui/window_placement.hpp"

#ifndef TULVO_DEFAULT_WEBSITE
#define TULVO_DEFAULT_WEBSITE "https://tulvo.example"
#endif

namespace tulvo::reminder {
namespace {

QLabel* whiteLabel(QWidget* parent, const QString& text, int x, int y, int w, int h) {
    auto* label = new QLabel(text, parent);
    label->setGeometry(x, y, w, h);
    label->setWordWrap(true);
    label->setAlignment(Qt::AlignLeft | Qt::AlignTop);
    label->setAutoFillBackground(true);
    QPalette palette = label->palette();
    palette.setColor(QPalette::Window, Qt::white);
    palette.setColor(QPalette::WindowText, Qt::black);
    label->setPalette(palette);
    return label;
}

}  // namespace

QImage logo() {
    QImage image(80, 80, QImage::Format_RGB888);
    image.fill(Qt::white);
    QPainter p(&image);
    p.setRenderHint(QPainter::Antialiasing);
    // A blue tile with an open book, and an orange favorite mark above it.
    QLinearGradient tile(0, 0, 0, 80);
    tile.setColorAt(0, QColor(120, 140, 255));
    tile.setColorAt(1, QColor(60, 80, 200));
    p.setPen(Qt::NoPen);
    p.setBrush(tile);
    p.drawRoundedRect(QRectF(2, 2, 76, 76), 14, 14);
    p.setBrush(Qt::white);
    QPainterPath left, right;
    left.moveTo(40, 36);
    left.cubicTo(30, 30, 20, 30, 12, 34);
    left.lineTo(12, 64);
    left.cubicTo(20, 60, 30, 60, 40, 66);
    left.closeSubpath();
    right.moveTo(40, 36);
    right.cubicTo(50, 30, 60, 30, 68, 34);
    right.lineTo(68, 64);
    right.cubicTo(60, 60, 50, 60, 40, 66);
    right.closeSubpath();
    p.drawPath(left);
    p.drawPath(right);
    p.setPen(QPen(QColor(60, 80, 200), 2));
    p.drawLine(QPointF(40, 37), QPointF(40, 65));
    p.setPen(Qt::NoPen);
    p.setBrush(QColor(246, 138, 0));
    p.drawEllipse(QPointF(40, 20), 8, 8);
    return image;
}

QString webPageAddress() {
    const char* value = std::getenv("TULVO_WEBSITE_URL");
    return QString::fromUtf8(value && *value ? value : TULVO_DEFAULT_WEBSITE);
}

ReminderWindow::ReminderWindow(std::function<void()> openWebPage)
    : openWebPage_(std::move(openWebPage)) {
    setWindowTitle(QStringLiteral("Do you like Tulvo?"));
    setWindowFlags(Qt::Window | Qt::WindowTitleHint | Qt::WindowSystemMenuHint |
                   Qt::WindowCloseButtonHint);
    setAttribute(Qt::WA_DeleteOnClose, false);

    logo_ = new QLabel(this);
    logo_->setGeometry(10, 13, 60, 60);
    // The 80 × 80 picture is drawn smoothly shrunk into its 60 × 60 place.
    logo_->setPixmap(
        QPixmap::fromImage(logo().scaled(60, 60, Qt::IgnoreAspectRatio, Qt::SmoothTransformation)));

    main_ = whiteLabel(
        this,
        QStringLiteral("You downloaded Tulvo some time ago. We hope you enjoy its features. If "
                       "you plan to keep using it, can we suggest you make a donation to support "
                       "future developments?"),
        110, 14, 320, 90);
    secondary_ = whiteLabel(
        this,
        QStringLiteral("Small donations by users like you make a difference.\r\n\r\nVisit the "
                       "Tulvo website to donate and to get the latest update information. "
                       "Thanks for using Tulvo!"),
        30, 110, 380, 80);
    note_ =
        whiteLabel(this, QStringLiteral("(This message will not appear again.)"), 30, 200, 370, 30);
    note_->setAlignment(Qt::AlignHCenter | Qt::AlignTop);
    QPalette grey = note_->palette();
    grey.setColor(QPalette::WindowText, QColor(0x50, 0x50, 0x50));
    note_->setPalette(grey);

    visit_ = new QPushButton(QStringLiteral("Visit the website"), this);
    visit_->setGeometry(30, 240, 155, 30);
    close_ = new QPushButton(QStringLiteral("Close"), this);
    close_->setGeometry(245, 240, 155, 30);
    connect(visit_, &QPushButton::clicked, this, [this] {
        if (openWebPage_) openWebPage_();
        close();
    });
    connect(close_, &QPushButton::clicked, this, &QWidget::close);

    ui::placeCentred(*this, QSize(kWidth, kHeight), /*fixed=*/true);
}

void ReminderWindow::paintEvent(QPaintEvent*) {
    QPainter p(this);
    p.fillRect(rect(), Qt::white);
}

}  // namespace tulvo::reminder
