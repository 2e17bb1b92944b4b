#include "handwriting/candidate_grid.hpp"

#include <QMouseEvent>
#include <QPainter>

#include "handwriting/candidate_cells.hpp"
#include "handwriting/matcher.hpp"

namespace tulvo::handwriting {

CandidateGrid::CandidateGrid(QWidget* parent) : QWidget(parent) {
    setAttribute(Qt::WA_OpaquePaintEvent);
}

void CandidateGrid::setCandidates(const CandidateList& list) {
    for (int slot = 0; slot < kCandidateSlots; ++slot) {
        const int32_t code = list.codeAt(slot);
        slots_[size_t(slot)] = code > 0 && code <= 0xFFFF ? char16_t(code) : 0;
    }
    update();
}

void CandidateGrid::clear() {
    slots_.fill(0);
    update();
}

char16_t CandidateGrid::at(int slot) const {
    return slot >= 0 && slot < kCandidateSlots ? slots_[size_t(slot)] : 0;
}

void CandidateGrid::paintEvent(QPaintEvent*) {
    QPainter p(this);
    p.fillRect(rect(), Qt::white);
    p.setPen(Qt::black);
    p.setFont(font());
    for (int slot = 0; slot < kCandidateSlots && slots_[size_t(slot)] != 0; ++slot) {
        const CellRect c = candidateCell(slot);
        // Centred across the cell, from its top: a 36-pixel character is
        // taller than the 32-pixel cell and is not clipped to it.
        p.drawText(QRect(c.left, c.top, c.width, c.height),
                   Qt::AlignHCenter | Qt::AlignTop | Qt::TextDontClip,
                   QString(QChar(slots_[size_t(slot)])));
    }
}

void CandidateGrid::mousePressEvent(QMouseEvent* event) {
    const QPoint at = event->position().toPoint();
    const char16_t character = this->at(candidateSlotAt(at.x(), at.y()));
    if (character == 0) return;
    if (event->button() == Qt::LeftButton)
        emit candidateClicked(character);
    else if (event->button() == Qt::RightButton)
        emit candidateRightClicked(character, event->globalPosition().toPoint());
}

}  // namespace tulvo::handwriting
