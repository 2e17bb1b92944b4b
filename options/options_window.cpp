#include "options/options_window.hpp"

#include "characters/word_values.hpp"

#include <QApplication>
#include <QCloseEvent>
#include <QDesktopServices>
#include <QDir>
#include <QEventLoop>
#include <QFile>
#include <QFileDialog>
#include <QPainter>
#include <QSaveFile>
#include <QThread>
#include <QUrl>

#include "favorites/flashcards.hpp"
#include "platform/app_paths.hpp"
#include "platform/local_messages.hpp"
#include "platform/run_program.hpp"
#include "ui/fonts.hpp"
#include "ui/manual.hpp"
#include "ui/message_box.hpp"
#include "ui/text.hpp"
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
        window_.showStoreMessage(ui::toQString(caption), ui::toQString(text));
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

// Runs `work` on a thread of its own while this thread's events go on being
// processed, so that the window repaints during a slow transfer or program.
// The user's input waits until the work is done: a click meanwhile cannot
// start a second transfer inside the first.
template <typename Work>
auto whileResponsive(Work work) {
    decltype(work()) result{};
    QEventLoop loop;
    std::unique_ptr<QThread> thread(QThread::create([&] { result = work(); }));
    QObject::connect(thread.get(), &QThread::finished, &loop, &QEventLoop::quit);
    thread->start();
    loop.exec(QEventLoop::ExcludeUserInputEvents);
    thread->wait();
    return result;
}

}  // namespace

// The window's transfers: the given ones, away from the window's thread.
class OptionsWindow::ResponsiveHttp : public UpdateHttp {
  public:
    explicit ResponsiveHttp(UpdateHttp& http) : http_(http) {}
    std::optional<std::string> get(const std::string& url) override {
        return whileResponsive([&] { return http_.get(url); });
    }
    std::string lastModifiedDate(const std::string& url) override {
        return whileResponsive([&] { return http_.lastModifiedDate(url); });
    }
    std::pair<std::optional<std::string>, std::string> getAndLastModified(
        const std::string& getUrl, const std::string& headUrl) override {
        return whileResponsive([&] { return http_.getAndLastModified(getUrl, headUrl); });
    }

  private:
    UpdateHttp& http_;
};

OptionsWindow::OptionsWindow(std::filesystem::path programDirectory, std::string installedVersion,
                             UpdateHttp& http, UpdateAddresses addresses)
    : dir_(std::move(programDirectory)),
      installed_(std::move(installedVersion)),
      favoritesMessages_(std::make_unique<StoreMessages>(*this)),
      freq_(dir_ / characters::kFreqPath),
      favorites_(platform::AppPaths(dir_).userFile(favorites::kFavoritesPath.filename().string()),
                 platform::AppPaths(dir_).topLevelUserFile(favorites::kDebugMarkerPath.string()),
                 favoritesMessages_.get()),
      preview_(std::make_unique<favorites::FilePreviewDialog>()),
      http_(std::make_unique<ResponsiveHttp>(http)),
      checker_(dir_, installed_, addresses, *http_, *this, *this),
      addresses_(std::move(addresses)) {
    setWindowTitle(QStringLiteral("Tulvo options"));
    setWindowFlags(Qt::Window | Qt::WindowTitleHint | Qt::WindowSystemMenuHint |
                   Qt::WindowCloseButtonHint | Qt::WindowMinimizeButtonHint);
    // The controls lie on a canvas in a scroll area that fills the window: on
    // a screen too small for the window, they are reached by scrolling.
    scroller_ = new QScrollArea(this);
    scroller_->setFrameShape(QFrame::NoFrame);
    canvas_ = new QWidget;
    scroller_->setWidget(canvas_);
    // The window paints its own ground under the controls, as without scrolling.
    scroller_->viewport()->setAutoFillBackground(false);
    canvas_->setAutoFillBackground(false);
    canvas_->installEventFilter(this);
    ui::placeCentred(*this, QSize(538, 536), /*fixed=*/true, scroller_);

    chooseFile = [this] {
        return QFileDialog::getOpenFileName(
            this, QStringLiteral("Select a list of favorite Chinese words"), toQ(dir_.string()));
    };
    chooseExportFile = [this](const QString& suggested) {
        return QFileDialog::getSaveFileName(
            this, QStringLiteral("Export the favorite words as flashcards"),
            QDir(QDir::homePath()).filePath(suggested));
    };
    showMessage = [this](const QString& text) { ui::tell(kCaption, text, this); };
    showStoreMessage = [this](const QString& caption, const QString& text) {
        ui::tell(caption, text, this);
    };

    tabs_ = new QTabWidget(canvas_);
    tabs_->setFont(ui::arialFont(17, true));
    // Each tab's page holds its controls on a canvas the size of the window,
    // kept where the controls' positions are the window's coordinates
    // whatever the tab bar's height.
    size_t tab = 0;
    for (const char* name : {"General", "Popup definitions", "Favorite words", "Tulvo updates"}) {
        auto* page = new QWidget;
        tabs_->addTab(page, QString::fromLatin1(name));
        pages_[tab] = new QWidget(page);
        pages_[tab]->resize(canvas_->size());
        page->installEventFilter(this);
        ++tab;
    }
    tabs_->setGeometry(0, 22, canvas_->width(), canvas_->height() - 22);

    auto* help = new QPushButton(canvas_);
    help->setIcon(QIcon(helpPicture()));
    help->setIconSize(QSize(30, 30));
    help->setGeometry(480, 10, 36, 36);
    help->setToolTip(QStringLiteral("Help"));
    connect(help, &QPushButton::clicked, this,
            [this] { ui::openManual(dir_, this, "options.html"); });

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
    // Every platform this program is built for is of the family that the
    // popup definitions need, so the "Popup definitions" tab shows no warning.
    if (tab == Updates && !updating_) {
        updating_ = true;
        // The tab shows before the check, which waits for the network.
        repaint();
        checker_.check();
        updating_ = false;
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

void OptionsWindow::exportClicked(FlashcardFormat format) {
    const QString path =
        chooseExportFile(format == FlashcardFormat::Anki ? QStringLiteral("tulvo-favorites.txt")
                                                         : QStringLiteral("tulvo-favorites.csv"));
    if (!path.isEmpty()) exportFlashcards(format, path);
}

bool OptionsWindow::exportFlashcards(FlashcardFormat format, const QString& path) {
    favorites_.refresh();  // words marked in the window meanwhile
    const std::vector<favorites::Flashcard> cards =
        favorites::makeFlashcards(favorites::storedWords(favorites_.buffer()),
                                  platform::AppPaths(dir_).dictionaryFile(), freq_);
    const std::string text = format == FlashcardFormat::Anki ? favorites::flashcardsAnki(cards)
                                                             : favorites::flashcardsCsv(cards);
    QSaveFile file(path);
    const bool written = file.open(QIODevice::WriteOnly) &&
                         file.write(text.data(), qint64(text.size())) == qint64(text.size()) &&
                         file.commit();
    if (!written) {
        showMessage(QStringLiteral("Sorry, the flashcards could not be written to %1:\n%2")
                        .arg(path, file.errorString()));
        return false;
    }
    showMessage(
        cards.empty()
            ? QStringLiteral("There are no favorite words yet: %1 holds only its header.").arg(path)
            : QStringLiteral("%1 favorite words were exported to %2.").arg(cards.size()).arg(path));
    return true;
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
        showMessage(
            QStringLiteral("Sorry, the file is larger than 64 MiB: too large for a word list."));
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
    QLabel& label = updateLine(group, line);
    label.setText(toQ(text));
    ui::fitLabelText(label, ui::arialFont(17));
}

void OptionsWindow::setDownloadEnabled(bool enabled) {
    download_->setEnabled(enabled);
}

void OptionsWindow::runAndWait(const std::filesystem::path& program,
                               const std::filesystem::path& workingDirectory) {
    whileResponsive([&] { return runProgramAndWait(program, workingDirectory); });
}

bool OptionsWindow::sendToPopupMessenger(uint32_t message) {
    return platform::sendMessage(platform::kPopupMessenger, message).has_value();
}

void OptionsWindow::pause(int milliseconds) {
    QThread::msleep(static_cast<unsigned long>(milliseconds));
}

void OptionsWindow::resizeEvent(QResizeEvent* event) {
    QWidget::resizeEvent(event);
    scroller_->setGeometry(rect());
}

void OptionsWindow::closeEvent(QCloseEvent* event) {
    save();
    preview_->reject();
    // The program ends with its last window.
    event->accept();
}

}  // namespace tulvo::options
