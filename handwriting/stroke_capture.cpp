#include "handwriting/stroke_capture.hpp"

#include <algorithm>

namespace tulvo::handwriting {

void KeyPointBox::widen(int x, int y) {
    minX = std::min(minX, x);
    maxX = std::max(maxX, x);
    minY = std::min(minY, y);
    maxY = std::max(maxY, y);
}

void PadCapture::penDown(int x, int y) {
    // The pad only sees presses on its own surface; clamping here keeps a
    // stored point from ever reading as an end record.
    last_ = PadPoint{static_cast<uint16_t>(std::clamp(x, 0, kPadSize - 1)),
                     static_cast<uint16_t>(std::clamp(y, 0, kPadSize - 1))};
    penDown_ = true;
    strokeStart_ = drawing_.buffer.size();
    drawing_.buffer.push_back(last_);
}

bool PadCapture::penMove(int x, int y, InkLine* ink) {
    if (!penDown_) return false;
    const PadPoint here{static_cast<uint16_t>(std::clamp(x, kMoveMin, kMoveMax)),
                        static_cast<uint16_t>(std::clamp(y, kMoveMin, kMoveMax))};
    if (ink) *ink = InkLine{last_, here};
    const int dx = int(here.x) - int(last_.x);
    const int dy = int(here.y) - int(last_.y);
    if (dx * dx + dy * dy <= 25) return false;
    drawing_.buffer.push_back(here);
    last_ = here;
    return true;
}

bool PadCapture::penUp(InkLine* tick, bool* tickDrawn) {
    if (tickDrawn) *tickDrawn = false;
    if (!penDown_) return false;
    penDown_ = false;
    if (drawing_.buffer.size() == strokeStart_ + 1) {
        const PadPoint end{last_.x, static_cast<uint16_t>(last_.y + 3)};
        if (tick) *tick = InkLine{last_, end};
        if (tickDrawn) *tickDrawn = true;
        drawing_.buffer.push_back(end);
        last_ = end;
    }
    drawing_.buffer.push_back(kEndRecord);
    ++drawing_.strokeCount;
    return true;
}

void PadCapture::erase() {
    drawing_.clear();
    penDown_ = false;
    strokeStart_ = 0;
}

std::vector<std::vector<PadPoint>> strokePolylines(const std::vector<PadPoint>& buffer) {
    std::vector<std::vector<PadPoint>> lines;
    bool startNew = true;
    for (const PadPoint& p : buffer) {
        if (p == kEndRecord) {
            startNew = true;
            continue;
        }
        if (startNew) lines.emplace_back();
        startNew = false;
        lines.back().push_back(p);
    }
    return lines;
}

}  // namespace tulvo::handwriting
