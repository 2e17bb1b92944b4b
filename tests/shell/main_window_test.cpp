// The main window under the offscreen platform: typing, Enter, the list's
// order and colours, Back/Forward, the selectors, layout and settings.
#include <QApplication>
#include <QSignalSpy>
#include <QTest>
#include <QWindow>
#include <gtest/gtest.h>

#include <map>

#include "platform/unicode_text.hpp"
#include "shell/main_window.hpp"
#include "tests/support/temp_dir.hpp"

using namespace tulvo;
using namespace tulvo::shell;
using tulvo::testing::TempDir;

namespace {

class FixedValues : public dictionary::WordValueLookup {
public:
    int wordValue(std::string_view form, int, std::string_view) const override {
        const auto it = values.find(std::string(form));
        return it == values.end() ? -1 : it->second;
    }
    std::map<std::string, int> values{{"马", 0x10}, {"妈", 0x21}, {"吗", -99}};
};

class MainWindowTest : public ::testing::Test {
protected:
    MainWindowTest() {
        dir_.writeLines("data/CEDICT_ts.u8",
                        {"# fixture", "媽 妈 [ma1] /mother/", "麻 麻 [ma2] /hemp/", "馬 马 [ma3] /horse/",
                         "罵 骂 [ma4] /to scold/", "嗎 吗 [ma5] /question particle/",
                         "馬上 马上 [ma3 shang4] /at once/", "你好 你好 [ni3 hao3] /hello/"});
    }

    std::unique_ptr<MainWindow> open() {
        auto window = std::make_unique<MainWindow>(dir_.path(), values_);
        window->start();
        window->show();
        EXPECT_TRUE(QTest::qWaitForWindowExposed(window.get()));
        window->activateWindow();
        (void)QTest::qWaitForWindowActive(window.get());
        return window;
    }

    // Types into the search box and presses Enter, as a user does.
    static void type(MainWindow& window, const QString& text) {
        window.searchBox().setFocus();
        window.searchBox().lineEdit()->clear();
        QWindow* platformWindow = window.windowHandle();
        for (QChar c : text) {
            if (c.unicode() < 0x80) QTest::keyClick(platformWindow, c.toLatin1());
            else window.searchBox().lineEdit()->insert(QString(c));  // as an input method does
        }
        QTest::keyClick(platformWindow, Qt::Key_Return);
    }

    static std::vector<std::string> shown(const MainWindow& window) {
        std::vector<std::string> rows;
        for (size_t i = 0; i < window.results().size(); ++i)
            rows.push_back(utf16ToUtf8(window.results().at(i).character));
        return rows;
    }

    TempDir dir_;
    FixedValues values_;
};

}  // namespace

TEST_F(MainWindowTest, EnterSearchesAndFillsTheListInOrderWithColours) {
    auto window = open();
    type(*window, "ma");
    EXPECT_EQ(window->searchBox().currentText(), "ma");
    // Listed characters first, then unlisted and favorite characters, then words.
    EXPECT_EQ(shown(*window), (std::vector<std::string>{"妈", "马", "麻", "骂", "吗", "马上"}));
    auto& model = window->resultView().resultModel();
    ASSERT_EQ(model.rowCount(), 6);
    EXPECT_EQ(model.data(model.index(0, 1), Qt::ForegroundRole).value<QColor>(), QColor(0, 0, 160));
    EXPECT_EQ(model.data(model.index(1, 1), Qt::ForegroundRole).value<QColor>(), QColor(32, 53, 255));
    EXPECT_EQ(model.data(model.index(4, 1), Qt::ForegroundRole).value<QColor>(), QColor(246, 138, 0));
    EXPECT_FALSE(model.data(model.index(2, 1), Qt::ForegroundRole).isValid());
    EXPECT_EQ(model.data(model.index(1, 2), Qt::DisplayRole).toString(), QString::fromUtf8("mǎ"));
    EXPECT_EQ(model.data(model.index(0, 4), Qt::DisplayRole).toString(), QString::fromUtf8("1媽"));
    // The first row is selected and the list has the focus.
    EXPECT_EQ(window->resultView().currentIndex().row(), 0);
    EXPECT_EQ(window->history().entries(), (std::vector<std::string>{"find 0 1 ma"}));
}

TEST_F(MainWindowTest, BackAndForwardReplayEarlierSearches) {
    auto window = open();
    type(*window, "ni3hao3");
    QTest::mouseClick(&window->matchPartSelector(), Qt::LeftButton, {}, QPoint(170, 14));  // Exact
    type(*window, "ma3");
    EXPECT_EQ(shown(*window), (std::vector<std::string>{"马"}));
    EXPECT_EQ(window->history().entries().back(), "find 3 1 ma3");

    QTest::mouseClick(&window->backForward(), Qt::LeftButton, {}, QPoint(5, 14));
    EXPECT_EQ(shown(*window), (std::vector<std::string>{"你好"}));
    EXPECT_EQ(window->searchBox().currentText(), "ni3hao3");
    EXPECT_EQ(window->matchPartSelector().value(), 0);  // restored from the entry

    QTest::mouseClick(&window->backForward(), Qt::LeftButton, {}, QPoint(5, 14));  // nothing older
    EXPECT_EQ(window->history().position(), 0);

    QTest::mouseClick(&window->backForward(), Qt::LeftButton, {}, QPoint(25, 14));
    EXPECT_EQ(shown(*window), (std::vector<std::string>{"马"}));
    EXPECT_EQ(window->matchPartSelector().value(), 3);
}

TEST_F(MainWindowTest, SelectorsChooseByClickPosition) {
    auto window = open();
    auto& forms = window->charFormSelector();
    for (auto [x, value] : std::vector<std::pair<int, int>>{{62, 0}, {63, 1}, {92, 1}, {93, 2}, {10, 0}}) {
        QTest::mouseClick(&forms, Qt::LeftButton, {}, QPoint(x, 14));
        EXPECT_EQ(forms.value(), value) << x;
    }
    QTest::mouseClick(&forms, Qt::LeftButton, {}, QPoint(100, 14));  // Traditional only
    type(*window, "马");
    EXPECT_TRUE(shown(*window).empty());
    type(*window, "馬");
    EXPECT_EQ(shown(*window), (std::vector<std::string>{"馬", "馬上"}));
    // The chosen word is painted blue, the others dim grey.
    const QImage painted = forms.grab().toImage();
    bool blueInChosen = false, blueElsewhere = false;
    for (int y = 0; y < painted.height(); ++y)
        for (int x = 0; x < painted.width(); ++x)
            if (painted.pixelColor(x, y) == QColor(0, 0, 255)) (x >= 92 ? blueInChosen : blueElsewhere) = true;
    EXPECT_TRUE(blueInChosen);
    EXPECT_FALSE(blueElsewhere);
}

TEST_F(MainWindowTest, HidingThePadWidensTheList) {
    auto window = open();
    window->resize(1034, 461);
    QApplication::processEvents();
    const int listWidth = window->resultView().width();
    const int barWidth = window->currentLayout().topBar.width;
    window->setPadShown(false);
    EXPECT_EQ(window->resultView().width(), listWidth + 222);
    EXPECT_EQ(window->currentLayout().topBar.width, barWidth + 222);
    EXPECT_FALSE(window->padColumn().isVisible());
    window->setPadShown(true);
    EXPECT_EQ(window->resultView().width(), listWidth);
    EXPECT_EQ(window->resultView().columnWidth(1) + window->resultView().columnWidth(2) +
                  window->resultView().columnWidth(3),
              listWidth - 21 - 3);
}

TEST_F(MainWindowTest, SettingsFileTakesEffectAtStart) {
    dir_.write("data/options.txt",
               "FONTSIZE = Large\r\nshow_writing_pad=no\r\nprefer_simplified_or_traditional=traditional\r\n"
               "tulvo_hotkey=F7\r\n");
    auto window = open();
    EXPECT_EQ(window->fontHeights(), (FontHeights{22, 22, 24, 58}));
    EXPECT_FALSE(window->padShown());
    EXPECT_EQ(window->registeredHotkey(), 7);
    type(*window, "horse");
    EXPECT_EQ(shown(*window), (std::vector<std::string>{"馬"}));  // traditional preference
}

TEST_F(MainWindowTest, DropDownPickSearchesAndMovesToTop) {
    auto window = open();
    type(*window, "ma1");
    type(*window, "ni3hao3");
    ASSERT_EQ(window->searchBox().count(), 2);
    EXPECT_EQ(window->searchBox().itemText(0), "ni3hao3");
    emit window->searchBox().activated(1);
    EXPECT_EQ(shown(*window), (std::vector<std::string>{"妈"}));
    EXPECT_EQ(window->searchBox().itemText(0), "ma1");
    EXPECT_EQ(window->dropDown().selected(), 0);
    EXPECT_EQ(window->history().entries().size(), 3u);
}

int main(int argc, char** argv) {
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    installFontSubstitutions();
    ::testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
