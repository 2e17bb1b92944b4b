// The 15 × 15 favorite indicator shown over the character panel's large
// character fields: a white disc with a grey outline, with an orange inner
// disc while the word it belongs to is a favorite. It takes no mouse input;
// the field under it handles the click.
#pragma once

#include <QWidget>

namespace tulvo::ui {

inline constexpr int kIndicatorSize = 15;

class FavoriteIndicator : public QWidget {
    Q_OBJECT
  public:
    explicit FavoriteIndicator(QWidget* parent);
    void setFavorite(bool favorite);

  protected:
    void paintEvent(QPaintEvent* event) override;

  private:
    bool favorite_ = false;
};

}  // namespace tulvo::ui
