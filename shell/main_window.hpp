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
#include <QTimer>
#include <QWidget>
#include <array>
#include <filesystem>
#include <functional>
#include <memory>
#include <optional>

#include "dictionary/dropdown_history.hpp"
#include "dictionary/list_search_host.hpp"
#include "dictionary/result_list.hpp"
#include "dictionary/result_list_view.hpp"
#include "dictionary/search.hpp"
#include "shell/main_layout.hpp"
#include "shell/search_history.hpp"
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

    // Enter: push the search box text on the history, then search it. Each
    // search cancels the one that runs (see WindowSearchHost).
    void searchFromBox(bool fromHistoryPick = false);
    // One character, as a click on a character does: pushed, then searched.
    void searchCharacter(char16_t character);
    // A lookup from another program (the locator's messages, `--lookup`):
    // the text goes into the box and is searched as Enter does, with the
    // window raised. A lookup that has not started yet when a newer one
    // arrives is replaced by it; lookups arriving while a helper program
    // runs wait for its end.
    void lookUp(const QString& text);
    // True while a search still hands rows over.
    bool searching() const { return host_.searching(); }
    // True while the options program (or another helper the window waits
    // for) runs: the window paints but takes no input.
    bool waitingForProgram() const { return waitingForProgram_; }
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
    const dictionary::DropDownHistory& dropDown() const { return host_.dropDown(); }
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

  signals:
    // The newest search has handed over all its rows.
    void searchSettled();
    // A helper program the window waited for has ended.
    void programEnded();

  protected:
    void resizeEvent(QResizeEvent* event) override;
    void changeEvent(QEvent* event) override;
    void closeEvent(QCloseEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

  private:
    void buildControls();
    void runSearch(bool fromHistoryPick);
    void serveLookup();
    // Runs `program` with the window inert until it ends, then `ended`.
    void runProgramInert(const std::filesystem::path& program, std::vector<std::string> arguments,
                         std::function<void()> ended);
    bool inertInput(QObject* watched, QEvent* event) const;
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
    WindowSearchHost host_;
    SearchHistory history_;
    SettingsReader settings_;
    TrackedList tracked_;
    favorites::FavoritesStore* favorites_ = nullptr;

    dictionary::MatchPart matchPart_ = dictionary::kBeginning;
    dictionary::CharForm charForm_ = dictionary::kBothForms;
    bool preferTraditional_ = false;
    bool padShown_ = true;
    int hotkey_ = 0;
    bool waitingForProgram_ = false;
    bool started_ = false;                  // lookups that arrive before start() wait for it
    bool dropDownStale_ = false;            // the drop-down waits for the box to lose the focus
    std::optional<QString> pendingLookup_;  // the newest lookup not yet searched
    QTimer* lookupTimer_ = nullptr;
    QMetaObject::Connection focusConnection_;
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
