// The radical window under the offscreen platform: clicks on the grids'
// cells, marks, the tabs, a pick and closing.
#include "characters/radical_window.hpp"

#include <gtest/gtest.h>
#include <QFontMetrics>
#include <QLabel>
#include <QScrollBar>
#include <QSignalSpy>
#include <QTest>

#include "characters/char_types.hpp"
#include "characters/components.hpp"
#include "tests/support/character_files.hpp"
#include "tests/support/layout_checks.hpp"
#include "tests/support/temp_dir.hpp"

using namespace tulvo::characters;
using tulvo::testing::TempDir;

namespace {

QVariant cellData(const QTableView& grid, int row, int column, int role) {
    return grid.model()->index(row, column).data(role);
}

QString text(const QTableView& grid, int row, int column) {
    return cellData(grid, row, column, Qt::DisplayRole).toString();
}

// The colours a cell is drawn with; black, the view's default text, when
// the model gives none.
QColor foreground(const QTableView& grid, int row, int column) {
    const QVariant brush = cellData(grid, row, column, Qt::ForegroundRole);
    return brush.isValid() ? brush.value<QBrush>().color() : QColor(Qt::black);
}

Qt::BrushStyle background(const QTableView& grid, int row, int column) {
    return cellData(grid, row, column, Qt::BackgroundRole).value<QBrush>().style();
}

class RadicalWindowTest : public ::testing::Test {
  protected:
    RadicalWindowTest() {
        // clang-format off
        dir.write("data/chartypes.txt", tulvo::testing::charTypesFile({
            {u'好', 6, kFormBoth}, {u'妈', 6, kFormSimplifiedOnly}, {u'字', 6, kFormBoth},
            {u'媽', 13, kFormTraditionalOnly}}));
        dir.write("data/components.dat", tulvo::testing::componentsFile({
            {u'媽', u'女', 10}, {u'好', u'女', 3}, {u'妈', u'女', 3}, {u'她', u'女', 3},
            {u'字', u'子', 3}, {u'龢', u'龠', 5}}));
        // clang-format on

        // Line 1: 80 cells (ten rows); one cell on each further line, but
        // 女 子 on line 3; 龠 on line 17, the last row.
        std::vector<std::vector<std::u16string>> lines(17);
        for (int i = 0; i < 80; ++i) lines[0].push_back(std::u16string(1, char16_t(0x2F00 + i)));
        for (int i = 1; i < 16; ++i) lines[size_t(i)] = {std::u16string(1, char16_t(0x2F50 + i))};
        lines[2] = {u"女", u"子"};
        lines[13] = {u"网罒罓⺳"};
        lines[16] = {u"龠"};
        dir.write("data/radicals.txt", radicalsFileBytes(lines));
        // Cells 0..79 line 1, 80 line 2, 81 女, 82 子, ..., 96 龠.
        std::vector<std::vector<char16_t>> lists(97);
        lists[81] = {u'好', u'妈', u'媽', u'她'};
        lists[82] = {u'好', u'字'};
        dir.write("data/multiradix.dat", multiradixBytes(lists));

        window = std::make_unique<RadicalWindow>(
            dir.path(),
            [](char16_t c) {
                return c == u'好' ? 0x10 : c == u'她' ? -101 : c == u'妈' ? 1 : -1;
            },
            [this] { return preference; });
    }

    // Clicks a grid's cell, as a user does, by default in its middle.
    static void click(QTableView& grid, int row, int column,
                      Qt::MouseButton button = Qt::LeftButton, QPoint offset = {}) {
        const QRect cell = grid.visualRect(grid.model()->index(row, column));
        const QPoint at = cell.center() + offset;
        ASSERT_TRUE(grid.viewport()->rect().contains(at)) << row << "," << column;
        QTest::mouseClick(grid.viewport(), button, {}, at);
    }

    // Row and column of a radical in the radical grid.
    QPoint cellOf(const QString& radical) {
        auto& grid = window->radicalGrid();
        for (int row = 0; row < grid.model()->rowCount(); ++row)
            for (int column = 1; column < grid.model()->columnCount(); ++column)
                if (text(grid, row, column) == radical) return {column, row};
        ADD_FAILURE() << radical.toStdString();
        return {};
    }

    void clickRadical(const QString& radical, Qt::MouseButton button = Qt::LeftButton) {
        const QPoint at = cellOf(radical);
        window->radicalGrid().scrollTo(window->radicalGrid().model()->index(at.y(), at.x()));
        click(window->radicalGrid(), at.y(), at.x(), button);
    }

    TempDir dir;
    tulvo::dictionary::CharForm preference = tulvo::dictionary::kBothForms;
    std::unique_ptr<RadicalWindow> window;
};

}  // namespace

TEST_F(RadicalWindowTest, BuiltHiddenWithItsGridsWholeInTheWindow) {
    EXPECT_FALSE(window->isVisible());
    EXPECT_EQ(window->windowTitle(), "Select a character from its radical and stroke number...");
    EXPECT_EQ(window->size(), QSize(725, 540));
    EXPECT_TRUE(window->windowFlags() & Qt::WindowStaysOnTopHint);
    EXPECT_EQ(window->tabs().tabText(0), "Radical selection");
    EXPECT_EQ(window->tabs().tabText(1), "Results");
    // Ten rows for line 1 (labelled on the first only), one each for lines
    // 2 to 17.
    auto& radicals = window->radicalGrid();
    EXPECT_EQ(radicals.model()->rowCount(), 10 + 16);
    const struct {
        int row, column;
        const char* text;
    } cells[] = {{0, 0, "1"},   {1, 0, ""},    {11, 0, "3"}, {11, 1, "女"},
                 {11, 2, "子"}, {25, 0, "17"}, {25, 1, "龠"}};
    for (const auto& [row, column, expected] : cells)
        EXPECT_EQ(text(radicals, row, column), expected) << row << "," << column;

    // Each tab's grid lies whole in the window and needs no sideways
    // scrolling: every column is seen at once.
    window->openWindow();
    clickRadical("女");
    for (int tab : {0, 1}) {
        window->tabs().setCurrentIndex(tab);
        QTableView& grid = tab == 0 ? radicals : window->resultsGrid();
        ASSERT_TRUE(grid.isVisible());
        EXPECT_EQ(tulvo::testing::layoutFaults(*window), std::vector<std::string>{}) << tab;
        EXPECT_EQ(grid.horizontalScrollBar()->maximum(), 0) << tab;
        EXPECT_EQ(grid.rowHeight(0), RadicalWindow::kRowHeight);
    }
}

TEST_F(RadicalWindowTest, EveryFormOfACellFitsItsColumn) {
    auto& radicals = window->radicalGrid();
    auto widthOf = [&](const QString& radical) {
        const QPoint at = cellOf(radical);
        const QModelIndex cell = radicals.model()->index(at.y(), at.x());
        return QFontMetrics(cell.data(Qt::FontRole).value<QFont>()).horizontalAdvance(radical);
    };
    const int room = radicals.columnWidth(1);
    EXPECT_LE(widthOf("网罒罓⺳"), room - 4);
    EXPECT_GT(widthOf("网罒罓⺳"), room / 2);  // narrowed only as far as needed
    // A cell of one form keeps the grid's font.
    const QPoint woman = cellOf("女");
    EXPECT_EQ(radicals.model()->index(woman.y(), woman.x()).data(Qt::FontRole).value<QFont>(),
              radicals.font());
}

TEST_F(RadicalWindowTest, LeftClickListsTheCharactersOfARadical) {
    window->openWindow();
    EXPECT_TRUE(window->isVisible());
    EXPECT_TRUE(window->isOpen());
    EXPECT_TRUE(window->radicalGrid().isVisible());
    EXPECT_FALSE(window->resultsGrid().isVisible());

    clickRadical("女");
    EXPECT_EQ(window->tabs().currentIndex(), 1);
    EXPECT_FALSE(window->radicalGrid().isVisible());
    const auto& results = window->resultsGrid();
    ASSERT_TRUE(results.isVisible());
    ASSERT_EQ(results.model()->rowCount(), 2);
    EXPECT_EQ(text(results, 0, 0), "+3");
    EXPECT_EQ(text(results, 0, 1), "她");
    EXPECT_EQ(text(results, 0, 2), "好");
    EXPECT_EQ(text(results, 0, 3), "妈");
    EXPECT_EQ(text(results, 1, 0), "+10");
    EXPECT_EQ(text(results, 1, 1), "媽");
    // Coloured by frequency and favorite state.
    EXPECT_EQ(foreground(results, 0, 1), QColor(246, 138, 0));
    EXPECT_EQ(foreground(results, 0, 2), QColor(32, 48, 255));
    EXPECT_EQ(foreground(results, 0, 3), QColor(0, 0, 128));
    EXPECT_EQ(foreground(results, 1, 1), QColor(Qt::black));

    // Simplified characters only: 媽 goes.
    preference = tulvo::dictionary::kSimplifiedOnly;
    window->tabs().setCurrentIndex(0);
    clickRadical("女");
    EXPECT_EQ(window->resultsGrid().model()->rowCount(), 1);

    // Near the top and bottom edges of its cell, a click still finds it.
    for (int dy : {-9, 11}) {
        window->tabs().setCurrentIndex(0);
        const QPoint child = cellOf("子");
        click(window->radicalGrid(), child.y(), child.x(), Qt::LeftButton, QPoint(0, dy));
        EXPECT_EQ(text(window->resultsGrid(), 0, 1), "字") << dy;
    }

    // A radical on the grid's last row, reached by scrolling.
    clickRadical("龠");
    EXPECT_GT(window->radicalGrid().verticalScrollBar()->value(), 0);
    EXPECT_EQ(text(window->resultsGrid(), 0, 0), "+5");
    EXPECT_EQ(text(window->resultsGrid(), 0, 1), "龢");
}

TEST_F(RadicalWindowTest, PickingACharacterHidesTheWindow) {
    QSignalSpy chosen(window.get(), &RadicalWindow::characterChosen);
    window->openWindow();
    clickRadical("女");
    auto& results = window->resultsGrid();
    // Labels and empty cells choose nothing.
    click(results, 0, 0);
    click(results, 0, 7);
    click(results, 1, 2);
    EXPECT_EQ(chosen.count(), 0);
    EXPECT_TRUE(window->isVisible());
    click(results, 0, 2);
    ASSERT_EQ(chosen.count(), 1);
    EXPECT_EQ(chosen.at(0).at(0).value<char16_t>(), u'好');
    EXPECT_FALSE(window->isVisible());
    EXPECT_FALSE(window->isOpen());
    // The results stay for the next opening.
    window->openWindow();
    EXPECT_EQ(text(window->resultsGrid(), 0, 2), "好");
}

TEST_F(RadicalWindowTest, MarkedRadicalsAreSearchedOnTheResultsTab) {
    window->openWindow();
    clickRadical("女", Qt::RightButton);
    clickRadical("子", Qt::RightButton);
    EXPECT_EQ(window->tabs().currentIndex(), 0);  // marking searches nothing
    const QPoint woman = cellOf("女");
    auto& radicals = window->radicalGrid();
    EXPECT_EQ(foreground(radicals, woman.y(), woman.x()), QColor(Qt::white));
    EXPECT_EQ(cellData(radicals, woman.y(), woman.x(), Qt::BackgroundRole).value<QBrush>().color(),
              QColor(0, 0, 96));

    window->tabs().setCurrentIndex(1);
    ASSERT_TRUE(window->resultsGrid().isVisible());
    ASSERT_EQ(window->resultsGrid().model()->rowCount(), 1);
    EXPECT_EQ(text(window->resultsGrid(), 0, 0), "6");
    EXPECT_EQ(text(window->resultsGrid(), 0, 1), "好");
    EXPECT_EQ(text(window->resultsGrid(), 0, 2), "");

    // Back on the radicals the marks are kept; unmarking both leaves the
    // results as they were.
    window->tabs().setCurrentIndex(0);
    EXPECT_TRUE(window->radicalGrid().isVisible());
    EXPECT_EQ(window->search().selection().size(), 2u);
    clickRadical("女", Qt::RightButton);
    clickRadical("子", Qt::RightButton);
    EXPECT_EQ(background(radicals, woman.y(), woman.x()), Qt::NoBrush);
    window->tabs().setCurrentIndex(1);
    EXPECT_EQ(text(window->resultsGrid(), 0, 1), "好");

    // Opening again clears every mark.
    window->tabs().setCurrentIndex(0);
    clickRadical("子", Qt::RightButton);
    window->openWindow();
    EXPECT_TRUE(window->search().selection().empty());
    const QPoint child = cellOf("子");
    EXPECT_EQ(background(radicals, child.y(), child.x()), Qt::NoBrush);
    EXPECT_EQ(window->tabs().currentIndex(), 0);
}

TEST_F(RadicalWindowTest, OpenedByARightClickAndClosedByItsButton) {
    QWidget main;
    auto* label = new QLabel("Search:", &main);
    window->openOnRightClick(label);
    main.show();
    QTest::mouseClick(label, Qt::LeftButton);
    EXPECT_FALSE(window->isVisible());
    QTest::mouseClick(label, Qt::RightButton);
    EXPECT_TRUE(window->isVisible());
    EXPECT_TRUE(window->isOpen());

    QSignalSpy closed(window.get(), &RadicalWindow::closed);
    window->close();
    EXPECT_EQ(closed.count(), 1);
    EXPECT_FALSE(window->isVisible());
    EXPECT_FALSE(window->isOpen());
}
