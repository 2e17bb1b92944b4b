// The writing pad, the candidate grid and the character panel in the main
// window under the offscreen platform: strokes and their ink, recognition
// after every stroke, candidate clicks, the panel's texts and colours, the
// favorite toggle and the companion program hand-off.
#include <gtest/gtest.h>
#include <QApplication>
#include <QElapsedTimer>
#include <QEnterEvent>
#include <QMouseEvent>
#include <QTest>
#include <QTextBlock>

#include <map>

#include "characters/character_panel_view.hpp"
#include "characters/freq_file.hpp"
#include "characters/stroke_order_box.hpp"
#include "characters/word_values.hpp"
#include "favorites/favorites_store.hpp"
#include "handwriting/candidate_grid.hpp"
#include "handwriting/recog_file.hpp"
#include "handwriting/writing_pad_widget.hpp"
#include "platform/unicode_text.hpp"
#include "shell/main_window.hpp"
#include "shell/pad_column.hpp"
#include "shell/search_bar.hpp"
#include "tests/support/file_size_limit.hpp"
#include "tests/support/main_window_fixture.hpp"
#include "tests/support/temp_dir.hpp"

using namespace tulvo;
using namespace tulvo::shell;
using tulvo::testing::TempDir;

namespace {

const QColor kOrange(246, 138, 0);

class FixedValues : public dictionary::WordValueLookup {
  public:
    explicit FixedValues(favorites::FavoritesStore& store) : store_(store) {}
    int wordValue(std::string_view form, int, std::string_view) const override {
        const auto it = values.find(std::string(form));
        const int value = it == values.end() ? -1 : it->second;
        return store_.test(utf8ToUtf16(form)) == 1 ? value - dictionary::kFavoriteMark : value;
    }
    std::map<std::string, int> values{{"马", 0x21}, {"上", 0x10}};

  private:
    favorites::FavoritesStore& store_;
};

void send(QWidget& widget, QEvent::Type type, QPoint at, Qt::MouseButton button = Qt::LeftButton) {
    const Qt::MouseButtons held =
        type == QEvent::MouseButtonRelease ? Qt::NoButton : Qt::MouseButtons(button);
    QMouseEvent event(type, QPointF(at), widget.mapToGlobal(QPointF(at)),
                      type == QEvent::MouseMove ? Qt::NoButton : button, held, Qt::NoModifier);
    QCoreApplication::sendEvent(&widget, &event);
}

QString text(const QTextEdit* field) {
    return field->toPlainText();
}

class PadPanelTest : public ::testing::Test {
  protected:
    PadPanelTest() {
        dir_.writeLines("data/CEDICT_ts.u8",
                        {"一 一 [yi1] /one/", "馬 马 [ma3] /horse/surname Ma/",
                         "馬上 马上 [ma3 shang4] /at once/", "上 上 [shang4] /on top/",
                         "媽 妈 [ma1] /mother/", "見 见 [jian4] /see 看見|看见/"});
        using handwriting::RecogTemplate;
        const std::string recog = handwriting::encodeRecog(
            {RecogTemplate{u'一', 0, 1, {{0, 255}}}, RecogTemplate{u'丨', 0, 1, {{191, 255}}}});
        dir_.write("data/recog.dat", recog);
        store_.load();
    }

    std::unique_ptr<MainWindow> open() {
        return tulvo::testing::openMainWindow(dir_.path(), values_, &store_);
    }

    static void search(MainWindow& window, const QString& query) {
        window.searchBar().box().setEditText(query);
        window.searchFromBox();
        tulvo::testing::waitForSearches(window);
    }

    static QColor textColour(const QLineEdit& field) {
        return field.palette().color(QPalette::Text);
    }

    static QColor rowColour(MainWindow& window, int row) {
        auto& model = window.resultView().resultModel();
        return model.data(model.index(row, 1), Qt::ForegroundRole).value<QColor>();
    }

    static int rowOf(MainWindow& window, const QString& headword) {
        for (int row = 0; row < int(window.results().size()); ++row)
            if (QString::fromStdU16String(window.results().at(size_t(row)).character) == headword)
                return row;
        return -1;
    }

    TempDir dir_;
    favorites::FavoritesStore store_{dir_.path() / "data" / "favorites.dat",
                                     dir_.path() / "debug.txt"};
    FixedValues values_{store_};
};

TEST_F(PadPanelTest, StrokesAreCapturedClampedTickedAndRecognised) {
    auto window = open();
    auto& pad = window->padColumn().pad();
    auto& grid = window->padColumn().candidates();
    using handwriting::PadPoint;

    // A horizontal stroke with jitter that runs off the pad's right edge.
    send(pad, QEvent::MouseButtonPress, {20, 100});
    for (QPoint p : {QPoint(22, 101), QPoint(60, 100), QPoint(120, 100), QPoint(250, 100)})
        send(pad, QEvent::MouseMove, p);
    send(pad, QEvent::MouseButtonRelease, {250, 100});
    const std::vector<PadPoint> stroke{
        {20, 100}, {60, 100}, {120, 100}, {197, 100}, handwriting::kEndRecord};
    EXPECT_EQ(pad.drawing().buffer, stroke);
    EXPECT_EQ(pad.surface().pixelColor(90, 100), QColor(Qt::black));
    EXPECT_EQ(pad.surface().pixelColor(90, 110), QColor(Qt::white));
    EXPECT_EQ(grid.at(0), u'一');

    // The grid shows the candidate in its first cell, nothing in the last.
    const QImage shown = grid.grab().toImage();
    const auto darkIn = [&](QRect r) {
        for (int y = r.top(); y <= r.bottom(); ++y)
            for (int x = r.left(); x <= r.right(); ++x)
                if (qGray(shown.pixel(x, y)) < 100) return true;
        return false;
    };
    EXPECT_TRUE(darkIn(QRect(6, 9, 28, 32)));
    EXPECT_FALSE(darkIn(QRect(166, 89, 28, 32)));

    // A single click leaves a tick of two points; a release without a press
    // on the pad makes no stroke.
    send(pad, QEvent::MouseButtonPress, {50, 40}, Qt::RightButton);
    send(pad, QEvent::MouseMove, {52, 42});
    send(pad, QEvent::MouseButtonRelease, {52, 42}, Qt::RightButton);
    send(pad, QEvent::MouseButtonRelease, {80, 80});
    EXPECT_EQ(pad.drawing().strokeCount, 2);
    const std::vector<PadPoint> tail(pad.drawing().buffer.end() - 3, pad.drawing().buffer.end());
    EXPECT_EQ(tail, (std::vector<PadPoint>{{50, 40}, {50, 43}, handwriting::kEndRecord}));
    EXPECT_EQ(pad.surface().pixelColor(50, 42), QColor(Qt::black));

    window->padColumn().eraseButton().click();
    EXPECT_TRUE(pad.drawing().buffer.empty());
    EXPECT_EQ(pad.surface().pixelColor(90, 100), QColor(Qt::white));
    EXPECT_EQ(grid.at(0), 0);
    window->padColumn().analyzeButton().click();  // a pass with no segments
    EXPECT_EQ(pad.drawing().segmentCount(), 0u);
    EXPECT_EQ(pad.drawing().strokeCount, 0);
}

TEST_F(PadPanelTest, ClickingACandidateLooksItUp) {
    auto window = open();
    auto& pad = window->padColumn().pad();
    send(pad, QEvent::MouseButtonPress, {20, 100});
    send(pad, QEvent::MouseMove, {180, 100});
    send(pad, QEvent::MouseButtonRelease, {180, 100});
    auto& grid = window->padColumn().candidates();
    ASSERT_EQ(grid.at(0), u'一');
    ASSERT_EQ(grid.at(2), 0);

    // A right press chooses the character for the short menu.
    auto& panel = window->characterPanel();
    QTest::mouseClick(&grid, Qt::RightButton, {}, QPoint(20, 20));
    EXPECT_EQ(panel.chosenCharacter(), u'一');
    QStringList items;
    for (QAction* action : panel.shortMenu().actions()) items << action->text();
    EXPECT_EQ(items,
              (QStringList{"Lookup this character", "Find characters based on this character"}));
    panel.shortMenu().hide();
    items.clear();
    for (QAction* action : panel.characterMenu().actions()) items << action->text();
    EXPECT_EQ(items,
              (QStringList{"Speak", "Lookup this character",
                           "Find characters based on this character", "Edit strokes animation"}));
    EXPECT_FALSE(panel.characterMenu().actions()[0]->isEnabled());  // no speech voice

    QTest::mouseClick(&grid, Qt::LeftButton, {}, QPoint(100, 20));  // empty slot
    EXPECT_EQ(window->results().size(), 0u);
    QTest::mouseClick(&grid, Qt::LeftButton, {}, QPoint(20, 20));
    tulvo::testing::waitForSearches(*window);
    ASSERT_EQ(window->results().size(), 1u);
    ASSERT_EQ(window->history().entries().size(), 1u);
    EXPECT_EQ(window->history().entries()[0], "find 0 1 一");
    EXPECT_EQ(window->characterPanel().headwordDisplay().text(), QStringLiteral("一"));
    EXPECT_TRUE(text(window->characterPanel().fields()[2]).isEmpty());
}

TEST_F(PadPanelTest, PanelShowsEntriesAndCharacters) {
    auto window = open();
    window->resize(1050, 461);  // a top bar of one row
    auto& panel = window->characterPanel();
    const auto fields = panel.fields();

    search(*window, QStringLiteral("马"));
    ASSERT_EQ(panel.headwordDisplay().text(), QStringLiteral("马"));
    EXPECT_EQ(text(fields[0]), QStringLiteral("mǎ"));
    EXPECT_EQ(
        text(fields[1]),
        QStringLiteral("traditional: 馬  \nfrequency of use: 90%, HSK: 2\n· horse\n· surname Ma"));
    EXPECT_EQ(textColour(panel.headwordDisplay()), QColor(0, 0, 128));
    EXPECT_FALSE(panel.characterDisplay().isVisible());
    // The panel's controls sit at window pixels, the stroke-order box's top
    // beside the character it writes.
    const auto inWindow = [&](QWidget& w) { return w.mapTo(&*window, QPoint()); };
    EXPECT_EQ(inWindow(panel.headwordDisplay()), QPoint(7, 45));
    EXPECT_EQ(panel.strokeBoxTop(), 45);

    // A word: the first character at once, the second after a click on it.
    window->resultView().setCurrentIndex(
        window->resultView().model()->index(rowOf(*window, "马上"), 1));
    EXPECT_EQ(panel.headwordDisplay().text(), QStringLiteral("马上"));
    EXPECT_TRUE(panel.characterDisplay().isVisible());
    EXPECT_EQ(panel.characterDisplay().text(), QStringLiteral("马"));
    EXPECT_EQ(text(fields[2]), QStringLiteral("mǎ"));
    EXPECT_EQ(inWindow(panel.headwordDisplay()), QPoint(7, 42));
    EXPECT_EQ(inWindow(panel.characterDisplay()).y(), panel.strokeBoxTop());
    EXPECT_EQ(inWindow(*fields[3]).y(), panel.strokeBoxTop() + 102);
    // A narrow window's top bar has two rows: the panel and the stroke-order
    // box move down by one row together.
    const int oneRowTop = panel.strokeBoxTop();
    const int bottom = inWindow(*fields[3]).y() + fields[3]->height();
    window->resize(800, 461);
    QApplication::processEvents();
    EXPECT_EQ(inWindow(panel.headwordDisplay()), QPoint(7, 42 + 34));
    EXPECT_EQ(inWindow(panel.characterDisplay()).y(), panel.strokeBoxTop());
    EXPECT_EQ(window->strokeOrderBox().y(), panel.strokeBoxTop());
    EXPECT_EQ(inWindow(*fields[3]).y(), panel.strokeBoxTop() + 102);
    EXPECT_EQ(inWindow(*fields[3]).y() + fields[3]->height(), bottom);
    window->resize(1050, 461);
    QApplication::processEvents();
    EXPECT_EQ(panel.strokeBoxTop(), oneRowTop);
    EXPECT_TRUE(text(fields[3]).startsWith(QStringLiteral("frequency of use: 90%, HSK: 2\n")));
    auto& headword = panel.headwordDisplay();
    const int width = headword.fontMetrics().horizontalAdvance(QStringLiteral("马"));
    QTest::mouseClick(&headword, Qt::LeftButton, {}, QPoint(width + width / 2 + 2, 30));
    EXPECT_EQ(panel.characterDisplay().text(), QStringLiteral("上"));
    EXPECT_EQ(text(fields[2]), QStringLiteral("shàng"));
    EXPECT_EQ(textColour(panel.characterDisplay()), QColor(32, 53, 255));

    // A favorite without a value: orange, no frequency line.
    store_.add(u"妈");
    search(*window, QStringLiteral("妈"));
    EXPECT_EQ(textColour(panel.headwordDisplay()), kOrange);
    EXPECT_EQ(text(fields[1]), QStringLiteral("traditional: 媽  \n· mother"));

    // A cross-reference: upright characters, spaced as written.
    search(*window, QStringLiteral("见"));
    EXPECT_EQ(text(fields[1]), QStringLiteral("traditional: 見  \n· see 看见"));
    const QTextBlock last = fields[1]->document()->lastBlock();
    for (auto it = last.begin(); !it.atEnd(); ++it) {
        const QTextFragment part = it.fragment();
        const bool chinese = part.text().at(0).unicode() >= 0x4E00;
        EXPECT_EQ(part.charFormat().fontItalic(), !chinese) << part.text().toStdString();
    }
    EXPECT_GT(last.blockFormat().leftMargin(), 0);

    // A one-character search that finds nothing shows the bare character.
    search(*window, QStringLiteral("看"));
    EXPECT_EQ(window->results().size(), 0u);
    EXPECT_EQ(panel.headwordDisplay().text(), QStringLiteral("看"));
}

TEST_F(PadPanelTest, FavoriteToggleWritesTheStoreAndRecolours) {
    auto window = open();
    auto& panel = window->characterPanel();
    search(*window, QStringLiteral("马"));
    const int ma = rowOf(*window, "马");
    const int mashang = rowOf(*window, "马上");
    ASSERT_GE(ma, 0);
    ASSERT_GE(mashang, 0);
    window->resultView().setCurrentIndex(window->resultView().model()->index(ma, 1));
    EXPECT_EQ(rowColour(*window, ma), QColor(0, 0, 0xA0));

    auto& headword = panel.headwordDisplay();
    QEnterEvent enter(QPointF(5, 5), headword.mapToGlobal(QPointF(5, 5)),
                      headword.mapToGlobal(QPointF(5, 5)));
    QCoreApplication::sendEvent(&headword, &enter);
    ASSERT_TRUE(panel.indicator().isVisible());
    EXPECT_EQ(panel.indicator().pos(), headword.pos());
    QTest::mouseClick(&headword, Qt::LeftButton, {}, QPoint(3, 3));

    const std::string expected =
        std::string("\x01\0\0\0\x01\0\0\0", 8) + "\x6C\x9A";  // 马 = U+9A6C
    EXPECT_EQ(TempDir::read(dir_ / "data/favorites.dat"), expected);
    EXPECT_EQ(textColour(headword), kOrange);
    EXPECT_EQ(rowColour(*window, ma), kOrange);
    EXPECT_EQ(window->results().at(size_t(ma)).wordValue, 0x21 - dictionary::kFavoriteMark);
    EXPECT_EQ(window->resultView().currentIndex().row(), ma);  // the selection stays
    const QImage indicator = panel.indicator().grab().toImage();
    EXPECT_EQ(indicator.pixelColor(7, 7), kOrange);

    // Clicking again removes it; the block stays with count 0.
    QTest::mouseClick(&headword, Qt::LeftButton, {}, QPoint(3, 3));
    EXPECT_EQ(TempDir::read(dir_ / "data/favorites.dat"), std::string("\x01\0\0\0\0\0\0\0", 8));
    EXPECT_EQ(textColour(headword), QColor(0, 0, 128));
    EXPECT_EQ(rowColour(*window, ma), QColor(0, 0, 0xA0));
    EXPECT_EQ(panel.indicator().grab().toImage().pixelColor(7, 7), QColor(Qt::white));

    // The character display's toggle recolours every row of that character.
    window->resultView().setCurrentIndex(window->resultView().model()->index(mashang, 1));
    auto& character = panel.characterDisplay();
    QCoreApplication::sendEvent(&character, &enter);
    QTest::mouseClick(&character, Qt::LeftButton, {}, QPoint(3, 3));
    EXPECT_EQ(store_.test(u"马"), 1);
    EXPECT_EQ(textColour(character), kOrange);
    EXPECT_EQ(rowColour(*window, ma), kOrange);
    EXPECT_NE(rowColour(*window, mashang), kOrange);
    EXPECT_NE(textColour(headword), kOrange);

    // The state holds after a restart.
    favorites::FavoritesStore reread(dir_ / "data/favorites.dat");
    reread.load(false);
    EXPECT_EQ(reread.test(u"马"), 1);
}

TEST_F(PadPanelTest, AFavoriteThatCannotBeSavedIsToldOnceAndNotShown) {
    struct Recorded : favorites::FavoritesMessages {
        std::vector<std::u16string> shown;
        void showMessage(std::u16string_view, std::u16string_view text) override {
            shown.emplace_back(text);
        }
    } messages;
    favorites::FavoritesStore store(dir_ / "data/favorites.dat", dir_ / "debug.txt", &messages);
    store.load();
    const FixedValues values(store);
    MainWindow window(dir_.path(), values);
    window.setFavoritesStore(&store);
    window.start();
    window.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&window));
    search(window, QStringLiteral("马"));
    const int ma = rowOf(window, "马");
    ASSERT_GE(ma, 0);
    window.resultView().setCurrentIndex(window.resultView().model()->index(ma, 1));
    auto& panel = window.characterPanel();
    auto& headword = panel.headwordDisplay();
    QEnterEvent enter(QPointF(5, 5), headword.mapToGlobal(QPointF(5, 5)),
                      headword.mapToGlobal(QPointF(5, 5)));
    QCoreApplication::sendEvent(&headword, &enter);
    {
        // The disk is full: two clicks, one message, nothing orange.
        const tulvo::testing::FileSizeLimit full(4);
        QTest::mouseClick(&headword, Qt::LeftButton, {}, QPoint(3, 3));
        QTest::mouseClick(&headword, Qt::LeftButton, {}, QPoint(3, 3));
    }
    EXPECT_EQ(TempDir::read(dir_ / "data/favorites.dat"), "");
    EXPECT_EQ(messages.shown.size(), 1u);
    EXPECT_NE(textColour(headword), kOrange);
    EXPECT_NE(rowColour(window, ma), kOrange);
    EXPECT_EQ(panel.indicator().grab().toImage().pixelColor(7, 7), QColor(Qt::white));

    // With space again the click adds it.
    QTest::mouseClick(&headword, Qt::LeftButton, {}, QPoint(3, 3));
    EXPECT_EQ(textColour(headword), kOrange);
    EXPECT_EQ(store.test(u"马"), 1);

    // Another program damaged the file: the click that would take the word
    // off is refused and told, and the word stays orange as the file says.
    const std::string damaged = TempDir::read(dir_ / "data/favorites.dat") + "\xFF\xFF\xFF";
    dir_.write("data/favorites.dat", damaged);
    QTest::mouseClick(&headword, Qt::LeftButton, {}, QPoint(3, 3));
    ASSERT_EQ(messages.shown.size(), 2u);
    EXPECT_NE(messages.shown[1].find(u"damaged"), std::u16string::npos);
    EXPECT_EQ(textColour(headword), kOrange);
    EXPECT_EQ(TempDir::read(dir_ / "data/favorites.dat"), damaged);
}

TEST_F(PadPanelTest, F2HandsTheTextToTheCompanionProgram) {
    auto window = open();
    auto& panel = window->characterPanel();
    characters::PanelEntry entry;
    entry.headword = u"中 a";
    panel.showEntry(entry);
    EXPECT_TRUE(panel.handToCompanion(nullptr).isEmpty());  // no program

    const auto output = dir_ / "argument.txt";
    dir_.write("data/quorvex", "#!/bin/sh\nprintf '%s' \"$1\" > '" + output.string() + "'\n");
    std::filesystem::permissions(dir_ / "data/quorvex", std::filesystem::perms::owner_all);
    EXPECT_EQ(panel.handToCompanion(nullptr), QStringLiteral("%D6%D0%20%61"));
    QElapsedTimer waited;
    waited.start();
    while (!std::filesystem::exists(output) && waited.elapsed() < 5000) QTest::qWait(20);
    QTest::qWait(50);
    EXPECT_EQ(TempDir::read(output), "%D6%D0%20%61");

    // A selection in the headword display is handed over instead.
    panel.headwordDisplay().setSelection(0, 1);
    EXPECT_EQ(panel.handToCompanion(&panel.headwordDisplay()), QStringLiteral("%D6%D0"));
}

}  // namespace
