#include "characters/stroke_order_box.hpp"

#include <QMouseEvent>
#include <QPainter>
#include <QPolygon>
#include <algorithm>

namespace tulvo::characters {
namespace {

constexpr int kBoxSize = 101;  // the area cleared: 201..301 and top..top + 100
constexpr int kCanvasSize = 400;
constexpr int kSmoothedSize = 100;
constexpr int kTickMilliseconds = 10;
// A tick hands control back to the event loop after this long, so that
// painting and input go on even with a zero line delay.
constexpr double kSliceMilliseconds = 12;
// After the loop was blocked (a long search), at most this much drawing is
// caught up at once; the rest of the character keeps its pace.
constexpr double kMaxLagMilliseconds = 20;
constexpr double kPauseMilliseconds = 200;

QColor strokeColour(bool brown) {
    return brown ? QColor(kBrownRed, kBrownGreen, kBrownBlue) : QColor(Qt::black);
}

}  // namespace

StrokeOrderBox::StrokeOrderBox(std::filesystem::path strokeFile, QWidget* parent)
    : QWidget(parent),
      file_(std::move(strokeFile)),
      // One event pass after each line; the pace comes from the clock.
      animation_(file_, 1),
      canvas_(kCanvasSize, kCanvasSize, QImage::Format_RGB32),
      smoothed_(kSmoothedSize, kSmoothedSize, QImage::Format_RGB32),
      screen_(kBoxSize, kBoxSize, QImage::Format_RGB32) {
    canvas_.fill(Qt::white);
    smoothed_.fill(Qt::white);
    screen_.fill(Qt::white);
    setGeometry(kStrokeBoxLeft, top_, kBoxSize, kBoxSize);
    setAttribute(Qt::WA_OpaquePaintEvent);
    timer_.setInterval(kTickMilliseconds);
    timer_.setTimerType(Qt::PreciseTimer);
    connect(&timer_, &QTimer::timeout, this, &StrokeOrderBox::tick);
    clock_.start();
}

void StrokeOrderBox::setTop(int top) {
    top_ = top;
    move(kStrokeBoxLeft, top);
}

void StrokeOrderBox::animate(char16_t character) {
    animation_.setCharacter(character);
    request();
}

void StrokeOrderBox::request() {
    animation_.request();
    wake();
}

void StrokeOrderBox::stop() {
    animation_.stop();
    wake();
}

void StrokeOrderBox::wake() {
    // A line delay or a pause in progress ends now: the machine sees the
    // change at its next check.
    waitUntil_ = 0;
    if (!timer_.isActive()) timer_.start();
}

void StrokeOrderBox::tick() {
    const auto now = [this] { return double(clock_.nsecsElapsed()) / 1e6; };
    const double sliceStart = now();
    for (;;) {
        const double at = now();
        if (at < waitUntil_ || at - sliceStart > kSliceMilliseconds) return;
        const AnimationStep step = animation_.next();
        switch (step.kind) {
            case AnimationStep::Sleep:
                // Idle: nothing to do until the next request.
                timer_.stop();
                return;
            case AnimationStep::Clear:
                canvas_.fill(Qt::white);
                smoothed_.fill(Qt::white);
                screen_.fill(Qt::white);
                linesDrawn_ = 0;
                due_ = at;
                update();
                emit started();
                break;
            case AnimationStep::FillStroke:
                fillStroke(step);
                break;
            case AnimationStep::DrawLine:
                drawLine(step);
                break;
            case AnimationStep::ProcessEvents:
                // The line's delay: the next one waits for its time.
                due_ = std::max(due_ + lineMilliseconds_, at - kMaxLagMilliseconds);
                waitUntil_ = due_;
                break;
            case AnimationStep::Pause:
                due_ = waitUntil_ = at + kPauseMilliseconds;
                return;
            case AnimationStep::Finished:
                // Events are processed once before the state returns to idle.
                emit finished();
                return;
        }
    }
}

void StrokeOrderBox::fillStroke(const AnimationStep& step) {
    QPolygon polygon;
    for (const GlyphPoint& p : step.polygon) polygon << QPoint(p.x, p.y);
    {
        QPainter painter(&canvas_);
        const QColor colour = strokeColour(step.brown);
        painter.setPen(QPen(colour, 1));
        painter.setBrush(colour);
        painter.drawPolygon(polygon);
    }
    // Reduced to the box's size, averaging 4 × 4 pixels: the strokes so far
    // with smooth edges.
    smoothed_ = canvas_.scaled(kSmoothedSize, kSmoothedSize, Qt::IgnoreAspectRatio,
                               Qt::SmoothTransformation);
}

void StrokeOrderBox::drawLine(const AnimationStep& step) {
    const QPoint from(step.from.x - kStrokeBoxLeft, step.from.y);
    const QPoint to(step.to.x - kStrokeBoxLeft, step.to.y);
    {
        QPainter painter(&screen_);
        painter.setPen(QPen(strokeColour(step.brown), 0));
        painter.drawLine(from, to);
    }
    // The flat line's ends take the smoothed colours, so the stroke's edge
    // is soft where the sweep meets it.
    for (const QPoint& end : {from, to})
        if (smoothed_.rect().contains(end)) screen_.setPixel(end, smoothed_.pixel(end));
    ++linesDrawn_;
    update();
}

void StrokeOrderBox::editStrokes(char16_t character, const std::filesystem::path& program,
                                 const ProgramStarter& start) {
    characters::editStrokes(
        file_, animation_, character,
        [&](const std::string&, const std::string& argument, std::function<void()> ended) {
            std::error_code error;
            if (!std::filesystem::is_regular_file(program, error) || !start) return ended();
            start(program, {argument}, [this, ended = std::move(ended)] {
                ended();
                wake();
            });
        });
    wake();
}

void StrokeOrderBox::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    painter.drawImage(0, 0, screen_);
}

void StrokeOrderBox::mousePressEvent(QMouseEvent* event) {
    if (pressesIgnored_ && pressesIgnored_()) return;
    const char16_t shown = character();
    if (event->button() == Qt::RightButton) {
        if (shown != 0) emit menuRequested(shown, event->globalPosition().toPoint());
        return;
    }
    if (shown != 0) emit speakRequested(shown);
    request();
}

void StrokeOrderBox::mouseDoubleClickEvent(QMouseEvent* event) {
    if (event->button() == Qt::LeftButton && character() >= 0x4000)
        emit lookupRequested(character());
}

}  // namespace tulvo::characters
