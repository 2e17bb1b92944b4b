// The desktop side of the main window under the offscreen platform: the
// hidden locator's messages, the clipboard save and restore around a
// capture, and speech without a speech engine.
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>
#include <QApplication>
#include <QClipboard>
#include <QFileInfo>
#include <QLocalServer>
#include <QLocalSocket>
#include <QMimeData>
#include <QTest>
#include <QTimer>
#include <QtEndian>

#include "platform/local_messages.hpp"
#include "shell/clipboard_capture.hpp"
#include "shell/clipboard_save_file.hpp"
#include "shell/desktop_integration.hpp"
#include "shell/dictionary_install_window.hpp"
#include "shell/dictionary_installer.hpp"
#include "shell/hidden_locator.hpp"
#include "shell/main_window.hpp"
#include "shell/search_bar.hpp"
#include "shell/settings.hpp"
#include "tests/support/main_window_fixture.hpp"
#include "tests/support/temp_dir.hpp"
#include "tests/support/word_values.hpp"
#include "updates/dictionary_update.hpp"

using namespace tulvo;
using namespace tulvo::shell;
using tulvo::testing::TempDir;

namespace {

QByteArray frame(int64_t message, int64_t first, int64_t second) {
    QByteArray bytes(24, '\0');
    qToLittleEndian<int64_t>(message, bytes.data());
    qToLittleEndian<int64_t>(first, bytes.data() + 8);
    qToLittleEndian<int64_t>(second, bytes.data() + 16);
    return bytes;
}

class DesktopTest : public ::testing::Test {
  protected:
    DesktopTest() {
        dir_.writeLines("data/CEDICT_ts.u8",
                        {"# fixture", "你 你 [ni3] /you/", "你好 你好 [ni3 hao3] /hello/",
                         "好 好 [hao3] /good/", "你好吗 你好吗 [ni3 hao3 ma5] /how are you?/",
                         "你好吗呢 你好吗呢 [x] /four/"});
        window_ = tulvo::testing::openMainWindow(dir_.path(), values_);
        locatorName_ =
            QStringLiteral("TulvoHiddenLocatorTest%1").arg(QCoreApplication::applicationPid());
        EXPECT_TRUE(window_->desktop().listenLocator(locatorName_));
    }

    // Writes bytes to the locator as the popup program does; true when the
    // 8-byte reply came.
    bool send(const QByteArray& bytes) {
        QLocalSocket socket;
        socket.connectToServer(platform::localServerPath(locatorName_));
        if (!socket.waitForConnected(1000)) return false;
        socket.write(bytes);
        socket.flush();
        QElapsedTimer timer;
        timer.start();
        while (socket.bytesAvailable() < static_cast<qint64>(8 * (bytes.size() / 24)) &&
               timer.elapsed() < 2000 && socket.state() == QLocalSocket::ConnectedState) {
            QCoreApplication::processEvents(QEventLoop::AllEvents, 20);
            socket.waitForReadyRead(10);
        }
        const bool replied = bytes.size() >= 24 && socket.bytesAvailable() >= 8;
        socket.disconnectFromServer();
        QTest::qWait(20);
        return replied;
    }

    std::vector<std::string> shown() const { return tulvo::testing::shownRows(*window_); }

    TempDir dir_;
    tulvo::testing::FixedWordValues values_;
    std::unique_ptr<MainWindow> window_;
    QString locatorName_;
};

}  // namespace

TEST_F(DesktopTest, LookupMessageSearchesOneToFourUnits) {
    // Exact match, so each lookup finds its own entry only.
    window_->searchBar().matchPartSelector().setValue(dictionary::kExact);
    emit window_->searchBar().matchPartSelector().chosen(dictionary::kExact);
    struct Case {
        int64_t first, second;
        const char* text;
    } cases[] = {{0x4F60, 0, "你"},
                 {0x597D4F60, 0, "你好"},
                 {0x597D4F60, 0x5417, "你好吗"},
                 {0x597D4F60, 0x54625417, "你好吗呢"}};
    size_t pushed = 0;
    for (const Case& c : cases) {
        ASSERT_TRUE(send(frame(0x507, c.first, c.second)));
        EXPECT_EQ(window_->searchBar().box().currentText().toStdString(), c.text);
        EXPECT_EQ(window_->history().entries().size(), ++pushed);
        EXPECT_EQ(window_->history().entries().back(), std::string("find 3 1 ") + c.text);
        EXPECT_EQ(shown(), std::vector<std::string>{c.text});
        EXPECT_TRUE(window_->isVisible());
    }
}

TEST_F(DesktopTest, ShowMessageChangesNothingElse) {
    window_->searchBar().box().setEditText(QStringLiteral("好"));
    window_->hide();
    ASSERT_TRUE(send(frame(0x508, 0x4F60, 0)));
    EXPECT_TRUE(window_->isVisible());
    EXPECT_EQ(window_->searchBar().box().currentText(), QStringLiteral("好"));
    EXPECT_TRUE(window_->history().entries().empty());
    EXPECT_EQ(window_->results().size(), 0u);
}

TEST_F(DesktopTest, MalformedAndUnknownFramesHaveNoEffect) {
    // A message number beyond 32 bits, half a frame, other messages.
    EXPECT_FALSE(send(frame(int64_t(1) << 40 | 0x507, 0x4F60, 0)));
    EXPECT_FALSE(send(frame(0x507, 0x4F60, 0).left(20)));
    EXPECT_TRUE(send(frame(0x505, 0x4F60, 0)));
    EXPECT_TRUE(window_->history().entries().empty());
    EXPECT_TRUE(window_->searchBar().box().currentText().isEmpty());
    // The locator still works afterwards.
    EXPECT_TRUE(send(frame(0x507, 0x4F60, 0)));
    EXPECT_EQ(window_->history().entries().size(), 1u);
}

TEST_F(DesktopTest, TextLookupOfAnyLengthArrivesWholeAndOneLine) {
    // The frame and the text's first bytes, the rest a moment later: the
    // reply and the search wait for the whole text.
    const QByteArray text = QStringLiteral("\n你好\r\n吗\n").toUtf8() + QByteArray(200, 'x');
    QLocalSocket socket;
    socket.connectToServer(platform::localServerPath(locatorName_));
    ASSERT_TRUE(socket.waitForConnected(1000));
    socket.write(frame(kMessageLookupText, text.size(), 0) + text.left(5));
    socket.flush();
    QTest::qWait(100);
    EXPECT_EQ(socket.bytesAvailable(), 0);
    EXPECT_TRUE(window_->searchBar().box().currentText().isEmpty());
    socket.write(text.mid(5));
    socket.flush();
    const QString expected = QStringLiteral("你好 吗 ") + QString(200, u'x');
    QElapsedTimer timer;
    timer.start();
    while (window_->searchBar().box().currentText() != expected && timer.elapsed() < 2000)
        QTest::qWait(10);
    EXPECT_EQ(window_->searchBar().box().currentText().toStdString(), expected.toStdString());
    socket.waitForReadyRead(100);
    EXPECT_EQ(socket.bytesAvailable(), 8);
    EXPECT_EQ(window_->history().entries().size(), 1u);
    socket.disconnectFromServer();

    // A length beyond the limit ends the connection; nothing is searched.
    EXPECT_FALSE(send(frame(kMessageLookupText, kLookupTextLimit + 1, 0)));
    EXPECT_EQ(window_->history().entries().size(), 1u);
    EXPECT_TRUE(send(frame(0x507, 0x4F60, 0)));
    EXPECT_EQ(window_->history().entries().size(), 2u);
}

TEST_F(DesktopTest, EachLookupCarriesItsTextAndTheNewestWaitingOneWins) {
    // The user's own search runs; three lookups arrive before the window gets
    // to them: each carries its own text, the newest replaces those still
    // waiting, and the user's search stays on the history.
    window_->searchBar().box().setEditText(QStringLiteral("hao3"));
    window_->searchFromBox();
    window_->desktop().lookUpText(QStringLiteral("好"));
    window_->desktop().handleLocatorMessage(0x507, 0x4F60, 0);  // 你
    window_->desktop().lookUpText(QStringLiteral("你好"));
    EXPECT_EQ(shown(), (std::vector<std::string>{"你好", "你好吗", "你好吗呢"}));
    EXPECT_EQ(window_->history().entries(),
              (std::vector<std::string>{"find 0 1 hao3", "find 0 1 你好"}));
    EXPECT_EQ(window_->searchBar().box().currentText(), QStringLiteral("你好"));
    EXPECT_EQ(window_->dropDown().entries().front(), u"你好");

    // Lookups spaced out are each served, in order.
    window_->desktop().handleLocatorMessage(0x507, 0x597D, 0);  // 好
    EXPECT_EQ(shown(), (std::vector<std::string>{"好"}));
    window_->desktop().handleLocatorMessage(0x507, 0x4F60, 0);  // 你
    EXPECT_EQ(shown(), (std::vector<std::string>{"你", "你好", "你好吗", "你好吗呢"}));
    EXPECT_EQ(window_->history().entries().size(), 4u);
}

TEST_F(DesktopTest, LocatorNamesArePrivateAndALiveOneIsNeverTaken) {
    // The name is a socket in this session's runtime folder.
    const QString path = platform::localServerPath(locatorName_);
    EXPECT_EQ(path, qEnvironmentVariable("XDG_RUNTIME_DIR") + QLatin1Char('/') + locatorName_);
    // A second copy neither takes the name nor removes the first's socket.
    {
        HiddenLocator second(
            [](uint32_t, int64_t, int64_t) { ADD_FAILURE() << "second copy reached"; });
        EXPECT_FALSE(second.listen(locatorName_));
    }
    EXPECT_TRUE(std::filesystem::exists(path.toStdString()));
    ASSERT_TRUE(send(frame(0x507, 0x4F60, 0)));
    EXPECT_EQ(window_->history().entries().size(), 1u);

    // A socket file that nobody serves (a copy that crashed) is replaced.
    const QString stale =
        QStringLiteral("TulvoStaleTest%1").arg(QCoreApplication::applicationPid());
    {
        QLocalServer crashed;
        ASSERT_TRUE(crashed.listen(platform::localServerPath(stale)));
        crashed.setSocketOptions(QLocalServer::UserAccessOption);
        // Leave the file behind as a killed process would.
        ::rename(QFile::encodeName(platform::localServerPath(stale)).constData(),
                 QFile::encodeName(platform::localServerPath(stale) + "~").constData());
    }
    ::rename(QFile::encodeName(platform::localServerPath(stale) + "~").constData(),
             QFile::encodeName(platform::localServerPath(stale)).constData());
    EXPECT_FALSE(platform::serverAccepts(stale));
    HiddenLocator fresh([](uint32_t, int64_t, int64_t) {});
    EXPECT_TRUE(fresh.listen(stale));
    EXPECT_TRUE(platform::serverAccepts(stale));
}

TEST_F(DesktopTest, WithoutAUsableRuntimeFolderNamesLiveInAPrivateFolder) {
    const QByteArray runtime = qgetenv("XDG_RUNTIME_DIR");
    const auto privateOne = [](const QString& path) {
        struct stat info {};
        const QByteArray folder = QFile::encodeName(QFileInfo(path).path());
        return ::lstat(folder.constData(), &info) == 0 && S_ISDIR(info.st_mode) &&
               info.st_uid == ::geteuid() && (info.st_mode & 077) == 0;
    };
    // Unset, or open to others: the user's own folder in the temporary directory.
    TempDir open;
    std::filesystem::permissions(open.path(), std::filesystem::perms::all);
    for (const QByteArray& value :
         {QByteArray(), QFile::encodeName(QString::fromStdString(open.path().string()))}) {
        qputenv("XDG_RUNTIME_DIR", value);
        const QString path = platform::localServerPath(QStringLiteral("TulvoHiddenLocator"));
        EXPECT_TRUE(path.endsWith(QStringLiteral("/tulvo-%1/TulvoHiddenLocator").arg(::geteuid())))
            << path.toStdString();
        EXPECT_TRUE(privateOne(path)) << path.toStdString();
    }
    qputenv("XDG_RUNTIME_DIR", runtime);
}

TEST_F(DesktopTest, AMessengerThatAcceptsButDoesNotAnswerExists) {
    const QString title =
        QStringLiteral("TulvoSilentTest%1").arg(QCoreApplication::applicationPid());
    EXPECT_FALSE(platform::sendMessage(title, 0x50B, 0, 0, 100).has_value());
    QLocalServer silent;
    ASSERT_TRUE(silent.listen(platform::localServerPath(title)));
    // Nobody reads or answers: the window is there all the same.
    const auto reply = platform::sendMessage(title, 0x50B, 0, 0, 100);
    ASSERT_TRUE(reply.has_value());
    EXPECT_EQ(*reply, 0);
}

TEST_F(DesktopTest, ClipboardFileIsPrivateAndHoldsNoMetaFormats) {
    auto* data = new QMimeData;
    data->setText(QStringLiteral("password"));
    data->setData(QStringLiteral("TARGETS"), QByteArray(8, 'a'));
    data->setData(QStringLiteral("TIMESTAMP"), QByteArray(4, 't'));
    QGuiApplication::clipboard()->setMimeData(data);
    const auto file = dir_ / "clipboard.tmp";
    ASSERT_TRUE(saveClipboard(file));
    struct stat info {};
    ASSERT_EQ(::stat(file.c_str(), &info), 0);
    EXPECT_EQ(info.st_mode & 0777, 0600u);
    const auto records = readClipboardFile(file);
    ASSERT_TRUE(records.has_value());
    ASSERT_EQ(records->size(), 1u);
    EXPECT_EQ(clipboardFormatName(records->front().format), QStringLiteral("text/plain"));
}

TEST_F(DesktopTest, ClipboardSavedAndRestoredWithoutOversizedFormats) {
    auto* data = new QMimeData;
    data->setText(QStringLiteral("before"));
    data->setData(QStringLiteral("application/x-small"), QByteArray("\0\1\2", 3));
    data->setData(QStringLiteral("image/x-large"), QByteArray(2'000'000, 'p'));
    QGuiApplication::clipboard()->setMimeData(data);
    const auto file = dir_ / "clipboard.tmp";
    ASSERT_TRUE(saveClipboard(file));
    const auto records = readClipboardFile(file);
    ASSERT_TRUE(records.has_value());
    EXPECT_EQ(records->size(), 2u);
    QGuiApplication::clipboard()->clear();
    restoreClipboard(file);
    EXPECT_FALSE(std::filesystem::exists(file));
    const QMimeData* back = QGuiApplication::clipboard()->mimeData();
    EXPECT_EQ(back->text(), QStringLiteral("before"));
    EXPECT_EQ(back->data(QStringLiteral("application/x-small")), QByteArray("\0\1\2", 3));
    EXPECT_FALSE(back->hasFormat(QStringLiteral("image/x-large")));
}

TEST_F(DesktopTest, CaptureKeepsTheClipboardAndSearchesWhatWasCopied) {
    // Without an X11 session no Ctrl+C reaches another program: the emptied
    // clipboard pastes nothing, and the search runs on empty text.
    QGuiApplication::clipboard()->setText(QStringLiteral("你好"));
    window_->searchBar().box().setEditText(QStringLiteral("好"));
    window_->desktop().captureSelection();
    // A second press during the capture captures again after it.
    window_->desktop().captureSelection();
    tulvo::testing::waitForSearches(*window_);
    QTest::qWait(50);
    tulvo::testing::waitForSearches(*window_);
    EXPECT_EQ(QGuiApplication::clipboard()->text(), QStringLiteral("你好"));
    EXPECT_FALSE(std::filesystem::exists(dir_ / "clipboard.tmp"));
    EXPECT_TRUE(window_->searchBar().box().currentText().isEmpty());
    EXPECT_EQ(window_->history().entries(), (std::vector<std::string>{"find 0 1 ", "find 0 1 "}));
}

TEST_F(DesktopTest, HotkeyNeedsX11AndSpeechNeedsAnEngine) {
    window_->registerHotkey(10);
    EXPECT_EQ(window_->registeredHotkey(), 10);
    EXPECT_EQ(window_->desktop().grabbedHotkey(), 0);  // offscreen: refused silently
    QStringList reports;
    EXPECT_FALSE(window_->speech().create([&](const QString& m) { reports << m; },
                                          QStringLiteral("no-such-engine")));
    EXPECT_EQ(reports, QStringList{QStringLiteral("Creation of SpVoice object failed:")});
    EXPECT_FALSE(window_->speech().available());
    window_->speech().speak(u"你好");  // does nothing
}

TEST(DownloadProgressWindow, EveryStageTextIsWholeInTheUpperHalfAtEveryTextSize) {
    const std::string domain = updates::domainOf(updates::dictionaryUrl());
    const std::string stages[][2] = {
        {"Downloading file from " + domain, "Please wait a moment . . ."},
        {"Unzipping the CEDICT file.", "Please wait a minute . . ."},
        {"Rebuilding the dictionary index.", "Please wait a minute . . ."}};
    for (const char* size : {"small", "medium", "large"}) {
        DownloadProgressWindow window(fontHeightsFor(size).label);
        for (const auto& [stage, wait] : stages) {
            const QString text = QString::fromStdString(progressText(stage, wait));
            window.showText(text);
            ASSERT_TRUE(window.isVisible());
            EXPECT_EQ(window.windowTitle(),
                      QStringLiteral("Tulvo - Loading the CEDICT dictionary file"));
            EXPECT_EQ(window.frameGeometry().size(), QSize(350, 200));
            EXPECT_EQ(window.text(), text);
            // Where the label draws the text, inside the window's upper half.
            const auto* label = window.findChild<QLabel*>();
            ASSERT_NE(label, nullptr);
            EXPECT_EQ(label->geometry().topLeft(), QPoint(20, 0));
            const QRect drawn =
                label->fontMetrics()
                    .boundingRect(label->contentsRect(), int(label->alignment()), text)
                    .translated(label->pos());
            EXPECT_TRUE(QRect(0, 0, window.width(), window.height() / 2).contains(drawn))
                << size << " " << stage;
        }
    }
}
