// The radical window "Select a character from its radical and stroke
// number...": a topmost tool window with the tabs "Radical selection" and
// "Results", over a grid of radicals by stroke count and a grid of the
// characters found. RadicalSearch holds what the grids show, the models of
// radical_grid_models.hpp present it; this class forwards the clicks.
#pragma once

#include <QFrame>
#include <QTabBar>
#include <QTableView>
#include <QWidget>
#include <filesystem>
#include <functional>

#include "characters/radical_grid_models.hpp"
#include "characters/radical_search.hpp"

namespace tulvo::characters {

class RadicalWindow : public QWidget {
    Q_OBJECT
  public:
    // Reads data/radicals.txt of `programDirectory` into the radical grid
    // and stays hidden. `value` colours the characters found; `preference`
    // gives the character-form preference at the time of a search.
    RadicalWindow(const std::filesystem::path& programDirectory, CharacterValue value,
                  std::function<dictionary::CharForm()> preference, QWidget* parent = nullptr);

    // Empties the marks, shows the radical selection tab and the window,
    // and gives the radical grid the focus.
    void openWindow();
    bool isOpen() const { return search_.isOpen(); }

    // A right click on `widget` opens the window (and shows no context menu).
    void openOnRightClick(QWidget* widget);

    const RadicalSearch& search() const { return search_; }
    QTabBar& tabs() { return *tabs_; }
    QTableView& radicalGrid() { return *radicalGrid_; }
    QTableView& resultsGrid() { return *resultsGrid_; }

    // The rows are this high, so that a click is found in the cell under it.
    static constexpr int kRowHeight = 22;
    // The window's client size where the screen has room for it.
    static constexpr int kWidth = 725, kHeight = 540;

  signals:
    // A character was picked in the results grid; the window is hidden.
    void characterChosen(char16_t character);
    // The window was closed with its close button.
    void closed();

  protected:
    bool eventFilter(QObject* watched, QEvent* event) override;
    void closeEvent(QCloseEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;

  private:
    // No larger than the screen's available area, and inside it once shown.
    void fitScreen();
    void pressInRadicalGrid(QMouseEvent* event);
    void pressInResultsGrid(QMouseEvent* event);
    void tabChosen(int index);
    void showTab(int index);
    // The search has new results: the results grid shows them from the top.
    void showNewResults();
    static QTableView* makeGrid(QWidget* parent, QAbstractItemModel* model, int firstWidth,
                                int otherWidth);

    RadicalSearch search_;
    std::function<dictionary::CharForm()> preference_;
    QFrame* pane_ = nullptr;
    QTabBar* tabs_ = nullptr;
    RadicalCellsModel* radicalCells_ = nullptr;
    ResultsModel* results_ = nullptr;
    QTableView* radicalGrid_ = nullptr;
    QTableView* resultsGrid_ = nullptr;
    QList<QObject*> openers_;
};

}  // namespace tulvo::characters
