#include "ui/picture_buttons.hpp"

#include <QMouseEvent>
#include <QPainter>

namespace tulvo::ui {

PictureSelector::PictureSelector(Picture picture, std::function<int(int)> valueAt,
                                 std::function<bool(int, int)> isChosen, QWidget* parent)
    : QWidget(parent),
      picture_(std::move(picture)),
      valueAt_(std::move(valueAt)),
      isChosen_(std::move(isChosen)) {
    setFixedSize(picture_.size);
}

void PictureSelector::setValue(int value) {
    value_ = value;
    update();
}

void PictureSelector::paintEvent(QPaintEvent*) {
    QPainter p(this);
    paintPicture(p, picture_, [this](int x) { return isChosen_(value_, x); });
}

void PictureSelector::mousePressEvent(QMouseEvent* event) {
    if (event->button() != Qt::LeftButton) return;
    setValue(valueAt_(event->position().toPoint().x()));
    emit chosen(value_);
}

BackForwardButton::BackForwardButton(QWidget* parent)
    : QWidget(parent), picture_(backForwardPicture()) {
    setFixedSize(picture_.size);
}

void BackForwardButton::setPossible(bool back, bool forward) {
    back_ = back;
    forward_ = forward;
    update();
}

void BackForwardButton::paintEvent(QPaintEvent*) {
    const int half = picture_.size.width() / 2;
    QPainter p(this);
    paintPicture(p, picture_, [&](int x) { return x < half ? back_ : forward_; });
}

void BackForwardButton::mousePressEvent(QMouseEvent* event) {
    if (event->button() != Qt::LeftButton) return;
    if (event->position().toPoint().x() <= width() / 2)
        emit backClicked();
    else
        emit forwardClicked();
}

ClickablePicture::ClickablePicture(Picture picture, QWidget* parent)
    : QWidget(parent), picture_(std::move(picture)) {
    setFixedSize(picture_.size);
}

void ClickablePicture::paintEvent(QPaintEvent*) {
    QPainter p(this);
    paintPicture(p, picture_);
}

void ClickablePicture::mousePressEvent(QMouseEvent* event) {
    if (event->button() == Qt::LeftButton) emit clicked();
}

}  // namespace tulvo::ui
