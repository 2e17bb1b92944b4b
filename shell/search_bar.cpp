#include "shell/search_bar.hpp"

#include <QAbstractItemView>
#include <QApplication>
#include <QKeyEvent>
#include <QPainter>
#include <QTimer>
#include <algorithm>

#include "shell/main_layout.hpp"
#include "shell/settings.hpp"
#include "ui/bitmaps.hpp"
#include "ui/fonts.hpp"
#include "ui/text.hpp"

namespace tulvo::shell {
namespace {

const QString kSearchTip =
    QStringLiteral("Type a search string and hit Enter -- or right-click for radical search");

// A selector over one of the enums, its values found and drawn by x.
template <typename Choice>
ui::PictureSelector* selector(ui::Picture picture, Choice (*valueAt)(int),
                              XRange (*rangeOf)(Choice), QWidget* parent) {
    return new ui::PictureSelector(
        std::move(picture), [valueAt](int x) { return int(valueAt(x)); },
        [rangeOf](int value, int x) {
            const XRange r = rangeOf(Choice(value));
            return x >= r.from && x <= r.to;
        },
        parent);
}

}  // namespace

SearchBar::SearchBar(QWidget* parent) : QWidget(parent) {
    setAutoFillBackground(true);
    QPalette blue = palette();
    blue.setColor(QPalette::Window, ui::kTopBarBlue);
    setPalette(blue);

    charForm_ = selector(ui::charFormPicture(), charFormAt, charFormRange, this);
    charForm_->setToolTip(
        QStringLiteral("Select if you look for simplified characters, traditional or both"));
    connect(charForm_, &ui::PictureSelector::chosen, this,
            [this](int value) { emit charFormChosen(dictionary::CharForm(value)); });

    backForward_ = new ui::BackForwardButton(this);
    backForward_->setToolTip(QStringLiteral("Back/forward"));
    connect(backForward_, &ui::BackForwardButton::backClicked, this, &SearchBar::backClicked);
    connect(backForward_, &ui::BackForwardButton::forwardClicked, this, &SearchBar::forwardClicked);

    matchPart_ = selector(ui::matchPartPicture(), matchPartAt, matchPartRange, this);
    matchPart_->setToolTip(QStringLiteral("Select which part should match"));
    connect(matchPart_, &ui::PictureSelector::chosen, this,
            [this](int value) { emit matchPartChosen(dictionary::MatchPart(value)); });

    options_ = new ui::ClickablePicture(ui::optionsPicture(), this);
    options_->move(1, 1);
    options_->setToolTip(QStringLiteral("Options"));
    connect(options_, &ui::ClickablePicture::clicked, this, &SearchBar::optionsClicked);

    label_ = new QLabel(QStringLiteral("Search:"), this);
    label_->setFont(ui::labelFont(FontHeights{}.label));
    // 55 pixels wide, or as wide as this system's face needs for the word.
    label_->setGeometry(12, 6, std::max(55, label_->sizeHint().width()), 24);
    label_->setToolTip(kSearchTip);
    QPalette white = label_->palette();
    white.setColor(QPalette::WindowText, Qt::white);
    label_->setPalette(white);

    box_ = new QComboBox(this);
    box_->setEditable(true);
    box_->setInsertPolicy(QComboBox::NoInsert);
    box_->setCompleter(nullptr);
    box_->setToolTip(kSearchTip);
    // The box also reports `activated` when editing ends on the text of an
    // entry (Enter, or the focus leaving it); only a pick in the list counts
    // here, as Enter searches through the window's key handling.
    connect(box_, qOverload<int>(&QComboBox::activated), this, [this](int index) {
        if (index < 0 || !dropDownPick_) return;
        dropDownPick_ = false;
        box_->setEditText(box_->itemText(index));
        emit historyPicked();
    });
    layOut(MainLayout{});
    qApp->installEventFilter(this);
}

void SearchBar::layOut(const MainLayout& layout) {
    const auto place = [](QWidget* widget, const Rect& r) {
        widget->setGeometry(r.x, r.y, r.width, r.height);
    };
    place(box_, layout.searchBox);
    place(backForward_, layout.backForward);
    place(matchPart_, layout.matchPart);
    place(charForm_, layout.charForm);
}

SearchBar::~SearchBar() {
    qApp->removeEventFilter(this);
}

void SearchBar::setEntries(const std::vector<std::u16string>& entries, int selected) {
    const QString text = box_->currentText();
    const QSignalBlocker block(box_);
    box_->clear();
    for (const std::u16string& entry : entries) box_->addItem(ui::toQString(entry));
    box_->setCurrentIndex(selected);
    box_->setEditText(text);
}

void SearchBar::setLabelFontHeight(int height) {
    const QFont label = ui::labelFont(height);
    box_->setFont(label);
    box_->view()->setFont(label);
    // The drop-down list is 200 pixels high.
    box_->setMaxVisibleItems(std::max(1, 200 / (QFontMetrics(label).height() + 2)));
}

// A release of the mouse, or Enter, in the open drop-down list is the pick
// that the box's next `activated` reports; this filter sees the event before
// the list does.
bool SearchBar::eventFilter(QObject* watched, QEvent* event) {
    QAbstractItemView* list = box_->view();
    const bool release = event->type() == QEvent::MouseButtonRelease && watched == list->viewport();
    bool enter = false;
    if (event->type() == QEvent::KeyPress && watched == list) {
        const int key = static_cast<QKeyEvent*>(event)->key();
        enter = key == Qt::Key_Return || key == Qt::Key_Enter;
    }
    if (release || enter) {
        dropDownPick_ = true;
        QTimer::singleShot(0, this, [this] { dropDownPick_ = false; });
    }
    return QWidget::eventFilter(watched, event);
}

}  // namespace tulvo::shell
