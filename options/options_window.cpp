#include "options/options_window.hpp"

#include "characters/word_values.hpp"

#include <QApplication>
#include <QCloseEvent>
#include <QDesktopServices>
#include <QFile>
#include <QFileDialog>
#include <QMessageBox>
#include <QPainter>
#include <QProcess>
#include <QThread>
#include <QUrl>

#include "platform/local_messages.hpp"
#include "ui/window_placement.hpp"

namespace tulvo::options {
namespace {

const QString kCaption = QStringLiteral("Tulvo_options");

// The help button's picture: a white question mark on a blue disc.
QPixmap helpPicture() {
    QPixmap picture(36, 36);
    picture.fill(Qt::transparent);
    QPainter p(&picture);
    p.setRenderHint(QPainter::Antialiasing);
    p.setPen(QPen(QColor(40, 50, 140), 2));
    p.setBrush(QColor(90, 110, 230));
    p.drawEllipse(2, 2, 32, 32);
    p.setPen(Qt::white);
    p.setFont(ui::arialFont(28, true));
    p.drawText(QRect(2, 2, 32, 32), Qt::AlignCenter, QStringLiteral("?"));
    return picture;
}

// The store's messages go to the window's hook.
class StoreMessages final : public favorites::FavoritesMessages {
  public:
    explicit StoreMessages(OptionsWindow& window) : window_(window) {}
    void showMessage(std::u16string_view caption, std::u16string_view text) override {
        if (!window_.showStoreMessage) return;
        window_.showStoreMessage(QString::fromUtf16(caption.data(), qsizetype(caption.size())),
                                 QString::fromUtf16(text.data(), qsizetype(text.size())));
    }

  private:
    OptionsWindow& window_;
};

std::string toStd(const QString& text) {
    return text.toStdString();
}
QString toQ(const std::string& text) {
    return QString::fromStdString(text);
}

// The program-list boxes hold lines as the settings file's writer expects
// them: CR LF between lines.
std::string boxText(const QPlainTextEdit& box) {
    QString text = box.toPlainText();
    text.replace(QLatin1Char('\n'), QStringLiteral("\r\n"));
    return toStd(text);
}

}  // namespace

OptionsWindow::OptionsWindow(std::filesystem::path programDirectory, std::string installedVersion,
                             UpdateHttp& http, UpdateAddresses addresses)
    : dir_(std::move(programDirectory)),
      installed_(std::move(installedVersion)),
      favoritesMessages_(std::make_unique<StoreMessages>(*this)),
      freq_(dir_ / characters::kFreqPath),
      favorites_(dir_ / favorites::kFavoritesPath, dir_ / favorites::kDebugMarkerPath,
                 favoritesMessages_.get()),
      preview_(std::make_unique<favorites::FilePreviewDialog>()),
      checker_(dir_, installed_, addresses, http, *this, *this),
      addresses_(std::move(addresses)) {
    setWindowTitle(QStringLiteral("Tulvo options"));
    setWindowFlags(Qt::Window | Qt::WindowTitleHint | Qt::WindowSystemMenuHint |
                   Qt::WindowCloseButtonHint | Qt::WindowMinimizeButtonHint);
    ui::placeCentred(*this, QSize(538, 536), /*fixed=*/true);

    chooseFile = [this] {
        return QFileDialog::getOpenFileName(
            this, QStringLiteral("Select a list of favorite Chinese words"), toQ(dir_.string()));
    };
    showMessage = [this](const QString& text) {
        QMessageBox box(QMessageBox::NoIcon, kCaption, text, QMessageBox::Ok, this);
        box.raise();
        box.exec();
    };
    showStoreMessage = [this](const QString& caption, const QString& text) {
        QMessageBox box(QMessageBox::NoIcon, caption, text, QMessageBox::Ok, this);
        box.raise();
        box.exec();
    };

    tabs_ = new QTabWidget(this);
    tabs_->setFont(ui::arialFont(17, true));
    for (const char* name : {"General", "Popup definitions", "Favorite words", "Tulvo updates"})
        tabs_->addTab(new QWidget, QString::fromLatin1(name));
    tabs_->setGeometry(0, 22, width(), height() - 22);

    auto* help = new QPushButton(this);
    help->setIcon(QIcon(helpPicture()));
    help->setIconSize(QSize(30, 30));
    help->setGeometry(480, 10, 36, 36);
    help->setToolTip(QStringLiteral("Help"));
    connect(help, &QPushButton::clicked, this, [this] {
        QDesktopServices::openUrl(QUrl::fromLocalFile(toQ((dir_ / "Tulvo help.chm").string())));
    });

    buildGeneral();
    buildPopup();
    buildFavorites();
    buildUpdates();
    help->raise();

    favorites_.load();
    setState(readOptions(dir_));
    selectTab(General);
    connect(tabs_, &QTabWidget::currentChanged, this, [this](int index) { selectTab(Tab(index)); });
}

OptionsWindow::~OptionsWindow() = default;

QGroupBox* OptionsWindow::groupBox(Tab tab, const QString& title, int x, int y, int w, int h) {
    auto* box = new QGroupBox(title, this);
    box->setFont(ui::arialFont(17, true));
    box->setGeometry(x, y, w, h);
    controls_[size_t(tab)].push_back(box);
    return box;
}

QLabel* OptionsWindow::label(QWidget* parent, const QString& text, int x, int y, int w, int h) {
    auto* l = new QLabel(text, parent);
    l->setFont(ui::arialFont(17));
    l->setGeometry(x, y, w, h);
    l->setAlignment(Qt::AlignLeft | Qt::AlignTop);
    l->setWordWrap(true);
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
    popupEnabled_ =
        placed<QCheckBox>(this, QStringLiteral("Enable popup definitions"), 10, 90, 230, 30);
    controls_[Popup].push_back(popupEnabled_);
    connect(popupEnabled_, &QCheckBox::toggled, this, [this] { enablePopupControls(); });

    popupPrograms_ =
        groupBox(Popup, QStringLiteral("Show popup definitions in the following programs"), 10, 125,
                 510, 230);
    for (QLabel* heading : {label(popupPrograms_, QStringLiteral("using standard method (more accurate)"), 13, 23, 220, 18),
                            label(popupPrograms_, QStringLiteral("using alternate method"), 263, 23, 220, 18)})
        heading->setWordWrap(false);
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

    flash_ = placed<QCheckBox>(this, QStringLiteral("Show popups within Flash animations"), 10, 470,
                               260, 30);
    pdf_ = placed<QCheckBox>(this, QStringLiteral("Show popups within embedded PDFs"), 270, 470,
                             250, 30);
    controls_[Popup].push_back(flash_);
    controls_[Popup].push_back(pdf_);
}

void OptionsWindow::buildFavorites() {
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
            QLabel* l = label(box, QString(), 30, line == 0 ? 30 : line == 1 ? 55 : 95, 470, 20);
            l->setWordWrap(false);
            updateLines_[size_t(group * 3 + line)] = l;
        }
        updateLines_[size_t(group * 3 + 2)]->setText(
            QStringLiteral("Checking versions, please wait a minute..."));
    }
    website_ =
        placed<QPushButton>(program, QStringLiteral("Go to Tulvo's web site"), 20, 130, 150, 30);
    download_ = placed<QPushButton>(dictionary, QStringLiteral("Download"), 20, 130, 120, 30);
    download_->setEnabled(false);
    connect(website_, &QPushButton::clicked, this,
            [this] { QDesktopServices::openUrl(QUrl(toQ(addresses_.website))); });
    connect(download_, &QPushButton::clicked, this, [this] { checker_.update(); });
}

void OptionsWindow::enablePopupControls() {
    const bool on = popupEnabled_->isChecked();
    for (QWidget* w :
         std::initializer_list<QWidget*>{popupPrograms_, popupExclusionsGroup_, flash_, pdf_})
        w->setEnabled(on);
}

void OptionsWindow::selectTab(Tab tab) {
    if (tabs_->currentIndex() != tab) {
        tabs_->setCurrentIndex(tab);  // comes back here through currentChanged
        return;
    }
    for (const auto& controls : controls_)
        for (QWidget* w : controls) w->hide();
    for (QWidget* w : controls_[size_t(tab)]) {
        w->show();
        w->raise();
    }
    // Every platform this program is built for is of the family that the
    // popup definitions need, so the "Popup definitions" tab shows no warning.
    if (tab == Updates) {
        QCoreApplication::processEvents();
        checker_.check();
    }
}

OptionsState OptionsWindow::state() const {
    OptionsState s;
    s.fontSize = fontSize_[0]->isChecked()   ? OptionsState::Small
                 : fontSize_[1]->isChecked() ? OptionsState::Medium
                                             : OptionsState::Large;
    s.showPad = showPad_->isChecked();
    s.traditional = !simplified_->isChecked();
    s.hotkeyItem = std::max(0, hotkey_->currentIndex());
    s.popupEnabled = popupEnabled_->isChecked();
    s.popupApplications = boxText(*applications_);
    s.popupAlternate = boxText(*alternate_);
    s.popupExclusions = boxText(*exclusions_);
    s.popupInFlash = flash_->isChecked();
    s.popupInPdf = pdf_->isChecked();
    s.track = track_->isChecked();
    s.updateBack = updateBack_->isChecked();
    s.trackFile = toStd(trackPath_->text());
    s.trackEncoding = trackEncoding_;
    return s;
}

void OptionsWindow::setState(const OptionsState& s) {
    fontSize_[size_t(s.fontSize)]->setChecked(true);
    (s.showPad ? showPad_ : hidePad_)->setChecked(true);
    (s.traditional ? traditional_ : simplified_)->setChecked(true);
    hotkey_->setCurrentIndex(s.hotkeyItem);
    popupEnabled_->setChecked(s.popupEnabled);
    applications_->setPlainText(toQ(s.popupApplications));
    alternate_->setPlainText(toQ(s.popupAlternate));
    exclusions_->setPlainText(toQ(s.popupExclusions));
    flash_->setChecked(s.popupInFlash);
    pdf_->setChecked(s.popupInPdf);
    track_->setChecked(s.track);
    updateBack_->setChecked(s.updateBack);
    trackPath_->setText(toQ(s.trackFile));
    trackEncoding_ = s.trackEncoding;
    enablePopupControls();
}

bool OptionsWindow::save() const {
    return writeOptions(dir_, state());
}

void OptionsWindow::importClicked(bool track) {
    if (importing_) return;  // one import at a time: the preview waits for the user
    const QString path = chooseFile();
    if (!path.isEmpty()) importFile(path, track);
}

void OptionsWindow::importFile(const QString& path, bool track) {
    // Only regular files of list size: a pipe or a device would never end.
    const favorites::ListFile list = favorites::readListFile(toStd(path));
    if (list.status == favorites::ListFile::TooLarge) {
        showMessage(QStringLiteral("Sorry, the file is larger than 64 MiB: too large for a word list."));
        return;
    }
    if (list.bytes.empty()) {
        showMessage(QStringLiteral("Sorry, the file is inaccessible or empty."));
        return;
    }
    importing_ = true;
    favorites::ImportRequest request;
    request.text = list.bytes;
    request.showPreview = true;
    request.addSingleCharacters = true;
    request.classes = characters::listWordClasses(freq_);
    int codePage = -1;
    const int added = favorites::importList(request, favorites_, preview_.get(), &codePage);
    importing_ = false;
    if (added == favorites::kImportFailed) {
        showMessage(QStringLiteral("Sorry, the words could not be added to your favorites.\n%1")
                        .arg(toQ(favorites_.failureReason())));
        return;
    }
    if (added < 0) return;

    QString text =
        added > 0
            ? QStringLiteral("Your favorite words have been added!\n%1 new word(s) were found.")
                  .arg(added)
            : QStringLiteral(
                  "No new words were found.\nEither the text file is incorrect, or "
                  "all words were already marked as favorite.");
    if (track) {
        trackPath_->setText(path);
        track_->setChecked(true);
        trackEncoding_ = codePage;
        text += added > 0
                    ? QStringLiteral(
                          "\n\nOn startup, Tulvo will now track new words added to this file.")
                    : QStringLiteral(
                          "\n\nHowever, on startup, Tulvo will now track new words added to this "
                          "file.");
    }
    showMessage(text);
}

QLabel& OptionsWindow::updateLine(UpdateGroup group, int line) {
    return *updateLines_[size_t((group == UpdateGroup::Program ? 0 : 3) + line - 1)];
}

void OptionsWindow::setLine(UpdateGroup group, int line, const std::string& text) {
    updateLine(group, line).setText(toQ(text));
}

void OptionsWindow::setDownloadEnabled(bool enabled) {
    download_->setEnabled(enabled);
}

bool OptionsWindow::runAndWait(const std::filesystem::path& program,
                               const std::filesystem::path& workingDirectory) {
    QProcess process;
    process.setProgram(toQ(program.string()));
    process.setWorkingDirectory(toQ(workingDirectory.string()));
    process.start();
    if (!process.waitForStarted()) return false;
    process.waitForFinished(-1);
    return true;
}

bool OptionsWindow::sendToPopupMessenger(uint32_t message) {
    return platform::sendMessage(platform::kPopupMessenger, message).has_value();
}

void OptionsWindow::pause(int milliseconds) {
    QThread::msleep(static_cast<unsigned long>(milliseconds));
}

void OptionsWindow::resizeEvent(QResizeEvent* event) {
    QWidget::resizeEvent(event);
    tabs_->setGeometry(0, 22, width(), height() - 22);
    tabs_->lower();
}

void OptionsWindow::closeEvent(QCloseEvent* event) {
    save();
    preview_->reject();
    // The program ends with its last window.
    event->accept();
}

}  // namespace tulvo::options
