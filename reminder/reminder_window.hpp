// The reminder screen: a small white window asking for a donation, with a
// button to the web site and one to close. Shown once by Tulvo.
#pragma once

#include <QImage>
#include <QLabel>
#include <QPushButton>
#include <QWidget>
#include <functional>

namespace tulvo::reminder {

inline constexpr int kWidth = 448;
inline constexpr int kHeight = 320;

// Our 80 × 80 logo, 24 bits per pixel.
QImage logo();

class ReminderWindow : public QWidget {
    Q_OBJECT
  public:
    // `openWebPage` opens the program's web page in the user's browser.
    explicit ReminderWindow(std::function<void()> openWebPage);

    QLabel& logoLabel() { return *logo_; }
    QLabel& mainMessage() { return *main_; }
    QLabel& secondaryMessage() { return *secondary_; }
    QLabel& note() { return *note_; }
    QPushButton& visitButton() { return *visit_; }
    QPushButton& closeButton() { return *close_; }

  protected:
    void paintEvent(QPaintEvent* event) override;

  private:
    std::function<void()> openWebPage_;
    QLabel* logo_;
    QLabel* main_;
    QLabel* secondary_;
    QLabel* note_;
    QPushButton* visit_;
    QPushButton* close_;
};

// The web page that "Visit the website" opens: TULVO_WEBSITE_URL when set,
// else the build's address.
QString webPageAddress();

}  // namespace tulvo::reminder
