#include "ui/favorite_indicator.hpp"

#include <QPainter>

namespace tulvo::ui {

FavoriteIndicator::FavoriteIndicator(QWidget* parent) : QWidget(parent) {
    setFixedSize(kIndicatorSize, kIndicatorSize);
    setAttribute(Qt::WA_TransparentForMouseEvents);
    hide();
}

void FavoriteIndicator::setFavorite(bool favorite) {
    if (favorite_ == favorite) return;
    favorite_ = favorite;
    update();
}

void FavoriteIndicator::paintEvent(QPaintEvent*) {
    QPainter p(this);
    p.setRenderHint(QPainter::Antialiasing, false);
    // The corners outside the disc show the field underneath.
    p.setPen(QColor(128, 128, 128));
    p.setBrush(Qt::white);
    p.drawEllipse(0, 0, kIndicatorSize - 1, kIndicatorSize - 1);
    if (favorite_) {
        p.setPen(Qt::NoPen);
        p.setBrush(QColor(246, 138, 0));
        p.drawEllipse(2, 2, 10, 10);
    }
}

}  // namespace tulvo::ui
