// The main window with the radical window, the component search and the
// stroke-order box, under the offscreen platform.
#include <gtest/gtest.h>
#include <QApplication>
#include <QMenu>
#include <QMessageBox>
#include <QSignalSpy>
#include <QTest>
#include <QTimer>
#include <QWindow>

#include <algorithm>
#include <map>

#include "characters/char_types.hpp"
#include "characters/character_panel_view.hpp"
#include "characters/components.hpp"
#include "characters/radical_window.hpp"
#include "characters/radicals.hpp"
#include "characters/stroke_order_box.hpp"
#include "platform/unicode_text.hpp"
#include "shell/main_window.hpp"
#include "shell/search_bar.hpp"
#include "tests/support/character_files.hpp"
#include "tests/support/main_window_fixture.hpp"
#include "tests/support/temp_dir.hpp"
#include "tests/support/word_values.hpp"

using namespace tulvo;
using namespace tulvo::shell;
using tulvo::testing::TempDir;

namespace {

class CharacterSearchWindowTest : public ::testing::Test {
  protected:
    CharacterSearchWindowTest() {
        dir_.writeLines(
            "data/CEDICT_ts.u8",
            {"女 女 [nu:3] /woman/", "你好 你好 [ni3 hao3] /hello/", "好 好 [hao3] /good/",
             "媽 妈 [ma1] /mother/", "好 好 [hao4] /to be fond of/", "馬 马 [ma3] /horse/"});
        // 如 is not in the dictionary.
        dir_.write("data/components.dat",
                   tulvo::testing::componentsFile({{u'好', u'女', 3, u"子"},
                                                   {u'妈', u'女', 3, u"马"},
                                                   {u'媽', u'女', 10, u"馬"},
                                                   {u'如', u'女', 3, u"口"}}));
        dir_.write("data/chartypes.txt",
                   tulvo::testing::charTypesFile({{u'妈', 6, characters::kFormSimplifiedOnly},
                                                  {u'媽', 13, characters::kFormTraditionalOnly}}));
        dir_.write("data/radicals.txt", characters::radicalsFileBytes({{}, {}, {u"女", u"子"}}));
    }

    std::unique_ptr<MainWindow> open() {
        return tulvo::testing::openMainWindow(dir_.path(), values_);
    }
    static std::vector<std::string> shown(const MainWindow& w) {
        return tulvo::testing::shownRows(w);
    }

    // The rows after the first, in any order.
    static std::vector<std::string> restSorted(const MainWindow& window) {
        auto rows = shown(window);
        if (!rows.empty()) rows.erase(rows.begin());
        std::sort(rows.begin(), rows.end());
        return rows;
    }

    // Whether the row showing `character` came from a dictionary line.
    static bool hasEntry(const MainWindow& window, const std::string& character) {
        tulvo::testing::waitForSearches(window);
        for (size_t i = 0; i < window.results().size(); ++i)
            if (utf16ToUtf8(window.results().at(i).character) == character)
                return window.results().at(i).formIndex > 0;
        ADD_FAILURE() << character;
        return false;
    }

    static void clickCell(QTableView& grid, int row, int column) {
        QTest::mouseClick(grid.viewport(), Qt::LeftButton, {},
                          grid.visualRect(grid.model()->index(row, column)).center());
    }

    TempDir dir_;
    tulvo::testing::FixedWordValues values_{{{"好", 0x10}, {"女", 0x11}}};
};

}  // namespace

TEST_F(CharacterSearchWindowTest, RadicalWindowPickIsLookedUpAndAnimated) {
    auto window = open();
    auto& radicals = window->radicalWindow();
    EXPECT_FALSE(radicals.isVisible());
    // A right click on "Search:" opens it, as one in the search box does.
    QTest::mouseClick(&window->searchBar().label(), Qt::RightButton);
    ASSERT_TRUE(radicals.isVisible());
    radicals.close();
    QTest::mouseClick(window->searchBar().box().lineEdit(), Qt::RightButton);
    ASSERT_TRUE(radicals.isVisible());

    clickCell(radicals.radicalGrid(), 0, 1);  // 女
    QSignalSpy animated(&window->strokeOrderBox(), &characters::StrokeOrderBox::started);
    const QAbstractItemModel& found = *radicals.resultsGrid().model();
    ASSERT_GE(found.rowCount(), 1);
    EXPECT_EQ(found.index(0, 0).data().toString(), "+3");
    EXPECT_EQ(found.index(0, 1).data(characters::CharacterRole).value<QChar>(), QChar(u'好'));
    clickCell(radicals.resultsGrid(), 0, 1);

    EXPECT_FALSE(radicals.isVisible());
    EXPECT_EQ(shown(*window), (std::vector<std::string>{"好", "好"}));
    EXPECT_EQ(window->searchBar().box().currentText(), "好");
    EXPECT_EQ(window->history().entries().back(), "find 0 1 好");
    // The selected row's character is the one the box animates. Without
    // stroke data the animation ends at its first step, which may come
    // before this line or after it.
    EXPECT_EQ(window->strokeOrderBox().character(), u'好');
    EXPECT_TRUE(animated.count() > 0 || animated.wait(2000));
}

TEST_F(CharacterSearchWindowTest, ComponentSearchIsRecordedAndReplayed) {
    auto window = open();
    window->searchCharacter(u'马');
    window->findCharactersBasedOn(u'女');
    // 女's own entry first, then the entries of the characters built on it
    // (媽/妈 once for each form), and 如 without an entry.
    ASSERT_FALSE(shown(*window).empty());
    EXPECT_EQ(shown(*window)[0], "女");
    EXPECT_EQ(restSorted(*window), (std::vector<std::string>{"好", "好", "如", "妈", "媽"}));
    EXPECT_EQ(window->results().at(0).sortKey, "");
    EXPECT_EQ(window->resultView().currentIndex().row(), 0);
    EXPECT_TRUE(hasEntry(*window, "妈"));
    EXPECT_FALSE(hasEntry(*window, "如"));
    EXPECT_EQ(window->history().entries().back(), "children 1 5973");

    // Traditional headwords only: 妈 is then listed bare.
    QTest::mouseClick(&window->searchBar().charFormSelector(), Qt::LeftButton, {}, QPoint(100, 14));
    window->findCharactersBasedOn(u'女');
    EXPECT_EQ(restSorted(*window), (std::vector<std::string>{"好", "好", "如", "妈", "媽"}));
    EXPECT_FALSE(hasEntry(*window, "妈"));
    EXPECT_EQ(window->history().entries().back(), "children 2 5973");

    // Back replays the first component search with its preference, and
    // shows it on the selector; Forward brings the traditional list back.
    QTest::mouseClick(&window->searchBar().backForward(), Qt::LeftButton, {}, QPoint(5, 14));
    EXPECT_EQ(window->searchBar().charFormSelector().value(), 1);
    EXPECT_TRUE(hasEntry(*window, "妈"));
    QTest::mouseClick(&window->searchBar().backForward(), Qt::LeftButton, {}, QPoint(5, 14));
    EXPECT_EQ(shown(*window), (std::vector<std::string>{"马"}));
    QTest::mouseClick(&window->searchBar().backForward(), Qt::LeftButton, {}, QPoint(25, 14));
    QTest::mouseClick(&window->searchBar().backForward(), Qt::LeftButton, {}, QPoint(25, 14));
    EXPECT_EQ(window->searchBar().charFormSelector().value(), 2);
    EXPECT_EQ(window->searchSettings().charForm, 2);
    EXPECT_EQ(shown(*window)[0], "女");
    EXPECT_FALSE(hasEntry(*window, "妈"));
    EXPECT_EQ(window->history().entries().size(), 3u);
}

TEST_F(CharacterSearchWindowTest, FromTheStrokeBoxMenuThenBackAndForward) {
    auto window = open();
    window->searchCharacter(u'女');
    tulvo::testing::waitForSearches(*window);
    EXPECT_EQ(window->strokeOrderBox().character(), u'女');
    // A right click in the box opens the character menu for its character.
    auto& box = window->strokeOrderBox();
    QTest::mouseClick(&box, Qt::RightButton, {}, QPoint(50, 50));
    QMenu& menu = window->characterPanel().characterMenu();
    ASSERT_TRUE(menu.isVisible());
    EXPECT_EQ(window->characterPanel().chosenCharacter(), u'女');
    QAction* find = nullptr;
    for (QAction* action : menu.actions())
        if (action->text() == "Find characters based on this character") find = action;
    ASSERT_NE(find, nullptr);
    menu.hide();
    find->trigger();
    const auto built = shown(*window);
    EXPECT_EQ(built.size(), 6u);
    EXPECT_EQ(window->history().entries().back(), "children 1 5973");

    QTest::mouseClick(&window->searchBar().backForward(), Qt::LeftButton, {}, QPoint(5, 14));
    EXPECT_EQ(shown(*window), (std::vector<std::string>{"女"}));
    QTest::mouseClick(&window->searchBar().backForward(), Qt::LeftButton, {}, QPoint(25, 14));
    EXPECT_EQ(shown(*window), built);
}

TEST_F(CharacterSearchWindowTest, NothingBuiltOnTheCharacterIsSaid) {
    auto window = open();
    window->searchCharacter(u'好');
    tulvo::testing::waitForSearches(*window);
    QString message, title;
    QTimer closer;
    QObject::connect(&closer, &QTimer::timeout, [&] {
        if (auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget())) {
            message = box->text();
            title = box->windowTitle();
            box->accept();
        }
    });
    closer.start(10);
    window->findCharactersBasedOn(u'好');
    tulvo::testing::waitForSearches(*window);
    QTest::qWait(50);
    closer.stop();
    EXPECT_EQ(message, "Sorry, I could find no character based on this one.");
    EXPECT_EQ(title, "Tulvo");
    // The list keeps what it showed; the history has the entry.
    EXPECT_EQ(shown(*window), (std::vector<std::string>{"好", "好"}));
    EXPECT_EQ(window->history().entries().back(), "children 1 597D");
}

TEST_F(CharacterSearchWindowTest, StrokeBoxStopsOnLayoutAndLooksUpOnDoubleClick) {
    auto window = open();
    auto& box = window->strokeOrderBox();
    box.animate(u'好');
    EXPECT_EQ(box.state(), characters::kAnimationRequested);
    window->resize(1000, 480);
    QApplication::processEvents();
    EXPECT_EQ(box.state(), characters::kAnimationIdle);

    QTest::mouseDClick(&box, Qt::LeftButton, {}, QPoint(50, 50));
    EXPECT_EQ(window->history().entries().back(), "find 0 1 好");
    EXPECT_EQ(shown(*window), (std::vector<std::string>{"好", "好"}));

    // Presses in the box do nothing while the radical window is open.
    window->radicalWindow().openWindow();
    box.stop();
    QTest::mouseClick(&box, Qt::LeftButton, {}, QPoint(50, 50));
    EXPECT_EQ(box.state(), characters::kAnimationIdle);
}
