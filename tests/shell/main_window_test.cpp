// The main window under the offscreen platform: typing, Enter, the list's
// order and colours, Back/Forward, the selectors, layout and settings.
#include <gtest/gtest.h>
#include <QAbstractItemView>
#include <QApplication>
#include <QSignalSpy>
#include <QStyle>
#include <QTest>
#include <QWindow>

#include <algorithm>
#include <cmath>
#include <map>
#include <set>

#include "dictionary/word_value.hpp"
#include "platform/unicode_text.hpp"
#include "shell/main_window.hpp"
#include "shell/pad_column.hpp"
#include "shell/search_bar.hpp"
#include "tests/support/layout_checks.hpp"
#include "tests/support/main_window_fixture.hpp"
#include "tests/support/temp_dir.hpp"
#include "tests/support/word_values.hpp"
#include "ui/bitmaps.hpp"
#include "ui/fonts.hpp"
#include "ui/window_placement.hpp"

using namespace tulvo;
using namespace tulvo::shell;
using tulvo::testing::shownRows;
using tulvo::testing::TempDir;

namespace {

class MainWindowTest : public ::testing::Test {
  protected:
    MainWindowTest() {
        dir_.writeLines(
            "data/CEDICT_ts.u8",
            {"# fixture", "媽 妈 [ma1] /mother/", "麻 麻 [ma2] /hemp/", "馬 马 [ma3] /horse/",
             "罵 骂 [ma4] /to scold/", "嗎 吗 [ma5] /question particle/",
             "馬上 马上 [ma3 shang4] /at once/", "你好 你好 [ni3 hao3] /hello/"});
    }

    std::unique_ptr<MainWindow> open() {
        return tulvo::testing::openMainWindow(dir_.path(), values_);
    }

    // Types into the search box and presses Enter, as a user does.
    static void type(MainWindow& window, const QString& text) {
        window.searchBar().box().setFocus();
        window.searchBar().box().lineEdit()->clear();
        QWindow* platformWindow = window.windowHandle();
        for (QChar c : text) {
            if (c.unicode() < 0x80)
                QTest::keyClick(platformWindow, c.toLatin1());
            else
                window.searchBar().box().lineEdit()->insert(QString(c));  // as an input method does
        }
        QTest::keyClick(platformWindow, Qt::Key_Return);
        tulvo::testing::waitForSearches(window);
    }

    TempDir dir_;
    tulvo::testing::FixedWordValues values_{
        {{"马", 0x10}, {"妈", 0x21}, {"吗", 1 - tulvo::dictionary::kFavoriteMark}}};
};

}  // namespace

TEST_F(MainWindowTest, EnterSearchesAndFillsTheListInOrderWithColours) {
    auto window = open();
    type(*window, "ma");
    EXPECT_EQ(window->searchBar().box().currentText(), "ma");
    // Listed characters first, most frequent first (马 class 0 before 妈 class 1, whatever
    // their HSK levels), then the favorite ahead of the unlisted characters, then words.
    EXPECT_EQ(shownRows(*window), (std::vector<std::string>{"马", "妈", "吗", "麻", "骂", "马上"}));
    auto& model = window->resultView().resultModel();
    ASSERT_EQ(model.rowCount(), 6);
    EXPECT_EQ(model.data(model.index(0, 1), Qt::ForegroundRole).value<QColor>(),
              QColor(32, 53, 255));
    EXPECT_EQ(model.data(model.index(1, 1), Qt::ForegroundRole).value<QColor>(), QColor(0, 0, 160));
    EXPECT_EQ(model.data(model.index(2, 1), Qt::ForegroundRole).value<QColor>(),
              QColor(246, 138, 0));
    EXPECT_FALSE(model.data(model.index(3, 1), Qt::ForegroundRole).isValid());
    EXPECT_EQ(model.data(model.index(0, 2), Qt::DisplayRole).toString(), QString::fromUtf8("mǎ"));
    EXPECT_EQ(model.data(model.index(1, 4), Qt::DisplayRole).toString(), QString::fromUtf8("1媽"));
    // The first row is selected and the list has the focus.
    EXPECT_EQ(window->resultView().currentIndex().row(), 0);
    EXPECT_EQ(window->history().entries(), (std::vector<std::string>{"find 0 1 ma"}));
}

TEST_F(MainWindowTest, BackAndForwardReplayEarlierSearches) {
    auto window = open();
    type(*window, "ni3hao3");
    QTest::mouseClick(&window->searchBar().matchPartSelector(), Qt::LeftButton, {},
                      QPoint(170, 14));  // Exact
    type(*window, "ma3");
    EXPECT_EQ(shownRows(*window), (std::vector<std::string>{"马"}));
    EXPECT_EQ(window->history().entries().back(), "find 3 1 ma3");

    QTest::mouseClick(&window->searchBar().backForward(), Qt::LeftButton, {}, QPoint(5, 14));
    EXPECT_EQ(shownRows(*window), (std::vector<std::string>{"你好"}));
    EXPECT_EQ(window->searchBar().box().currentText(), "ni3hao3");
    EXPECT_EQ(window->searchBar().matchPartSelector().value(), 0);  // restored from the entry

    QTest::mouseClick(&window->searchBar().backForward(), Qt::LeftButton, {},
                      QPoint(5, 14));  // nothing older
    EXPECT_EQ(window->history().position(), 0);

    QTest::mouseClick(&window->searchBar().backForward(), Qt::LeftButton, {}, QPoint(25, 14));
    EXPECT_EQ(shownRows(*window), (std::vector<std::string>{"马"}));
    EXPECT_EQ(window->searchBar().matchPartSelector().value(), 3);
}

TEST_F(MainWindowTest, SelectorsChooseByClickPositionAndDrawEachWordInItsRange) {
    auto window = open();
    auto& forms = window->searchBar().charFormSelector();
    // Each word's click range: from just after its start to its end.
    const struct {
        ui::PictureSelector& selector;
        QImage picture;
        std::vector<std::pair<int, int>> ranges;
    } selectors[] = {
        {forms, ui::renderPicture(ui::charFormPicture()), {{0, 62}, {62, 92}, {92, 150}}},
        {window->searchBar().matchPartSelector(),
         ui::renderPicture(ui::matchPartPicture()),
         {{0, 66}, {66, 92}, {92, 149}, {149, 184}}}};
    for (const auto& [selector, picture, ranges] : selectors) {
        // The ink of every word stays inside its range, clear of the edge
        // columns (a word cut at its box has ink right at the edge).
        std::set<int> inked;
        for (int x = 0; x < picture.width(); ++x)
            for (int y = 0; y < picture.height(); ++y)
                if (picture.pixelColor(x, y) == ui::kDimGrey) inked.insert(x);
        for (int x : inked)
            EXPECT_TRUE(std::any_of(ranges.begin(), ranges.end(),
                                    [x](auto r) { return x >= r.first + 2 && x <= r.second - 2; }))
                << "ink at x " << x;
        for (int value = 0; value < int(ranges.size()); ++value) {
            const auto [from, to] = ranges[size_t(value)];
            EXPECT_NE(inked.lower_bound(from + 1), inked.lower_bound(to)) << from;
            // A click at either edge chooses the word; it alone turns blue.
            for (int x : {value == 0 ? 0 : from + 1, to}) {
                QTest::mouseClick(&selector, Qt::LeftButton, {}, QPoint(x, 14));
                EXPECT_EQ(selector.value(), value) << x;
                const QImage painted = selector.grab().toImage();
                int blueIn = 0, blueOut = 0;
                for (int px = 0; px < painted.width(); ++px)
                    for (int y = 0; y < painted.height(); ++y)
                        if (painted.pixelColor(px, y) == QColor(0, 0, 255))
                            ++(px >= from && px <= to ? blueIn : blueOut);
                EXPECT_GT(blueIn, 0) << x;
                EXPECT_EQ(blueOut, 0) << x;
            }
        }
    }
    // Traditional characters only, from the beginning.
    QTest::mouseClick(&window->searchBar().matchPartSelector(), Qt::LeftButton, {}, QPoint(0, 14));
    QTest::mouseClick(&forms, Qt::LeftButton, {}, QPoint(100, 14));
    type(*window, "马");
    EXPECT_TRUE(shownRows(*window).empty());
    type(*window, "馬");
    EXPECT_EQ(shownRows(*window), (std::vector<std::string>{"馬", "馬上"}));
}

TEST_F(MainWindowTest, AtEveryTextSizeTextsAreWholeAndHidingThePadWidensTheList) {
    for (const char* size : {"small", "medium", "large"}) {
        dir_.write("data/options.txt", std::string("fontsize=") + size + "\n");
        auto window = open();
        EXPECT_EQ(window->fontHeights(), fontHeightsFor(size));
        type(*window, "ma");
        window->resize(1034, 461);
        QApplication::processEvents();
        const int listWidth = window->resultView().width();
        for (bool pad : {false, true}) {
            window->setPadShown(pad);
            EXPECT_EQ(window->padColumn().isVisible(), pad);
            EXPECT_EQ(tulvo::testing::textFaults(*window), std::vector<std::string>{}) << size;
            const QTableView& list = window->resultView();
            EXPECT_EQ(list.width(), listWidth + (pad ? 0 : window->padColumn().width()));
            EXPECT_EQ(list.columnWidth(1) + list.columnWidth(2) + list.columnWidth(3),
                      list.width() - 21 - 3);
        }
        // "Search:" keeps the font it was made with.
        EXPECT_EQ(std::lround(ui::cellHeight(window->searchBar().label().font())), 19);
    }
}

TEST_F(MainWindowTest, SettingsFileTakesEffectAtStart) {
    dir_.write("data/options.txt",
               "FONTSIZE = "
               "Large\r\nshow_writing_pad=no\r\nprefer_simplified_or_traditional=traditional\r\n"
               "tulvo_hotkey=F7\r\n");
    auto window = open();
    EXPECT_FALSE(window->padShown());
    EXPECT_EQ(window->registeredHotkey(), 7);
    type(*window, "horse");
    EXPECT_EQ(shownRows(*window), (std::vector<std::string>{"馬"}));  // traditional preference
}

TEST_F(MainWindowTest, DropDownPickSearchesAndMovesToTop) {
    auto window = open();
    type(*window, "ma1");
    type(*window, "ni3hao3");
    ASSERT_EQ(window->searchBar().box().count(), 2);
    EXPECT_EQ(window->searchBar().box().itemText(0), "ni3hao3");
    // A real pick: the list opened, and a click on its second entry.
    QComboBox& box = window->searchBar().box();
    box.showPopup();
    QAbstractItemView* list = box.view();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(list->window()));
    QTest::qWait(QApplication::doubleClickInterval() + 50);  // the list ignores an early release
    const QPoint entry = list->visualRect(list->model()->index(1, 0)).center();
    QTest::mouseMove(list->viewport(), entry);
    QTest::mouseClick(list->viewport(), Qt::LeftButton, {}, entry);
    EXPECT_EQ(shownRows(*window), (std::vector<std::string>{"妈"}));
    EXPECT_EQ(window->searchBar().box().itemText(0), "ma1");
    EXPECT_EQ(window->dropDown().selected(), 0);
    EXPECT_EQ(window->history().entries().size(), 3u);
}

TEST_F(MainWindowTest, EnterOnAnEarlierQuerySearchesOnceAndPushesOnce) {
    auto window = open();
    type(*window, "ma");
    type(*window, "horse");
    type(*window, "ma");  // the text of a drop-down entry
    EXPECT_EQ(window->history().entries(),
              (std::vector<std::string>{"find 0 1 ma", "find 0 1 horse", "find 0 1 ma"}));
    QTest::mouseClick(&window->searchBar().backForward(), Qt::LeftButton, {}, QPoint(5, 14));
    EXPECT_EQ(window->searchBar().box().currentText(), "horse");
    EXPECT_EQ(shownRows(*window), (std::vector<std::string>{"马"}));

    // A selector changed, then Enter on the same text: one more entry.
    QTest::mouseClick(&window->searchBar().matchPartSelector(), Qt::LeftButton, {},
                      QPoint(170, 14));  // Exact
    type(*window, "horse");
    EXPECT_EQ(window->history().entries().size(), 3u);  // the newer "ma" was dropped
    EXPECT_EQ(window->history().entries().back(), "find 3 1 horse");

    // Editing the box to an earlier query and leaving it for the list runs
    // nothing and keeps Forward.
    QTest::mouseClick(&window->searchBar().backForward(), Qt::LeftButton, {}, QPoint(5, 14));
    window->searchBar().box().setFocus();
    window->searchBar().box().lineEdit()->setText(QStringLiteral("ma"));
    window->resultView().setFocus();
    QApplication::processEvents();
    EXPECT_EQ(window->history().entries().size(), 3u);
    EXPECT_EQ(window->history().position(), 1);
    EXPECT_TRUE(window->history().canGoForward());
}

TEST_F(MainWindowTest, TabAndShiftTabBothGoToTheSearchBox) {
    auto window = open();
    type(*window, "ma");
    for (auto key : {Qt::Key_Tab, Qt::Key_Backtab}) {
        window->resultView().setFocus();
        ASSERT_FALSE(window->searchBar().box().hasFocus());
        QTest::keyClick(window->windowHandle(), key,
                        key == Qt::Key_Backtab ? Qt::ShiftModifier : Qt::NoModifier);
        EXPECT_TRUE(window->searchBar().box().hasFocus() ||
                    window->searchBar().box().lineEdit()->hasFocus())
            << key;
    }
}

TEST_F(MainWindowTest, FontsHaveTheCellHeightsOfEveryTextSize) {
    // Ascent plus descent of the face this system substitutes comes within
    // half a pixel step of the height (sizes are whole pixels).
    const auto near = [](const QFont& font, int height) {
        QFont step = font;
        step.setPixelSize(100);
        const double halfStep = ui::cellHeight(step) / 200.0;
        return std::abs(ui::cellHeight(font) - height) <= halfStep + 1e-6;
    };
    for (const char* size : {"small", "medium", "large"}) {
        const FontHeights h = fontHeightsFor(size);
        EXPECT_TRUE(near(labelFont(h.label), h.label)) << h.label;
        EXPECT_TRUE(near(panelFont(h.panel), h.panel)) << h.panel;
        EXPECT_TRUE(near(characterFont(h.character), h.character)) << h.character;
    }
    EXPECT_TRUE(near(ui::arialFont(17), 17));
    EXPECT_EQ(std::lround(ui::cellHeight(labelFont(19))), 19);  // the Latin face hits it exactly
}

TEST_F(MainWindowTest, DoubleClickOnTheThirdCharacterOfAWordLooksItUp) {
    dir_.writeLines("data/CEDICT_ts.u8",
                    {"# fixture", "你好吗 你好吗 [ni3 hao3 ma5] /how are you?/",
                     "吗 吗 [ma5] /question particle/"});
    auto window = open();
    type(*window, "ni3hao3ma5");
    ASSERT_EQ(shownRows(*window), (std::vector<std::string>{"你好吗"}));
    auto& view = window->resultView();
    // Where the list draws the third character: measured on the font of the
    // Character column; Chinese characters sit 15 pixels apart.
    const QFontMetrics metrics(view.model()->index(0, 1).data(Qt::FontRole).value<QFont>());
    EXPECT_EQ(metrics.horizontalAdvance(QString::fromUtf8("你好")), 30);
    const QRect cell = view.visualRect(view.model()->index(0, 1));
    const int textLeft =
        cell.left() + view.style()->pixelMetric(QStyle::PM_FocusFrameHMargin, nullptr, &view) + 1;
    const int third = textLeft + metrics.horizontalAdvance(QString::fromUtf8("你好")) +
                      metrics.horizontalAdvance(QString::fromUtf8("吗")) * 9 / 10;
    QTest::mouseDClick(view.viewport(), Qt::LeftButton, {}, QPoint(third, cell.center().y()));
    EXPECT_EQ(window->searchBar().box().currentText(), QString::fromUtf8("吗"));
}
