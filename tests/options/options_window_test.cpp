// The options window, the "File preview" dialog, the reminder screen and the
// main window's tracked list, under the offscreen platform.
#include <gtest/gtest.h>
#include <QApplication>
#include <QElapsedTimer>
#include <QMessageBox>
#include <QProcess>
#include <QPushButton>
#include <QTabBar>
#include <QTest>
#include <QTimer>
#include <fstream>

#include "favorites/code_pages.hpp"
#include "options/options_window.hpp"
#include "reminder/reminder_window.hpp"
#include "shell/main_window.hpp"
#include "tests/support/file_size_limit.hpp"
#include "tests/support/layout_checks.hpp"
#include "tests/support/one_answer_http_server.hpp"
#include "tests/support/temp_dir.hpp"
#include "tests/support/word_values.hpp"
#include "ui/window_placement.hpp"

using namespace tulvo;
using namespace tulvo::options;
using tulvo::testing::TempDir;

namespace {

class NoNetwork : public UpdateHttp {
  public:
    std::optional<std::string> get(const std::string& url) override {
        asked.push_back("GET " + url);
        return page;
    }
    std::string lastModifiedDate(const std::string& url) override {
        asked.push_back("HEAD " + url);
        return {};
    }
    std::optional<std::string> page;
    std::vector<std::string> asked;
};

std::string gbk(std::u16string_view text) {
    return favorites::encode(text, favorites::kGbk).value();
}

class OptionsWindowTest : public ::testing::Test {
  protected:
    OptionsWindowTest() { std::filesystem::create_directories(dir_ / "data"); }

    std::unique_ptr<OptionsWindow> open() {
        auto window = std::make_unique<OptionsWindow>(dir_.path(), "version 2.1a", http_,
                                                      UpdateAddresses{"v", "a", "w", "site"});
        window->showMessage = [this](const QString& text) { messages_.push_back(text); };
        window->showStoreMessage = [this](const QString& caption, const QString& text) {
            storeMessages_.push_back(caption + ": " + text);
        };
        window->show();
        EXPECT_TRUE(QTest::qWaitForWindowExposed(window.get()));
        QCoreApplication::processEvents();
        return window;
    }
    // Answers the preview once it shows: picks `entry` (when >= 0), then OK or Cancel.
    static void answerPreview(OptionsWindow& window, int entry, bool ok, QString* shown = nullptr) {
        QTimer::singleShot(0, &window, [&window, entry, ok, shown] {
            favorites::FilePreviewDialog& preview = window.preview();
            if (entry >= 0) preview.encodings().setCurrentIndex(entry);
            if (shown) *shown = preview.preview().toPlainText();
            QTest::mouseClick(ok ? &preview.okButton() : &preview.cancelButton(), Qt::LeftButton);
        });
    }

    TempDir dir_;
    NoNetwork http_;
    std::vector<QString> messages_;
    std::vector<QString> storeMessages_;
};

TEST_F(OptionsWindowTest, EachTabShowsItsOwnControlsWholeAndApart) {
    auto window = open();
    EXPECT_EQ(window->windowTitle(), "Tulvo options");
    EXPECT_EQ(window->frameGeometry().size(), QSize(538, 536));
    QStringList items;
    for (int i = 0; i < window->hotkeyList().count(); ++i)
        items << window->hotkeyList().itemText(i);
    EXPECT_EQ(items,
              QStringList({"(none)", "F 5", "F 6", "F 7", "F 8", "F 9", "F10", "F11", "F12"}));
    EXPECT_FALSE(window->downloadButton().isEnabled());
    EXPECT_TRUE(window->websiteButton().isEnabled());

    // Controls sit where they are placed in the window, whatever the tab
    // bar's height: a sample of each tab, through their group boxes.
    const struct {
        const QWidget* control;
        QRect inWindow;
    } placed[] = {{&window->fontSizeButton(2), {210, 120, 120, 20}},
                  {&window->hotkeyList(), {20, 450, 80, window->hotkeyList().height()}},
                  {&window->popupCheck(), {10, 90, 230, 30}},
                  {&window->pathBox(), {20, 326, 370, 27}},
                  {&window->downloadButton(), {30, 440, 120, 30}}};
    for (const auto& [control, rect] : placed)
        EXPECT_EQ(QRect(control->mapTo(window.get(), QPoint(0, 0)), control->size()), rect)
            << control->metaObject()->className();

    // A click on each tab shows its own controls only, none covering
    // another, every text whole in its box.
    const struct {
        QString text;
        const QWidget* own;
    } tabs[] = {{"General", &window->hotkeyList()},
                {"Popup definitions", &window->popupCheck()},
                {"Favorite words", &window->pathBox()},
                {"Tulvo updates", &window->downloadButton()}};
    QTabBar& bar = *window->tabs().tabBar();
    ASSERT_EQ(bar.count(), 4);
    for (int tab : {3, 2, 1, 0}) {
        EXPECT_EQ(bar.tabText(tab), tabs[tab].text);
        QTest::mouseClick(&bar, Qt::LeftButton, {}, bar.tabRect(tab).center());
        ASSERT_EQ(window->tabs().currentIndex(), tab);
        for (int other = 0; other < 4; ++other)
            EXPECT_EQ(tabs[other].own->isVisible(), other == tab) << tab << " " << other;
        EXPECT_EQ(tulvo::testing::layoutFaults(*window), std::vector<std::string>{}) << tab;
    }

    EXPECT_FALSE(window->applicationsBox().isEnabled());  // popups off
    window->popupCheck().click();
    EXPECT_TRUE(window->applicationsBox().isEnabled());
}

TEST_F(OptionsWindowTest, UpdatesTabChecksEachTimeItIsSelected) {
    http_.page = "current version of Tulvo: version 2.1a<br>";
    auto window = open();
    EXPECT_EQ(window->updateLine(UpdateGroup::Program, 3).text(),
              "Checking versions, please wait a minute...");
    EXPECT_TRUE(http_.asked.empty());
    window->tabs().setCurrentIndex(OptionsWindow::Updates);
    EXPECT_EQ(http_.asked, (std::vector<std::string>{"GET v", "HEAD a"}));
    EXPECT_EQ(window->updateLine(UpdateGroup::Program, 1).text(),
              "Installed version: version 2.1a");
    EXPECT_EQ(window->updateLine(UpdateGroup::Program, 3).text(),
              "Your version of Tulvo is up to date.");
    EXPECT_EQ(window->updateLine(UpdateGroup::Dictionary, 3).text(),
              "Sorry, I could not connect to the server.");
    window->tabs().setCurrentIndex(OptionsWindow::General);
    window->tabs().setCurrentIndex(OptionsWindow::Updates);
    EXPECT_EQ(http_.asked.size(), 4u);
}

// Counts the paint events of the object it filters.
class PaintCounter : public QObject {
  public:
    int paints = 0;
    bool eventFilter(QObject*, QEvent* event) override {
        if (event->type() == QEvent::Paint) ++paints;
        return false;
    }
};

TEST_F(OptionsWindowTest, SilentServerEndsTheCheckWhileTheWindowRepaints) {
    // Accepts every connection and never answers.
    tulvo::testing::OneAnswerHttpServer silent(200, "", "", /*silent=*/true);
    platform::HttpLimits limits;
    limits.stallSeconds = 4;  // the program's is 30 s; the same client gives up the same way
    NetworkUpdateHttp network(limits);
    OptionsWindow window(dir_.path(), "version 2.1a", network,
                         UpdateAddresses{silent.url("/v"), silent.url("/a.zip"), "w", "site"});
    window.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&window));
    PaintCounter counter;
    window.installEventFilter(&counter);
    QTimer ticker;
    QObject::connect(&ticker, &QTimer::timeout, &window, [&window] { window.update(); });
    ticker.start(100);

    QElapsedTimer clock;
    clock.start();
    window.tabs().setCurrentIndex(OptionsWindow::Updates);
    const qint64 elapsed = clock.elapsed();
    // The two transfers waited for the stall time together, not one after
    // the other (that would take 8 s or more); a loaded machine may add a
    // second or two to the wait.
    EXPECT_GE(elapsed, 2'000);
    EXPECT_LT(elapsed, 7'500);
    EXPECT_EQ(window.updateLine(UpdateGroup::Program, 3).text(),
              "Sorry, I could not connect to the server.");
    EXPECT_EQ(window.updateLine(UpdateGroup::Dictionary, 3).text(),
              "Sorry, I could not connect to the server.");
    EXPECT_EQ(silent.requests(), 2);
    // The window went on painting while it waited.
    EXPECT_GE(counter.paints, 10);
}

TEST_F(OptionsWindowTest, ClosingWritesTheSettingsFromTheControls) {
    dir_.write("data/options.txt", "fontsize=large\r\nunknown=1\r\ntulvo_hotkey=f9\r\n");
    auto window = open();
    EXPECT_TRUE(window->fontSizeButton(2).isChecked());
    EXPECT_EQ(window->hotkeyList().currentIndex(), 5);
    window->fontSizeButton(0).click();
    window->hotkeyList().setCurrentIndex(3);
    window->applicationsBox().setPlainText("notepad.exe\nwinword.exe");
    window->close();
    const std::string written = TempDir::read(dir_ / "data/options.txt");
    EXPECT_EQ(
        written,
        "fontsize=small\r\nshow_writing_pad=yes\r\nprefer_simplified_or_traditional=simplified\r\n"
        "tulvo_hotkey=F7\r\nenable_popup=no\r\npopup_applications=notepad.exe, winword.exe\r\n"
        "popup_alternate=\r\npopup_exclusions=\r\npopup_in_flash=yes\r\npopup_in_pdf=yes\r\n"
        "favorite_track=no\r\nfavorite_track_updateback=no\r\n");
}

TEST_F(OptionsWindowTest, ImportThroughThePreview) {
    const auto file = dir_.write("words.txt", gbk(u"你好，学习 汉语\r\n"));
    auto window = open();
    window->tabs().setCurrentIndex(OptionsWindow::Favorites);
    QString shown;
    answerPreview(*window, 3, true, &shown);  // a short file: the user picks GBK
    window->importFile(QString::fromStdString(file.string()), false);
    EXPECT_EQ(shown, QString::fromUtf16(u"你好，学习 汉语\n"));
    ASSERT_EQ(messages_.size(), 1u);
    EXPECT_EQ(messages_[0], "Your favorite words have been added!\n9 new word(s) were found.");
    favorites::FavoritesStore store(dir_ / "data/favorites.dat");
    store.load();
    EXPECT_EQ(store.test(u"汉语"), 1);

    // Again: nothing new.
    answerPreview(*window, 3, true);
    window->importFile(QString::fromStdString(file.string()), false);
    EXPECT_EQ(
        messages_.back(),
        "No new words were found.\nEither the text file is incorrect, or all words were already "
        "marked as favorite.");
    EXPECT_FALSE(window->trackCheck().isChecked());
}

TEST_F(OptionsWindowTest, PreviewRedecodesAndCancelShowsNothing) {
    const auto file =
        dir_.write("words.txt", gbk(u"汉语 词典 你好 学习 中国 朋友 老师 学生 时候\r\n"));
    auto window = open();
    QString asUtf8;
    QTimer::singleShot(0, window.get(), [&] {
        favorites::FilePreviewDialog& preview = window->preview();
        EXPECT_EQ(preview.windowTitle(), "File preview");
        EXPECT_EQ(preview.encodings().currentIndex(), 3);
        EXPECT_EQ(preview.encodings().count(), 5);
        EXPECT_TRUE(preview.preview().toPlainText().startsWith(QString::fromUtf16(u"汉语 词典")));
        preview.encodings().setCurrentIndex(1);
        asUtf8 = preview.preview().toPlainText();
        preview.close();  // the close box cancels like Cancel
    });
    window->importFile(QString::fromStdString(file.string()), true);
    EXPECT_FALSE(asUtf8.contains(QString::fromUtf16(u"汉语")));
    EXPECT_TRUE(messages_.empty());
    EXPECT_TRUE(window->pathBox().text().isEmpty());
    EXPECT_FALSE(std::filesystem::exists(dir_ / "data/favorites.dat.bak"));
    EXPECT_EQ(std::filesystem::file_size(dir_ / "data/favorites.dat"), 0u);

    // An empty file is reported without a preview.
    const auto empty = dir_.write("empty.txt", "");
    window->importFile(QString::fromStdString(empty.string()), false);
    window->importFile(QString::fromStdString((dir_ / "missing.txt").string()), false);
    EXPECT_EQ(messages_, (std::vector<QString>(2, "Sorry, the file is inaccessible or empty.")));
}

TEST_F(OptionsWindowTest, TrackedImportFillsThePathAndStoresTheEncoding) {
    const auto file = dir_.write("tracked.txt", gbk(u"学习"));
    auto window = open();
    answerPreview(*window, 3, true);  // GBK, as a user would pick for a short file
    window->importFile(QString::fromStdString(file.string()), true);
    ASSERT_EQ(messages_.size(), 1u);
    EXPECT_EQ(
        messages_[0],
        "Your favorite words have been added!\n3 new word(s) were found.\n\nOn startup, Tulvo will "
        "now track new words added to this file.");
    EXPECT_EQ(window->pathBox().text().toStdString(), file.string());
    EXPECT_TRUE(window->trackCheck().isChecked());
    window->close();
    const std::string written = TempDir::read(dir_ / "data/options.txt");
    EXPECT_NE(written.find("favorite_track=yes\r\n"), std::string::npos);
    EXPECT_NE(written.find("favorite_trackfile=" + file.string() +
                           "\r\nfavorite_trackfile_encoding=936\r\n"),
              std::string::npos);

    // Nothing new, yet tracked.
    auto again = open();
    answerPreview(*again, 3, true);
    again->importFile(QString::fromStdString(file.string()), true);
    EXPECT_TRUE(messages_.back().endsWith(
        "\n\nHowever, on startup, Tulvo will now track new words added to this file."));
}

// The main program re-imports the tracked list at start-up, silently, and
// writes favorites back into it.
TEST_F(OptionsWindowTest, MainWindowImportsTheTrackedListAndUpdatesItBack) {
    const auto list =
        dir_.write("list.txt", "\xFF\xFE" + favorites::encode(u"朋友 老师", 0).value());
    dir_.write("data/options.txt",
               "favorite_track=yes\r\nfavorite_track_updateback=yes\r\nfavorite_trackfile=" +
                   list.string() + "\r\nfavorite_trackfile_encoding=0\r\n");
    dir_.write("data/CEDICT_ts.u8", "朋友 朋友 [peng2 you5] /friend/\r\n");
    favorites::FavoritesStore store(dir_ / "data/favorites.dat");
    store.load();
    const tulvo::testing::FixedWordValues values;
    shell::MainWindow window(dir_.path(), values);
    window.setFavoritesStore(&store);
    window.start();
    EXPECT_EQ(store.test(u"朋友"), 1);
    EXPECT_EQ(store.test(u"师"), 1);
    EXPECT_TRUE(std::filesystem::exists(dir_ / "data/favorites.dat.bak"));

    window.favoriteAdded(u"学习");
    EXPECT_EQ(TempDir::read(list), "\xFF\xFE" + favorites::encode(u"朋友 老师 学习", 0).value());
}

TEST(Reminder, TextsWholeOnWhiteAndVisitOpensThePage) {
    int opened = 0;
    reminder::ReminderWindow window([&opened] { ++opened; });
    window.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&window));
    EXPECT_EQ(window.windowTitle(), "Do you like Tulvo?");
    EXPECT_EQ(window.frameGeometry().size(), QSize(448, 320));
    const struct {
        const QWidget* control;
        QRect place;
        QString text;
    } controls[] = {
        {&window.logoLabel(), {10, 13, 60, 60}, ""},
        {&window.mainMessage(),
         {110, 14, 320, 90},
         "You downloaded Tulvo some time ago. We hope you enjoy its features. If you plan to keep "
         "using it, can we suggest you make a donation to support future developments?"},
        {&window.secondaryMessage(),
         {30, 110, 380, 80},
         "Small donations by users like you make a difference.\r\n\r\nVisit the Tulvo website to "
         "donate and to get the latest update information. Thanks for using Tulvo!"},
        {&window.note(), {30, 200, 370, 30}, "(This message will not appear again.)"},
        {&window.visitButton(), {30, 240, 155, 30}, "Visit the website"},
        {&window.closeButton(), {245, 240, 155, 30}, "Close"}};
    for (const auto& [control, place, text] : controls) {
        EXPECT_EQ(control->geometry(), place) << text.toStdString();
        if (auto* label = qobject_cast<const QLabel*>(control)) {
            EXPECT_EQ(label->text(), text);
        } else if (auto* button = qobject_cast<const QAbstractButton*>(control)) {
            EXPECT_EQ(button->text(), text);
        }
    }
    EXPECT_EQ(tulvo::testing::layoutFaults(window), std::vector<std::string>{});
    EXPECT_EQ(reminder::logo().size(), QSize(80, 80));

    // White everywhere but on the controls; the note's text grey.
    QRegion covered;
    for (const QWidget* child : window.findChildren<QWidget*>()) covered += child->geometry();
    const QImage shot = window.grab().toImage();
    int notWhite = 0, grey = 0;
    for (int y = 0; y < shot.height(); ++y)
        for (int x = 0; x < shot.width(); ++x) {
            notWhite += !covered.contains({x, y}) && shot.pixelColor(x, y) != QColor(Qt::white);
            grey += window.note().geometry().contains(x, y) &&
                    shot.pixelColor(x, y) == QColor(0x50, 0x50, 0x50);
        }
    EXPECT_EQ(notWhite, 0);
    EXPECT_GT(grey, 10);

    QTest::mouseClick(&window.visitButton(), Qt::LeftButton);
    EXPECT_EQ(opened, 1);
    EXPECT_FALSE(window.isVisible());
}

TEST(Reminder, SmallScreensShrinkTheWindowToThemAtTheCorner) {
    EXPECT_EQ(ui::centredFrame(QSize(448, 320), QRect(0, 0, 1280, 800)), QRect(416, 240, 448, 320));
    EXPECT_EQ(ui::centredFrame(QSize(448, 320), QRect(0, 0, 400, 300)), QRect(0, 0, 400, 300));
    // Below a panel at the top of the screen.
    EXPECT_EQ(ui::centredFrame(QSize(448, 320), QRect(0, 28, 640, 300)), QRect(96, 28, 448, 300));
}

}  // namespace

TEST_F(OptionsWindowTest, AnImportThatCannotBeSavedSaysSoAndTheOverflowIsShown) {
    const auto file =
        dir_.write("words.txt", favorites::encode(u"你好 学习\r\n", favorites::kUtf8).value());
    auto window = open();
    {
        // The disk is full: the store cannot be written.
        const tulvo::testing::FileSizeLimit full(4);
        answerPreview(*window, -1, true);
        window->importFile(QString::fromStdString(file.string()), false);
    }
    ASSERT_EQ(messages_.size(), 1u);
    EXPECT_TRUE(
        messages_[0].startsWith("Sorry, the words could not be added to your favorites.\n"));
    EXPECT_EQ(std::filesystem::file_size(dir_ / "data/favorites.dat"), 0u);

    // A count beyond the format's limit, with debug.txt present: the same
    // message the main window shows.
    dir_.write("debug.txt", "");
    dir_.write("data/favorites.dat", std::string("\x01\0\0\0\x41\x42\x0F\0", 8));
    answerPreview(*window, -1, true);
    window->importFile(QString::fromStdString(file.string()), false);
    ASSERT_FALSE(storeMessages_.empty());
    EXPECT_EQ(storeMessages_[0],
              "Tulvo: overflow in favorites.dat\rlength: 1 nbwords: 1000001 favlength: 2");
    // The damaged store is refused and kept.
    EXPECT_TRUE(messages_.back().startsWith("Sorry, the words could not be added"));
    EXPECT_TRUE(messages_.back().contains("damaged"));
    EXPECT_EQ(std::filesystem::file_size(dir_ / "data/favorites.dat"), 8u);
}

namespace {

// A file read back with Python's csv module, the rows as JSON: what a
// flashcard program that reads CSV sees. Anki's header lines (starting with
// "#") are given apart.
std::string readBackWithPython(const std::filesystem::path& file, bool anki) {
    const char* script = R"(
import csv, json, sys
path, anki = sys.argv[1], sys.argv[2] == "anki"
with open(path, encoding="utf-8", newline="") as f:
    text = f.read()
lines = text.splitlines(keepends=True)
header = [l.rstrip("\n") for l in lines if anki and l.startswith("#")]
body = [l for l in lines if not (anki and l.startswith("#"))]
rows = list(csv.reader(body, delimiter="\t" if anki else ","))
print(json.dumps({"header": header, "rows": rows}, ensure_ascii=False))
)";
    QProcess python;
    python.start(
        QStringLiteral("python3"),
        {QStringLiteral("-c"), QString::fromUtf8(script), QString::fromStdString(file.string()),
         anki ? QStringLiteral("anki") : QStringLiteral("csv")});
    EXPECT_TRUE(python.waitForFinished(30000));
    EXPECT_EQ(python.exitCode(), 0) << python.readAllStandardError().toStdString();
    return python.readAllStandardOutput().trimmed().toStdString();
}

}  // namespace

TEST_F(OptionsWindowTest, FavoritesExportForAnkiAndAsCsvReadBack) {
    dir_.write("data/CEDICT_ts.u8",
               "# CC-CEDICT\r\n"
               "學習 学习 [xue2 xi2] /to learn/to study/\r\n"
               "行 行 [xing2] /to walk/\r\n"
               "行 行 [hang2] /row/\r\n"
               "說 说 [shuo1] /to say \"hi\", or not/\r\n");
    characters::FreqFileWriter freq;
    freq.add(u"学习", characters::frequencyValue(0, 1));
    dir_.write("data/freq.dat", freq.bytes());
    favorites::FavoritesStore first(dir_ / "data" / "favorites.dat");
    first.load();
    first.add(u"学习");
    auto window = open();
    // Marked in the main window while the options window is open.
    favorites::FavoritesStore other(dir_ / "data" / "favorites.dat");
    other.load();
    other.add(u"说");
    other.add(u"行");

    const auto anki = dir_ / "cards.txt";
    ASSERT_TRUE(window->exportFlashcards(OptionsWindow::FlashcardFormat::Anki,
                                         QString::fromStdString(anki.string())));
    EXPECT_EQ(readBackWithPython(anki, true),
              R"({"header": ["#separator:tab", "#html:false", "#columns:Word\tPinyin\t)"
              R"(Definitions\tHSK level"], "rows": [["行", "xíng / háng", "[xíng] to walk | )"
              R"([háng] row", ""], ["说", "shuō", "to say \"hi\", or not", ""], ["学习", )"
              R"("xué xí", "to learn; to study", "1"]]})");
    const auto csv = dir_ / "cards.csv";
    ASSERT_TRUE(window->exportFlashcards(OptionsWindow::FlashcardFormat::Csv,
                                         QString::fromStdString(csv.string())));
    EXPECT_EQ(readBackWithPython(csv, false),
              R"({"header": [], "rows": [["word", "pinyin", "definitions", "hsk_level"], )"
              R"(["行", "xíng / háng", "[xíng] to walk | [háng] row", ""], ["说", "shuō", )"
              R"("to say \"hi\", or not", ""], ["学习", "xué xí", "to learn; to study", "1"]]})");
    ASSERT_FALSE(messages_.empty());
    EXPECT_TRUE(messages_.back().startsWith("3 favorite words were exported to "))
        << messages_.back().toStdString();

    // A folder that does not exist: told, and nothing claimed.
    EXPECT_FALSE(window->exportFlashcards(
        OptionsWindow::FlashcardFormat::Csv,
        QString::fromStdString((dir_ / "missing" / "cards.csv").string())));
    EXPECT_TRUE(messages_.back().startsWith("Sorry, the flashcards could not be written"));
}

TEST_F(OptionsWindowTest, HelpWithoutABrowserSaysWhereTheManualIs) {
    // xdg-open stand-ins: one that finds no browser, one that opens the page.
    const auto opened = dir_ / "opened.txt";
    const auto noBrowser = dir_.write("none/xdg-open", "#!/bin/sh\nexit 3\n");
    const auto browser =
        dir_.write("some/xdg-open", "#!/bin/sh\necho \"$1\" > '" + opened.string() + "'\n");
    for (const auto& script : {noBrowser, browser})
        std::filesystem::permissions(script, std::filesystem::perms::owner_all);
    const QByteArray path = qgetenv("PATH");
    auto window = open();
    auto* help = window->findChild<QPushButton*>();
    for (QPushButton* button : window->findChildren<QPushButton*>())
        if (button->toolTip() == "Help") help = button;
    ASSERT_NE(help, nullptr);

    // The message box is closed as soon as it shows; its text is kept.
    QString told;
    QTimer closer;
    QObject::connect(&closer, &QTimer::timeout, [&told] {
        if (auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget())) {
            told = box->text();
            box->accept();
        }
    });
    closer.start(20);

    qputenv("PATH", QByteArray::fromStdString(noBrowser.parent_path().string()));
    QTest::mouseClick(help, Qt::LeftButton);
    EXPECT_TRUE(QTest::qWaitFor([&told] { return !told.isEmpty(); }, 5000));
    EXPECT_TRUE(told.contains("No web browser")) << told.toStdString();
    EXPECT_TRUE(told.contains(QString::fromStdString((dir_ / "manual" / "options.html").string())))
        << told.toStdString();

    told.clear();
    qputenv("PATH", QByteArray::fromStdString(browser.parent_path().string()));
    QTest::mouseClick(help, Qt::LeftButton);
    EXPECT_TRUE(QTest::qWaitFor([&opened] { return std::filesystem::exists(opened); }, 5000));
    QTest::qWait(300);  // its end seen, and nothing told
    qputenv("PATH", path);
    EXPECT_TRUE(told.isEmpty()) << told.toStdString();
    std::ifstream in(opened);
    std::string url;
    std::getline(in, url);
    EXPECT_TRUE(url.starts_with("file://") && url.ends_with("/manual/options.html")) << url;
}
