#include "shell/main_window.hpp"

#include <QApplication>
#include <QCloseEvent>
#include <QDesktopServices>
#include <QKeyEvent>
#include <QProcess>
#include <QTimer>
#include <QUrl>
#include <QWindow>

#include "characters/character_panel_view.hpp"
#include "characters/component_search.hpp"
#include "characters/radical_window.hpp"
#include "characters/stroke_order_box.hpp"
#include "characters/word_values.hpp"
#include "platform/app_paths.hpp"
#include "platform/child_program.hpp"
#include "platform/local_messages.hpp"
#include "platform/unicode_text.hpp"
#include "shell/desktop_integration.hpp"
#include "shell/main_layout.hpp"
#include "shell/pad_column.hpp"
#include "shell/reminder_check.hpp"
#include "shell/search_bar.hpp"
#include "shell/speech.hpp"
#include "ui/bitmaps.hpp"
#include "ui/fonts.hpp"
#include "ui/manual.hpp"
#include "ui/message_box.hpp"
#include "ui/text.hpp"
#include "ui/window_placement.hpp"

namespace tulvo::shell {
namespace {

using ui::toQString;
using ui::toUnits;

void place(QWidget* widget, const Rect& r) {
    widget->setGeometry(r.x, r.y, r.width, r.height);
}

// The program version handed to the options program: 32 characters.
const std::string kProgramVersion = "version 2.1a                    ";

}  // namespace

MainWindow::MainWindow(std::filesystem::path programDirectory,
                       const dictionary::WordValueLookup& values)
    : dir_(std::move(programDirectory)),
      results_(values),
      host_(results_, *this, dir_, markedVowels_),
      settings_(dir_, *this),
      tracked_(dir_, *this) {
    setWindowTitle(QStringLiteral("Tulvo"));
    buildPadAndPanel(values);
    buildControls();
    buildCharacterSearchWindows(values);
    desktop_ = std::make_unique<DesktopIntegration>(*this, dir_);
    connect(&host_, &WindowSearchHost::settled, this, &MainWindow::searchSettled);
    connect(&host_, &WindowSearchHost::dropDownChanged, this, &MainWindow::updateDropDown);
    focusConnection_ = connect(qApp, &QApplication::focusChanged, this, [this] {
        if (dropDownStale_) updateDropDown();
    });
    // Lookups are served from the event loop once the messages that came
    // with them are read, so that a burst comes down to its newest.
    lookupTimer_ = new QTimer(this);
    lookupTimer_->setSingleShot(true);
    lookupTimer_->setInterval(0);
    connect(lookupTimer_, &QTimer::timeout, this, &MainWindow::serveLookup);
    qApp->installEventFilter(this);
}

MainWindow::~MainWindow() {
    // The children are deleted after this body, and the focus moves as they
    // go: nothing of this class may answer then.
    disconnect(focusConnection_);
    qApp->removeEventFilter(this);
}

void MainWindow::buildControls() {
    searchBar_ = new SearchBar(this);
    searchBar_->setCharForm(charForm_);
    connect(searchBar_, &SearchBar::charFormChosen, this,
            [this](dictionary::CharForm v) { charForm_ = v; });
    connect(searchBar_, &SearchBar::matchPartChosen, this,
            [this](dictionary::MatchPart v) { matchPart_ = v; });
    connect(searchBar_, &SearchBar::backClicked, this, &MainWindow::goBack);
    connect(searchBar_, &SearchBar::forwardClicked, this, &MainWindow::goForward);
    connect(searchBar_, &SearchBar::optionsClicked, this, &MainWindow::openOptions);
    connect(searchBar_, &SearchBar::historyPicked, this,
            [this] { searchFromBox(/*fromHistoryPick=*/true); });

    padToggle_ = new ui::ClickablePicture(ui::padTogglePicture(), this);
    padToggle_->setToolTip(QStringLiteral("Show/hide the writing pad"));
    connect(padToggle_, &ui::ClickablePicture::clicked, this, [this] { setPadShown(!padShown_); });

    resultView_ = new dictionary::ResultListView(results_, this);
    connect(resultView_, &dictionary::ResultListView::characterDoubleClicked, this,
            &MainWindow::searchCharacter);
    connect(resultView_, &dictionary::ResultListView::rowSelected, this, &MainWindow::showRow);
    connect(resultView_, &dictionary::ResultListView::characterRightClicked, panel_,
            &characters::CharacterPanelView::openShortMenu);
    // The indicator stays above the controls made after it.
    panel_->indicator().raise();

    setFontHeights(fontHeights_);
    updateBackForward();
}

void MainWindow::start() {
    // The outer size, frame included, centred on the screen.
    ui::placeCentred(*this, QSize(1050, 499));
    applySettings(/*firstRead=*/true);
    reminderCheck(dir_, FileClock::now(), [this](const std::filesystem::path& program) {
        runProgramInert(program, {}, [] {});
    });
    layOut();
    searchBar_->box().setFocus();
    started_ = true;
    if (pendingLookup_) lookupTimer_->start();
}

// The writing pad with its grid, and the character panel with its menus.
void MainWindow::buildPadAndPanel(const dictionary::WordValueLookup& values) {
    const auto charForm = [this] { return charForm_; };
    padColumn_ = new PadColumn(dir_, charForm, this);
    connect(padColumn_, &PadColumn::candidateClicked, this, &MainWindow::searchCharacter);

    panel_ = new characters::CharacterPanelView(this, dir_, values, charForm);
    connect(padColumn_, &PadColumn::candidateRightClicked, panel_,
            &characters::CharacterPanelView::openShortMenu);
    connect(panel_, &characters::CharacterPanelView::lookupRequested, this,
            &MainWindow::searchCharacter);
    connect(panel_, &characters::CharacterPanelView::headwordValueChanged, this, [this](int value) {
        if (shownRow_ < 0 || static_cast<size_t>(shownRow_) >= results_.size()) return;
        results_.setWordValue(static_cast<size_t>(shownRow_), value);
        resultView_->resultModel().rowsChanged();
    });
    connect(panel_, &characters::CharacterPanelView::characterValueChanged, this,
            [this](char16_t character, int delta) {
                if (results_.adjustWordValues(std::u16string(1, character), delta) > 0)
                    resultView_->resultModel().rowsChanged();
            });
    connect(panel_, &characters::CharacterPanelView::favoriteAdded, this,
            [this](const QString& word) { favoriteAdded(ui::unitsOf(word)); });
    // "Speak" is offered while a voice exists or is being created.
    connect(&panel_->characterMenu(), &QMenu::aboutToShow, this,
            [this] { panel_->setSpeechAvailable(speech().available()); });
    connect(panel_, &characters::CharacterPanelView::speakRequested, this,
            [this](const QString& text) { speech().speak(ui::unitsOf(text)); });
    // The component search and the stroke box connect theirs in
    // buildCharacterSearchWindows.
}

void MainWindow::setFavoritesStore(favorites::FavoritesStore* store) {
    favorites_ = store;
    panel_->setFavoritesStore(store);
}

void MainWindow::showRow(int position) {
    if (position < 0 || static_cast<size_t>(position) >= results_.size()) return;
    shownRow_ = position;
    panel_->showEntry(characters::PanelEntry::ofRow(results_.at(static_cast<size_t>(position))));
}

dictionary::SearchSettings MainWindow::searchSettings() const {
    return {matchPart_, charForm_, preferTraditional_};
}

void MainWindow::showSearchText(const QString& text) {
    searchBar_->setText(text);
}

void MainWindow::showBareCharacter(char16_t character) {
    shownRow_ = -1;
    panel_->showEntry(characters::PanelEntry::ofCharacter(character));
}

void MainWindow::searchFromBox(bool fromHistoryPick) {
    if (dropDownStale_)
        searchBar_->setEntries(host_.dropDown().entries(), host_.dropDown().selected());
    dropDownStale_ = false;
    // What is typed from here on is typed during the search.
    if (QLineEdit* edit = searchBar_->box().lineEdit()) edit->setModified(false);
    const QString text = searchBar_->text();
    history_.push(findLine(matchPart_, charForm_, utf16ToUtf8(toUnits(text))));
    updateBackForward();
    runSearch(fromHistoryPick);
}

void MainWindow::searchCharacter(char16_t character) {
    const std::u16string text(1, character);
    history_.push(findLine(matchPart_, charForm_, utf16ToUtf8(text)));
    updateBackForward();
    showSearchText(toQString(text));
    host_.characterSearch(character, searchSettings());
}

void MainWindow::runSearch(bool fromHistoryPick) {
    host_.textSearch(toUnits(searchBar_->text()), searchSettings(), fromHistoryPick);
}

void MainWindow::lookUp(const QString& text) {
    pendingLookup_ = text;
    if (started_ && !waitingForProgram_) lookupTimer_->start();
}

void MainWindow::serveLookup() {
    if (!pendingLookup_ || !started_ || waitingForProgram_) return;
    const QString text = *std::exchange(pendingLookup_, std::nullopt);
    searchBar_->box().setEditText(text);
    desktop_->bringToFront();
    searchBar_->box().setFocus();
    searchFromBox();
}

// The drop-down is refilled when the user is not typing in the box: a search
// that ends while the next query is typed leaves its entry for later.
void MainWindow::updateDropDown() {
    const QLineEdit* edit = searchBar_->box().lineEdit();
    dropDownStale_ = edit && edit->hasFocus();
    if (dropDownStale_) return;
    searchBar_->setEntries(host_.dropDown().entries(), host_.dropDown().selected());
}

void MainWindow::updateBackForward() {
    searchBar_->setBackForwardPossible(history_.canGoBack(), history_.canGoForward());
}

void MainWindow::goBack() {
    replayStep(&SearchHistory::back);
}

void MainWindow::goForward() {
    replayStep(&SearchHistory::forward);
}

void MainWindow::replayStep(const std::string* (SearchHistory::*step)()) {
    if (const std::string* line = (history_.*step)()) replay(*line);
    updateBackForward();
}

void MainWindow::replay(const std::string& line) {
    const auto entry = parseFindLine(line);
    if (!entry) {
        // A component search: its preference first, then the search itself.
        if (const auto children = characters::parseChildrenHistoryLine(line)) {
            charForm_ = children->preference;
            searchBar_->setCharForm(charForm_);
            runComponentSearch(children->chosen);
        }
        return;
    }
    matchPart_ = entry->matchPart;
    charForm_ = entry->charForm;
    searchBar_->setMatchPart(matchPart_);
    searchBar_->setCharForm(charForm_);
    showSearchText(
        QString::fromUtf8(entry->text.data(), static_cast<qsizetype>(entry->text.size())));
    runSearch(false);
}

void MainWindow::setPadShown(bool shown) {
    padShown_ = shown;
    layOut();
}

void MainWindow::layOut() {
    if (strokeBox_) strokeBox_->stop();
    const MainLayout layout = layoutFor(width(), height(), frameGeometry().height(), padShown_);
    place(searchBar_, layout.topBar);
    searchBar_->layOut(layout);
    padColumn_->layOut(layout);
    place(panel_, layout.leftPanel);
    padToggle_->move(layout.toggle.x, layout.toggle.y);
    place(resultView_, layout.resultList);
    panel_->layOut(layout.leftPanel.y + layout.leftPanel.height);
    if (strokeBox_) strokeBox_->setTop(panel_->strokeBoxTop());
    resultView_->setColumnWidths(layout.columns);
    padColumn_->setVisible(padShown_);
    // The top bar is behind everything on it.
    searchBar_->lower();
    padColumn_->lower();
    panel_->lower();
    update();
}

void MainWindow::changeEvent(QEvent* event) {
    QWidget::changeEvent(event);
    // The window gaining the focus gives it to the search box.
    if (event->type() == QEvent::ActivationChange && isActiveWindow()) {
        searchBar_->box().setFocus();
        if (strokeBox_) strokeBox_->request();
    }
}

void MainWindow::resizeEvent(QResizeEvent* event) {
    QWidget::resizeEvent(event);
    layOut();
}

void MainWindow::setFontHeights(const FontHeights& heights) {
    fontHeights_ = heights;
    // The settings re-font the search box, the list and the panel's fields;
    // "Search:" and "Writing pad" keep the font they were made with.
    searchBar_->setLabelFontHeight(heights.label);
    resultView_->setFont(labelFont(heights.list));
    resultView_->setFontHeight(heights.list);
    panel_->setFontHeights(heights.panel, heights.character);
}

void MainWindow::setPreferTraditional(bool traditional) {
    preferTraditional_ = traditional;
}

void MainWindow::registerHotkey(int number) {
    hotkey_ = number;
    desktop_->registerHotkey(number);
}

void MainWindow::unregisterHotkey() {
    hotkey_ = 0;
    desktop_->unregisterHotkey();
}

Speech& MainWindow::speech() {
    return desktop_->speech();
}

std::optional<int64_t> MainWindow::sendToPopupMessenger(uint32_t message) {
    return platform::sendMessage(platform::kPopupMessenger, message);
}

void MainWindow::startPopupProgram(const std::string& arguments) {
    const auto program = dir_ / "data" / "tulvopopup";
    if (!std::filesystem::exists(program)) return;
    QProcess::startDetached(QString::fromStdString(program.string()),
                            QString::fromStdString(arguments).split(QLatin1Char(' ')));
}

uint32_t MainWindow::nativeWindowId() const {
    return static_cast<uint32_t>(winId());
}

// Silent: no preview, and the count of new words is not shown.
void MainWindow::importTrackedList(const std::string& bytes, int encoding) {
    tracked_.importList(bytes, encoding, favorites_);
}

void MainWindow::favoriteAdded(std::u16string_view word) {
    tracked_.favoriteAdded(word, settings_.updateBack(), settings_.trackedPath(),
                           settings_.trackedEncoding());
}

void MainWindow::openOptions() {
    const auto program = dir_ / "data" / "Tulvo_options";
    if (waitingForProgram_ || !std::filesystem::exists(program)) return;
    runProgramInert(program, {kProgramVersion}, [this] {
        // The options program may have imported favorites into the file.
        if (favorites_) favorites_->load();
        applySettings(/*firstRead=*/false);
    });
}

void MainWindow::runProgramInert(const std::filesystem::path& program,
                                 std::vector<std::string> arguments, std::function<void()> ended) {
    waitingForProgram_ = true;
    platform::startProgram(program, std::filesystem::current_path(), arguments, this,
                           [this, ended = std::move(ended)](int) {
                               waitingForProgram_ = false;
                               ended();
                               // What arrived meanwhile is served now.
                               if (pendingLookup_) lookupTimer_->start();
                               desktop_->programEnded();
                               emit programEnded();
                           });
}

// While a helper program runs the window takes no input, as if it waited for
// the program, yet it paints and answers other programs.
bool MainWindow::inertInput(QObject* watched, QEvent* event) const {
    if (!waitingForProgram_) return false;
    switch (event->type()) {
        case QEvent::KeyPress:
        case QEvent::KeyRelease:
        case QEvent::ShortcutOverride:
        case QEvent::MouseButtonPress:
        case QEvent::MouseButtonRelease:
        case QEvent::MouseButtonDblClick:
        case QEvent::Wheel:
        case QEvent::ContextMenu:
        case QEvent::Close:
            break;
        default:
            return false;
    }
    // The inputs of this program's own windows only.
    return watched->isWidgetType() || watched->isWindowType();
}

void MainWindow::closeEvent(QCloseEvent* event) {
    platform::postMessage(platform::kPopupMessenger, kMessageQuit);
    event->accept();
    QCoreApplication::exit(0);
}

bool MainWindow::eventFilter(QObject* watched, QEvent* event) {
    if (inertInput(watched, event)) {
        if (event->type() == QEvent::Close) event->ignore();
        return true;
    }
    if (event->type() != QEvent::KeyPress) return QWidget::eventFilter(watched, event);
    // A key reaches the window's platform window first, then the focus widget
    // and, when ignored there, its parents: act on the first delivery only.
    const auto* key = static_cast<QKeyEvent*>(event);
    if (watched != static_cast<QObject*>(windowHandle())) return false;
    switch (key->key()) {
        case Qt::Key_Tab:
        case Qt::Key_Backtab:
            searchBar_->box().setFocus();
            return true;
        case Qt::Key_F1:
            ui::openManual(dir_, this);
            return true;
        case Qt::Key_F2:
            panel_->handToCompanion(QApplication::focusWidget());
            return false;
        case Qt::Key_Return:
        case Qt::Key_Enter:
            searchFromBox();
            return false;
        default:
            return false;
    }
}

// The radical window, the stroke-order box and their links to the window.
void MainWindow::buildCharacterSearchWindows(const dictionary::WordValueLookup& values) {
    radicalWindow_ = new characters::RadicalWindow(
        dir_,
        [&values](char16_t character) {
            return values.wordValue(utf16ToUtf8(std::u16string(1, character)), 1, "");
        },
        [this] { return charForm_; }, this);
    radicalWindow_->openOnRightClick(&searchBar_->label());
    radicalWindow_->openOnRightClick(searchBar_->box().lineEdit());
    connect(radicalWindow_, &characters::RadicalWindow::characterChosen, this, [this](char16_t c) {
        searchCharacter(c);
        activateWindow();
        resultView_->setFocus();
    });
    connect(radicalWindow_, &characters::RadicalWindow::closed, this, [this] {
        activateWindow();
        resultView_->setFocus();
    });

    strokeBox_ = new characters::StrokeOrderBox(dir_ / characters::kStrokeOrderPath, this);
    strokeBox_->setPressesIgnored([this] { return radicalWindow_->isOpen(); });
    connect(strokeBox_, &characters::StrokeOrderBox::lookupRequested, this,
            &MainWindow::searchCharacter);
    // The panel's current character is the one the box writes, beside it.
    connect(panel_, &characters::CharacterPanelView::animationRequested, this, [this](char16_t c) {
        strokeBox_->setTop(panel_->strokeBoxTop());
        strokeBox_->animate(c);
    });
    connect(strokeBox_, &characters::StrokeOrderBox::menuRequested, panel_,
            &characters::CharacterPanelView::openStrokeBoxMenu);
    // A press in the box speaks its character when a voice exists.
    connect(strokeBox_, &characters::StrokeOrderBox::speakRequested, this,
            [this](char16_t c) { speech().speak(std::u16string(1, c)); });
    connect(panel_, &characters::CharacterPanelView::findCharactersRequested, this,
            &MainWindow::findCharactersBasedOn);
    connect(panel_, &characters::CharacterPanelView::editStrokesRequested, this,
            &MainWindow::editStrokes);
    // Another program taking over stops the drawing.
    connect(qApp, &QGuiApplication::applicationStateChanged, this,
            [this](Qt::ApplicationState state) {
                if (state != Qt::ApplicationActive) strokeBox_->stop();
            });
}

void MainWindow::findCharactersBasedOn(char16_t character) {
    history_.push(characters::childrenHistoryLine(charForm_, character));
    updateBackForward();
    runComponentSearch(character);
}

void MainWindow::runComponentSearch(char16_t character) {
    host_.componentSearch(character, charForm_);
}

void MainWindow::editStrokes(char16_t character) {
    if (waitingForProgram_) return;
    strokeBox_->editStrokes(
        character, dir_ / characters::strokeEditorProgram(),
        [this](const std::filesystem::path& program, std::vector<std::string> arguments,
               std::function<void()> ended) {
            runProgramInert(program, std::move(arguments), std::move(ended));
        });
}

}  // namespace tulvo::shell
