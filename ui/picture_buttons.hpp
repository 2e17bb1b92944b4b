// Picture controls of the top bar: a selector whose chosen words are blue,
// and the Back/forward arrows that are blue while a move is possible.
#pragma once

#include <QWidget>
#include <functional>

#include "ui/bitmaps.hpp"

namespace tulvo::ui {

class PictureSelector : public QWidget {
    Q_OBJECT
  public:
    // `valueAt` maps a click's x to a value; `isChosen(value, x)` tells which
    // pixels of the words belong to the chosen value.
    PictureSelector(Picture picture, std::function<int(int x)> valueAt,
                    std::function<bool(int value, int x)> isChosen, QWidget* parent);
    int value() const { return value_; }
    void setValue(int value);

  signals:
    void chosen(int value);

  protected:
    void paintEvent(QPaintEvent*) override;
    void mousePressEvent(QMouseEvent* event) override;

  private:
    Picture picture_;
    std::function<int(int)> valueAt_;
    std::function<bool(int, int)> isChosen_;
    int value_ = 0;
};

class BackForwardButton : public QWidget {
    Q_OBJECT
  public:
    explicit BackForwardButton(QWidget* parent);
    void setPossible(bool back, bool forward);

  signals:
    void backClicked();
    void forwardClicked();

  protected:
    void paintEvent(QPaintEvent*) override;
    void mousePressEvent(QMouseEvent* event) override;

  private:
    Picture picture_;
    bool back_ = false, forward_ = false;
};

// A plain picture that reports clicks (the pad toggle, the Options button).
class ClickablePicture : public QWidget {
    Q_OBJECT
  public:
    ClickablePicture(Picture picture, QWidget* parent);

  signals:
    void clicked();

  protected:
    void paintEvent(QPaintEvent*) override;
    void mousePressEvent(QMouseEvent* event) override;

  private:
    Picture picture_;
};

}  // namespace tulvo::ui
