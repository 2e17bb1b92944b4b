#include "handwriting/writing_pad_widget.hpp"

#include <QMouseEvent>
#include <QPainter>

#include "handwriting/candidate_grid.hpp"

namespace tulvo::handwriting {
namespace {

QPen inkPen() {
    QPen pen(Qt::black, 3, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin);
    return pen;
}

QPoint toPoint(PadPoint p) {
    return QPoint(p.x, p.y);
}

}  // namespace

WritingPadWidget::WritingPadWidget(CandidateGrid& grid, std::filesystem::path recogFile,
                                   std::function<CharForm()> preference, QWidget* parent)
    : QWidget(parent),
      grid_(grid),
      recogFile_(std::move(recogFile)),
      preference_(std::move(preference)),
      surface_(kPadSize, kPadSize, QImage::Format_RGB32) {
    surface_.fill(Qt::white);
    setAttribute(Qt::WA_OpaquePaintEvent);
    setFixedSize(kPadSize, kPadSize);
}

// Without a stroke in progress the surface starts white; then every stored
// stroke is drawn through its stored points. While a stroke is written the
// live ink already on the surface stays.
void WritingPadWidget::repaintSurface() {
    QPainter p(&surface_);
    if (!capture_.penIsDown()) p.fillRect(1, 1, kPadSize - 1, kPadSize - 1, Qt::white);
    p.setPen(inkPen());
    for (const auto& line : strokePolylines(drawing_.buffer)) {
        if (line.size() == 1) {
            p.drawPoint(toPoint(line[0]));
            continue;
        }
        for (size_t i = 1; i < line.size(); ++i) p.drawLine(toPoint(line[i - 1]), toPoint(line[i]));
    }
    update();
}

void WritingPadWidget::drawInk(const InkLine& line) {
    QPainter p(&surface_);
    p.setPen(inkPen());
    p.drawLine(toPoint(line.from), toPoint(line.to));
    update();
}

void WritingPadWidget::paintEvent(QPaintEvent* event) {
    QPainter p(this);
    p.drawImage(event->rect(), surface_, event->rect());
}

void WritingPadWidget::mousePressEvent(QMouseEvent* event) {
    // Qt keeps the mouse grabbed by the widget that got the press until the
    // last button is released, so moves off the pad still arrive here.
    const QPoint at = event->position().toPoint();
    capture_.penDown(at.x(), at.y());
    repaintSurface();
}

// A second press in quick succession is still a stroke's start: treating it
// as a press keeps quick dots from being lost.
void WritingPadWidget::mouseDoubleClickEvent(QMouseEvent* event) {
    mousePressEvent(event);
}

void WritingPadWidget::mouseMoveEvent(QMouseEvent* event) {
    if (!capture_.penIsDown()) return;
    const QPoint at = event->position().toPoint();
    // Positions arrive as signed 16-bit values, as the mouse reports them.
    InkLine ink;
    capture_.penMove(int16_t(at.x()), int16_t(at.y()), &ink);
    drawInk(ink);
}

void WritingPadWidget::mouseReleaseEvent(QMouseEvent*) {
    InkLine tick;
    bool tickDrawn = false;
    if (!capture_.penUp(&tick, &tickDrawn)) return;  // no press on the pad began a stroke
    if (tickDrawn) drawInk(tick);
    analyze();
}

void WritingPadWidget::erase() {
    capture_.erase();
    repaintSurface();
    grid_.clear();
    grid_.repaint();
}

void WritingPadWidget::analyze() {
    if (!loaded_) {
        recognizer_.load(recogFile_.parent_path() / kShapesPath.filename(), recogFile_);
        loaded_ = true;
    }
    recognizer_.pass(drawing_, preference_ ? preference_() : kBothForms, [this] {
        // The grid goes empty while the pass ranks the templates.
        grid_.clear();
        grid_.repaint();
    });
    grid_.setCandidates(recognizer_.candidates());
    grid_.repaint();
}

}  // namespace tulvo::handwriting
