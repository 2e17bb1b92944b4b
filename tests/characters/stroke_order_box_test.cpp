// The stroke-order box under the offscreen platform: the animation's states
// as requests and stops arrive, the pixels of finished characters, the mouse
// and the stroke editor hand-off.
#include "characters/stroke_order_box.hpp"

#include <gtest/gtest.h>

#include <QProcess>
#include <QSignalSpy>
#include <QTest>

#include "tests/support/temp_dir.hpp"

using namespace tulvo::characters;
using tulvo::testing::TempDir;

namespace {

Stroke box(uint8_t direction, uint8_t colour, int x0, int y0, int x1, int y1) {
    Stroke s;
    s.direction = direction;
    s.colour = colour;
    s.outline = {{x0, y0}, {x1, y0}, {x1, y1}, {x0, y1}};
    return s;
}

// 一: one black bar written left to right over glyph x 30..226, y 120..136
// (box pixels 11..88 and 46..53). 十: the bar, then a brown upright written
// top to bottom over x 120..136 (box 46..53), y 20..236 (box 7..92).
const Stroke kBar = box(kLeftToRight, 0, 30, 120, 226, 136);
const Stroke kUpright = box(kTopToBottom, 1, 120, 20, 136, 236);

std::string strokeFile(const std::vector<CharacterStrokes>& characters) {
    std::string bytes, error;
    EXPECT_TRUE(strokeOrderBytes(characters, bytes, &error)) << error;
    return bytes;
}

bool isGrey(QColor c) {
    return c.red() == c.green() && c.green() == c.blue() && c.red() > 0 && c.red() < 255;
}

class StrokeOrderBoxTest : public ::testing::Test {
  protected:
    StrokeOrderBoxTest() {
        dir.write("data/strokeorderdata.dat",
                  strokeFile({{u'一', {kBar}}, {u'十', {kBar, kUpright}}, {u'〇', {}}}));
        window.resize(400, 300);
        strokeBox = std::make_unique<StrokeOrderBox>(dir / "data/strokeorderdata.dat", &window);
        strokeBox->setTop(45);
        window.show();
    }

    // Animates `character` to the end, without line delays.
    void drawWhole(char16_t character) {
        strokeBox->setLineMilliseconds(0);
        strokeBox->animate(character);
        ASSERT_TRUE(QTest::qWaitFor([&] { return strokeBox->state() == kAnimationIdle; }, 5000));
    }

    TempDir dir;
    QWidget window;
    std::unique_ptr<StrokeOrderBox> strokeBox;
};

}  // namespace

TEST_F(StrokeOrderBoxTest, FinishedBarIsBlackWithSmoothedEdges) {
    EXPECT_EQ(strokeBox->geometry(), QRect(201, 45, 101, 101));
    drawWhole(u'一');
    const QImage& drawn = strokeBox->drawing();
    for (int y = 47; y <= 52; ++y)
        for (int x = 13; x <= 86; ++x)
            ASSERT_EQ(drawn.pixelColor(x, y), QColor(Qt::black)) << x << "," << y;
    // The ends of each sweep line lie on the bar's long edges and take the
    // smoothed colour: neither black nor white.
    EXPECT_TRUE(isGrey(drawn.pixelColor(50, 46)));
    EXPECT_TRUE(isGrey(drawn.pixelColor(50, 53)));
    for (int x : {0, 5, 95, 100}) EXPECT_EQ(drawn.pixelColor(x, 50), QColor(Qt::white)) << x;
    for (int y : {0, 40, 60, 100}) EXPECT_EQ(drawn.pixelColor(50, y), QColor(Qt::white)) << y;
    // The smoothed image holds the whole stroke, grey at its edges.
    EXPECT_EQ(strokeBox->smoothed().pixelColor(50, 50), QColor(Qt::black));
    EXPECT_TRUE(isGrey(strokeBox->smoothed().pixelColor(50, 46)));
    // What is painted on screen is the drawing.
    EXPECT_EQ(strokeBox->grab().toImage().convertToFormat(QImage::Format_RGB32), drawn);
}

TEST_F(StrokeOrderBoxTest, RadicalStrokesAreBrownAndNewCharactersClearTheBox) {
    drawWhole(u'十');
    const QImage& drawn = strokeBox->drawing();
    const QColor brown(128, 64, 0);
    EXPECT_EQ(drawn.pixelColor(50, 20), brown);
    EXPECT_EQ(drawn.pixelColor(50, 80), brown);
    EXPECT_EQ(drawn.pixelColor(20, 50), QColor(Qt::black));
    // The upright came second, over the bar.
    EXPECT_EQ(drawn.pixelColor(50, 50), brown);

    drawWhole(u'一');
    EXPECT_EQ(strokeBox->drawing().pixelColor(50, 20), QColor(Qt::white));
    // Not in the file, or without strokes: a blank box, back to idle.
    for (char16_t blank : {u'二', u'〇'}) {
        drawWhole(blank);
        EXPECT_EQ(strokeBox->drawing().pixelColor(20, 50), QColor(Qt::white));
        EXPECT_EQ(strokeBox->linesDrawn(), 0);
    }
}

TEST_F(StrokeOrderBoxTest, RequestsStopsAndRestartsFromTheFirstStroke) {
    QSignalSpy started(strokeBox.get(), &StrokeOrderBox::started);
    strokeBox->setLineMilliseconds(4);
    EXPECT_EQ(strokeBox->state(), kAnimationIdle);
    strokeBox->animate(u'十');
    EXPECT_EQ(strokeBox->state(), kAnimationRequested);  // noticed by the loop, not here
    EXPECT_EQ(strokeBox->character(), u'十');
    ASSERT_TRUE(QTest::qWaitFor([&] { return strokeBox->linesDrawn() > 20; }, 5000));
    EXPECT_EQ(strokeBox->state(), kAnimationRunning);
    // Drawn at the pace of the clock: far from finished yet.
    EXPECT_LT(strokeBox->linesDrawn(), 200);

    // A new request while drawing: the box is cleared and the first stroke
    // is drawn again.
    const int before = strokeBox->linesDrawn();
    strokeBox->request();
    EXPECT_EQ(strokeBox->state(), kAnimationRequested);
    ASSERT_TRUE(QTest::qWaitFor([&] { return started.count() == 2; }, 5000));
    EXPECT_EQ(strokeBox->state(), kAnimationRunning);
    EXPECT_LT(strokeBox->linesDrawn(), before);

    // A stop (a new layout, the application deactivated): nothing more is drawn.
    strokeBox->stop();
    EXPECT_EQ(strokeBox->state(), kAnimationIdle);
    QTest::qWait(30);
    const int stoppedAt = strokeBox->linesDrawn();
    QTest::qWait(60);
    EXPECT_EQ(strokeBox->linesDrawn(), stoppedAt);
    EXPECT_EQ(strokeBox->state(), kAnimationIdle);

    // Asked again, it runs to the end and idles.
    QSignalSpy finished(strokeBox.get(), &StrokeOrderBox::finished);
    strokeBox->setLineMilliseconds(0);
    strokeBox->request();
    ASSERT_TRUE(QTest::qWaitFor([&] { return strokeBox->state() == kAnimationIdle; }, 5000));
    EXPECT_EQ(finished.count(), 1);
    EXPECT_EQ(started.count(), 3);
}

TEST_F(StrokeOrderBoxTest, LinesFollowTheClock) {
    // Each line waits for its time: 十's some 800 lines at 1 ms each take
    // at least that long, however fast the machine draws.
    QElapsedTimer clock;
    clock.start();
    strokeBox->setLineMilliseconds(1);
    strokeBox->animate(u'十');
    ASSERT_TRUE(QTest::qWaitFor([&] { return strokeBox->state() == kAnimationIdle; }, 20000));
    EXPECT_GT(strokeBox->linesDrawn(), 700);
    EXPECT_GE(clock.elapsed(), strokeBox->linesDrawn() - 1);
}

TEST_F(StrokeOrderBoxTest, MouseButtons) {
    drawWhole(u'十');
    QSignalSpy menu(strokeBox.get(), &StrokeOrderBox::menuRequested);
    QSignalSpy speak(strokeBox.get(), &StrokeOrderBox::speakRequested);
    QSignalSpy lookup(strokeBox.get(), &StrokeOrderBox::lookupRequested);

    QTest::mouseClick(strokeBox.get(), Qt::RightButton, {}, QPoint(50, 50));
    ASSERT_EQ(menu.count(), 1);
    EXPECT_EQ(menu.at(0).at(0).value<char16_t>(), u'十');
    EXPECT_EQ(strokeBox->state(), kAnimationIdle);

    QTest::mouseClick(strokeBox.get(), Qt::MiddleButton, {}, QPoint(50, 50));
    EXPECT_EQ(speak.count(), 1);
    EXPECT_EQ(strokeBox->state(), kAnimationRequested);
    strokeBox->stop();

    QTest::mouseDClick(strokeBox.get(), Qt::LeftButton, {}, QPoint(10, 10));
    ASSERT_EQ(lookup.count(), 1);
    EXPECT_EQ(lookup.at(0).at(0).value<char16_t>(), u'十');

    // While the radical window is open, presses do nothing.
    strokeBox->stop();
    bool radicalWindowOpen = true;
    strokeBox->setPressesIgnored([&] { return radicalWindowOpen; });
    QTest::mouseClick(strokeBox.get(), Qt::LeftButton, {}, QPoint(50, 50));
    QTest::mouseClick(strokeBox.get(), Qt::RightButton, {}, QPoint(50, 50));
    EXPECT_EQ(strokeBox->state(), kAnimationIdle);
    EXPECT_EQ(menu.count(), 1);
    EXPECT_EQ(speak.count(), 1);
}

TEST_F(StrokeOrderBoxTest, StrokeEditorRunsWithoutBlockingAndTheBoxShowsWhatItWrote) {
    drawWhole(u'一');
    // The editor notes its argument, waits until told to go on, then makes
    // 一 an upright stroke.
    dir.write("data/edited.dat", strokeFile({{u'一', {kUpright}}}));
    const auto editor =
        dir.write("data/tramboli",
                  "#!/bin/sh\nd=$(dirname \"$0\")\necho \"$1\" > \"$d/argument.txt\"\n"
                  "while [ ! -e \"$d/go\" ]; do sleep 0.02; done\n"
                  "cp \"$d/edited.dat\" \"$d/strokeorderdata.dat\"\n");
    std::filesystem::permissions(editor, std::filesystem::perms::owner_all);
    // Started as the window starts its helpers: without waiting for them.
    int started = 0;
    const auto start = [&](const std::filesystem::path& program, std::vector<std::string> arguments,
                           std::function<void()> ended) {
        ++started;
        auto* process = new QProcess(strokeBox.get());
        QObject::connect(process, &QProcess::finished, process, [process, ended] {
            process->deleteLater();
            ended();
        });
        QStringList words;
        for (const auto& word : arguments) words << QString::fromStdString(word);
        process->start(QString::fromStdString(program.string()), words);
    };
    strokeBox->setLineMilliseconds(0);
    strokeBox->editStrokes(u'一', editor, start);
    // The call returns while the editor runs, with the file closed for it.
    EXPECT_EQ(started, 1);
    EXPECT_FALSE(strokeBox->file().isOpen());
    ASSERT_TRUE(
        QTest::qWaitFor([&] { return std::filesystem::exists(dir / "data/argument.txt"); }, 5000));
    EXPECT_EQ(tulvo::testing::TempDir::read(dir / "data/argument.txt"), "00004E00\n");
    dir.write("data/go", "");
    ASSERT_TRUE(QTest::qWaitFor([&] { return strokeBox->file().isOpen(); }, 5000));
    EXPECT_EQ(strokeBox->file().count(), 1u);
    ASSERT_TRUE(QTest::qWaitFor([&] { return strokeBox->state() == kAnimationIdle; }, 5000));
    EXPECT_EQ(strokeBox->drawing().pixelColor(50, 20), QColor(128, 64, 0));
    EXPECT_EQ(strokeBox->drawing().pixelColor(20, 50), QColor(Qt::white));

    // No editor: nothing is started, the file is opened again and the
    // character drawn again.
    strokeBox->editStrokes(u'一', dir / "data/no-such-editor", start);
    EXPECT_EQ(started, 1);
    EXPECT_TRUE(strokeBox->file().isOpen());
    EXPECT_EQ(strokeBox->state(), kAnimationRequested);
    ASSERT_TRUE(QTest::qWaitFor([&] { return strokeBox->state() == kAnimationIdle; }, 5000));
    EXPECT_GT(strokeBox->linesDrawn(), 0);
}
