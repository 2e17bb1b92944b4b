// The options window's four pages: each tab's controls, built on the tab's
// page at the window's coordinates.
#include <QApplication>
#include <QDesktopServices>
#include <QUrl>

#include "options/options_window.hpp"
#include "ui/fonts.hpp"
#include "ui/window_placement.hpp"

namespace tulvo::options {

QGroupBox* OptionsWindow::groupBox(Tab tab, const QString& title, int x, int y, int w, int h) {
    auto* box = new QGroupBox(title, &page(tab));
    box->setFont(ui::arialFont(17, true));
    box->setGeometry(x, y, w, h);
    return box;
}

void OptionsWindow::placePages() {
    for (QWidget* canvas : pages_) {
        if (!canvas) continue;  // still being built
        QWidget* page = canvas->parentWidget();
        canvas->setGeometry(QRect(-page->mapTo(canvas_, QPoint(0, 0)), canvas_->size()));
    }
}

bool OptionsWindow::eventFilter(QObject* watched, QEvent* event) {
    if (watched == canvas_ && tabs_ && event->type() == QEvent::Resize) {
        tabs_->setGeometry(0, 22, canvas_->width(), canvas_->height() - 22);
        tabs_->lower();
    }
    if (event->type() == QEvent::Move || event->type() == QEvent::Resize ||
        event->type() == QEvent::Show)
        placePages();
    return QWidget::eventFilter(watched, event);
}

QLabel* OptionsWindow::label(QWidget* parent, const QString& text, int x, int y, int w, int h,
                             bool wrap) {
    auto* l = new QLabel(text, parent);
    l->setGeometry(x, y, w, h);
    l->setAlignment(Qt::AlignLeft | Qt::AlignTop);
    l->setWordWrap(wrap);
    ui::fitLabelText(*l, ui::arialFont(17));
    return l;
}

namespace {

template <typename Button>
Button* placed(QWidget* parent, const QString& text, int x, int y, int w, int h) {
    auto* button = new Button(text, parent);
    // The plain font, not the group box's bold one.
    QFont plain = QApplication::font();
    plain.setBold(false);
    plain.setWeight(QFont::Normal);
    button->setFont(plain);
    button->setGeometry(x, y, w, h);
    return button;
}

}  // namespace

void OptionsWindow::buildGeneral() {
    QGroupBox* font = groupBox(General, QStringLiteral("Font size"), 10, 90, 510, 60);
    fontSize_ = {placed<QRadioButton>(font, QStringLiteral("Small"), 10, 30, 90, 20),
                 placed<QRadioButton>(font, QStringLiteral("Medium"), 100, 30, 100, 20),
                 placed<QRadioButton>(font, QStringLiteral("Large"), 200, 30, 120, 20)};

    QGroupBox* pad =
        groupBox(General, QStringLiteral("Writing pad appearance on startup"), 10, 165, 510, 60);
    showPad_ = placed<QRadioButton>(pad, QStringLiteral("Show the writing pad"), 10, 30, 190, 20);
    hidePad_ = placed<QRadioButton>(pad, QStringLiteral("Hide the writing pad"), 200, 30, 240, 20);

    QGroupBox* chars = groupBox(General, QStringLiteral("Character preference"), 10, 240, 510, 115);
    label(chars,
          QStringLiteral(
              "When selecting 'Both' simplified and traditional,\nEnglish and Pinyin searches "
              "give results in:"),
          10, 30, 490, 40);
    simplified_ =
        placed<QRadioButton>(chars, QStringLiteral("Simplified characters"), 10, 80, 190, 20);
    traditional_ =
        placed<QRadioButton>(chars, QStringLiteral("Traditional characters"), 200, 80, 240, 20);

    QGroupBox* key =
        groupBox(General, QStringLiteral("Hotkey for bringing up Tulvo"), 10, 370, 510, 115);
    label(key,
          QStringLiteral(
              "From any program, select text and hit the following key\nto bring up Tulvo:"),
          10, 30, 490, 40);
    hotkey_ = new QComboBox(key);
    hotkey_->setFont(ui::arialFont(17));
    for (const char* item : {"(none)", "F 5", "F 6", "F 7", "F 8", "F 9", "F10", "F11", "F12"})
        hotkey_->addItem(QString::fromLatin1(item));
    hotkey_->setGeometry(10, 80, 80, hotkey_->sizeHint().height());
    hotkey_->setMaxVisibleItems(kHotkeyItems);
}

void OptionsWindow::buildPopup() {
    popupEnabled_ = placed<QCheckBox>(&page(Popup), QStringLiteral("Enable popup definitions"), 10,
                                      90, 230, 30);
    connect(popupEnabled_, &QCheckBox::toggled, this, [this] { enablePopupControls(); });

    popupPrograms_ =
        groupBox(Popup, QStringLiteral("Show popup definitions in the following programs"), 10, 125,
                 510, 230);
    // The two column headings share the font the longer one fits in.
    const QLabel* standard =
        label(popupPrograms_, QStringLiteral("using standard method (more accurate)"), 13, 23, 220,
              18, false);
    label(popupPrograms_, QStringLiteral("using alternate method"), 263, 23, 220, 18, false)
        ->setFont(standard->font());
    applications_ = new QPlainTextEdit(popupPrograms_);
    applications_->setGeometry(10, 41, 230, 115);
    alternate_ = new QPlainTextEdit(popupPrograms_);
    alternate_->setGeometry(260, 41, 230, 115);
    label(popupPrograms_,
          QStringLiteral(
              "Add or remove program names (.exe), separated by commas.\nAdd *.* to turn on popups "
              "in ALL programs except exclusions below (beware of incompatibilities!)\nTry the "
              "alternate method for programs where the standard one does not work."),
          10, 165, 490, 60);

    popupExclusionsGroup_ =
        groupBox(Popup, QStringLiteral("Exclusions: turn off popups in the following programs"), 10,
                 370, 510, 95);
    exclusions_ = new QPlainTextEdit(popupExclusionsGroup_);
    exclusions_->setGeometry(10, 20, 480, 60);
    for (QPlainTextEdit* box : {applications_, alternate_, exclusions_})
        box->setFont(ui::arialFont(17));

    flash_ = placed<QCheckBox>(&page(Popup), QStringLiteral("Show popups within Flash animations"),
                               10, 470, 260, 30);
    pdf_ = placed<QCheckBox>(&page(Popup), QStringLiteral("Show popups within embedded PDFs"), 270,
                             470, 250, 30);
}

void OptionsWindow::buildFavorites() {
    // Above the two import groups: the favorites out to flashcard programs.
    label(&page(Favorites), QStringLiteral("Flashcards of the favorite words:"), 10, 66, 230, 22,
          false);
    auto* anki = placed<QPushButton>(&page(Favorites), QStringLiteral("Export for Anki..."), 240,
                                     60, 130, 30);
    connect(anki, &QPushButton::clicked, this, [this] { exportClicked(FlashcardFormat::Anki); });
    auto* csv =
        placed<QPushButton>(&page(Favorites), QStringLiteral("Export as CSV..."), 380, 60, 120, 30);
    connect(csv, &QPushButton::clicked, this, [this] { exportClicked(FlashcardFormat::Csv); });
    QGroupBox* import =
        groupBox(Favorites, QStringLiteral("Import a list of favorite words"), 10, 100, 510, 160);
    label(import,
          QStringLiteral(
              "The words will be marked as favorite and appear in orange.\nSelect a text file "
              "containing Chinese words, with words separated by spaces or commas."),
          10, 30, 480, 75);
    auto* importButton =
        placed<QPushButton>(import, QStringLiteral("Select file..."), 10, 115, 110, 30);
    connect(importButton, &QPushButton::clicked, this, [this] { importClicked(false); });

    QGroupBox* tracked =
        groupBox(Favorites, QStringLiteral("Track a list of favorite words"), 10, 270, 510, 180);
    track_ = placed<QCheckBox>(tracked, QStringLiteral("Track this favorite word list:"), 10, 30,
                               250, 20);
    trackPath_ = new QLineEdit(tracked);
    trackPath_->setGeometry(10, 56, 370, 27);
    auto* trackButton =
        placed<QPushButton>(tracked, QStringLiteral("Select file..."), 390, 55, 110, 30);
    connect(trackButton, &QPushButton::clicked, this, [this] { importClicked(true); });
    label(
        tracked,
        QStringLiteral("On each startup, Tulvo will open the list, detect new words that have been "
                       "added and mark them as favorite."),
        10, 90, 480, 50);
    updateBack_ = placed<QCheckBox>(
        tracked, QStringLiteral("Update the file when favorite words are added in Tulvo"), 10, 140,
        480, 20);
}

void OptionsWindow::buildUpdates() {
    QGroupBox* program =
        groupBox(Updates, QStringLiteral("Tulvo program update"), 10, 120, 510, 180);
    QGroupBox* dictionary =
        groupBox(Updates, QStringLiteral("CEDICT dictionary database"), 10, 310, 510, 180);
    for (int group = 0; group < 2; ++group) {
        QGroupBox* box = group == 0 ? program : dictionary;
        for (int line = 0; line < 3; ++line) {
            updateLines_[size_t(group * 3 + line)] = label(box, QString(), 30,
                                                           line == 0   ? 30
                                                           : line == 1 ? 55
                                                                       : 95,
                                                           470, 20, false);
        }
        setLine(group == 0 ? UpdateGroup::Program : UpdateGroup::Dictionary, 3,
                "Checking versions, please wait a minute...");
    }
    website_ =
        placed<QPushButton>(program, QStringLiteral("Go to Tulvo's web site"), 20, 130, 150, 30);
    download_ = placed<QPushButton>(dictionary, QStringLiteral("Download"), 20, 130, 120, 30);
    download_->setEnabled(false);
    connect(website_, &QPushButton::clicked, this, [this] {
        QDesktopServices::openUrl(QUrl(QString::fromStdString(addresses_.website)));
    });
    connect(download_, &QPushButton::clicked, this, [this] {
        if (updating_) return;  // the window stays live during the update
        updating_ = true;
        checker_.update();
        updating_ = false;
    });
}

}  // namespace tulvo::options
