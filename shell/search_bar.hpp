// The blue bar along the window's top: Options, "Search:", the search box
// with its drop-down history, Back/forward and the two picture selectors.
// It owns those controls and their fonts; the window keeps the search state
// and answers the bar's signals.
#pragma once

#include <QComboBox>
#include <QLabel>
#include <QWidget>
#include <string>
#include <vector>

#include "dictionary/search_choices.hpp"
#include "ui/picture_buttons.hpp"

namespace tulvo::shell {

struct MainLayout;

class SearchBar : public QWidget {
    Q_OBJECT
  public:
    explicit SearchBar(QWidget* parent);
    ~SearchBar() override;

    QString text() const { return box_->currentText(); }
    void setText(const QString& text) { box_->setEditText(text); }
    // The drop-down list's entries and the selected one; the typed text stays.
    void setEntries(const std::vector<std::u16string>& entries, int selected);
    void setCharForm(dictionary::CharForm charForm) { charForm_->setValue(charForm); }
    void setMatchPart(dictionary::MatchPart matchPart) { matchPart_->setValue(matchPart); }
    void setBackForwardPossible(bool back, bool forward) {
        backForward_->setPossible(back, forward);
    }
    // Places the box, Back/forward and the selectors as `layout` says.
    void layOut(const MainLayout& layout);
    // The box and its drop-down list use the label font of `height`;
    // "Search:" keeps the font it was made with.
    void setLabelFontHeight(int height);

    QComboBox& box() { return *box_; }
    QLabel& label() { return *label_; }
    ui::PictureSelector& charFormSelector() { return *charForm_; }
    ui::PictureSelector& matchPartSelector() { return *matchPart_; }
    ui::BackForwardButton& backForward() { return *backForward_; }

  signals:
    // An entry picked in the drop-down list; the box shows its text.
    void historyPicked();
    void charFormChosen(dictionary::CharForm charForm);
    void matchPartChosen(dictionary::MatchPart matchPart);
    void backClicked();
    void forwardClicked();
    void optionsClicked();

  protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

  private:
    QLabel* label_ = nullptr;
    QComboBox* box_ = nullptr;
    ui::PictureSelector* charForm_ = nullptr;
    ui::PictureSelector* matchPart_ = nullptr;
    ui::BackForwardButton* backForward_ = nullptr;
    ui::ClickablePicture* options_ = nullptr;
    // Set while a press or release in the drop-down list is being handled:
    // only then is the box's `activated` a pick from its history.
    bool dropDownPick_ = false;
};

}  // namespace tulvo::shell
