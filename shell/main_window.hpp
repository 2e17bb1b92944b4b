// The main window: search box, selectors, Back/forward, result list, the
// character panel's fields and the writing pad's column, laid out at the
// pixel positions of the design, and the shell state behind them.
#pragma once

#include <QComboBox>
#include <QElapsedTimer>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTextEdit>
#include <QWidget>
#include <array>
#include <filesystem>
#include <functional>
#include <memory>

#include "dictionary/dropdown_history.hpp"
#include "dictionary/list_search_host.hpp"
#include "dictionary/result_list.hpp"
#include "dictionary/result_list_view.hpp"
#include "dictionary/search.hpp"
#include "shell/main_layout.hpp"
#include "shell/search_history.hpp"
#include "shell/search_queue.hpp"
#include "shell/settings.hpp"
#include "shell/tracked_list.hpp"
#include "shell/window_search_host.hpp"
#include "ui/fonts.hpp"
#include "ui/picture_buttons.hpp"

namespace tulvo::favorites {
class FavoritesStore;
}
namespace tulvo::characters {
class CharacterPanelView;
class RadicalWindow;
class StrokeOrderBox;
}  // namespace tulvo::characters

namespace tulvo::shell {

class DesktopIntegration;
class PadColumn;
class SearchBar;
class Speech;

class MainWindow : public QWidget, public SettingsTarget {
    Q_OBJECT
  public:
    MainWindow(std::filesystem::path programDirectory, const dictionary::WordValueLookup& values);
    ~MainWindow() override;

    // Start-up steps that follow the window's creation: settings, reminder.
    void start();

    // Searches, replays and captures run one at a time: `task` runs now, or
    // after the search that runs (see SearchQueue).
    void runWhenFree(std::function<void()> task) { searches_.run(std::move(task)); }
    // Enter: push the search box text on the history, then search it.
    void searchFromBox(bool fromHistoryPick = false);
    // The same, for a task that already runs through runWhenFree.
    void searchFromBoxNow(bool fromHistoryPick = false);
    // One character, as a click on a character does: pushed, then searched.
    void searchCharacter(char16_t character);
    void goBack();
    void goForward();
    // "Find characters based on this character": pushes a "children" line on
    // the history, then lists the characters built on `character`.
    void findCharactersBasedOn(char16_t character);
    // "Edit strokes animation" for `character`: runs data/tramboli and shows
    // the edited strokes.
    void editStrokes(char16_t character);
    // What a search shows outside the list: its text in the box, and a
    // character without a row of its own in the panel.
    void showSearchText(const QString& text);
    void showBareCharacter(char16_t character);
    void setPadShown(bool shown) override;
    void layOut();

    // For tests and the other windows.
    SearchBar& searchBar() { return *searchBar_; }
    dictionary::ResultListView& resultView() { return *resultView_; }
    const dictionary::ResultList& results() const { return results_; }
    const SearchHistory& history() const { return history_; }
    const dictionary::DropDownHistory& dropDown() const { return dropDown_; }
    dictionary::SearchSettings searchSettings() const;
    bool padShown() const { return padShown_; }
    const FontHeights& fontHeights() const { return fontHeights_; }
    int registeredHotkey() const { return hotkey_; }
    PadColumn& padColumn() { return *padColumn_; }
    characters::CharacterPanelView& characterPanel() { return *panel_; }

    characters::RadicalWindow& radicalWindow() { return *radicalWindow_; }
    characters::StrokeOrderBox& strokeOrderBox() { return *strokeBox_; }
    // Hotkey, clipboard capture, hidden locator and the speech voice.
    DesktopIntegration& desktop() { return *desktop_; }
    Speech& speech();

    // SettingsTarget
    void setFontHeights(const FontHeights& heights) override;
    void setPreferTraditional(bool traditional) override;
    void registerHotkey(int number) override;
    void unregisterHotkey() override;
    void processPendingMessages() override;
    std::optional<int64_t> sendToPopupMessenger(uint32_t message) override;
    void startPopupProgram(const std::string& arguments) override;
    uint32_t nativeWindowId() const override;
    void importTrackedList(const std::string& bytes, int encoding) override;

    void applySettings(bool firstRead) { settings_.apply(firstRead); }
    void openOptions();

    // The favorites store that the tracked list is imported into and that
    // the panel's indicator adds to and removes from; set before start().
    void setFavoritesStore(favorites::FavoritesStore* store);
    // After a word became a favorite: appended to the tracked list when
    // update-back is on.
    void favoriteAdded(std::u16string_view word);

  protected:
    void resizeEvent(QResizeEvent* event) override;
    void changeEvent(QEvent* event) override;
    void closeEvent(QCloseEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

  private:
    void buildControls();
    void runSearch(bool fromHistoryPick);
    void searchCharacterNow(char16_t character);
    void findCharactersBasedOnNow(char16_t character);
    // Replays the entry Back or Forward moves to (`step` is back or forward).
    void replayStep(const std::string* (SearchHistory::*step)());
    void replay(const std::string& line);
    void updateDropDown();
    void updateBackForward();
    void buildPadAndPanel(const dictionary::WordValueLookup& values);
    void showRow(int position);
    void buildCharacterSearchWindows(const dictionary::WordValueLookup& values);
    void runComponentSearch(char16_t character);

    std::filesystem::path dir_;
    dictionary::MarkedVowels markedVowels_;
    dictionary::ResultList results_;
    dictionary::DropDownHistory dropDown_;
    WindowSearchHost host_;
    dictionary::Search search_;
    SearchQueue searches_;
    SearchHistory history_;
    SettingsReader settings_;
    TrackedList tracked_;
    favorites::FavoritesStore* favorites_ = nullptr;

    dictionary::MatchPart matchPart_ = dictionary::kBeginning;
    dictionary::CharForm charForm_ = dictionary::kBothForms;
    bool preferTraditional_ = false;
    bool padShown_ = true;
    int hotkey_ = 0;
    FontHeights fontHeights_;

    SearchBar* searchBar_ = nullptr;
    PadColumn* padColumn_ = nullptr;
    ui::ClickablePicture* padToggle_ = nullptr;
    dictionary::ResultListView* resultView_ = nullptr;
    characters::CharacterPanelView* panel_ = nullptr;
    int shownRow_ = -1;  // list position the panel shows, -1 for a bare character
    characters::RadicalWindow* radicalWindow_ = nullptr;
    characters::StrokeOrderBox* strokeBox_ = nullptr;
    std::unique_ptr<DesktopIntegration> desktop_;
};

using ui::characterFont;
using ui::installFontSubstitutions;
using ui::labelFont;
using ui::panelFont;

}  // namespace tulvo::shell
