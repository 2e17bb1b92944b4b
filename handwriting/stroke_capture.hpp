// The writing pad's stroke buffer, the drawing state the matcher keeps, and
// the capture rules the pad widget applies to mouse presses, moves and
// releases. No drawing happens here: the handlers report what to draw.
#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

namespace tulvo::handwriting {

// One record of the stroke buffer, in pad pixels (origin top left, y down).
struct PadPoint {
    uint16_t x = 0;
    uint16_t y = 0;
    bool operator==(const PadPoint&) const = default;
};

// Ends every completed stroke in the stroke buffer.
inline constexpr PadPoint kEndRecord{0xFFFF, 0xFFFF};

inline constexpr int kPadSize = 200;
// Moves are clamped so that the 3-pixel pen stays on the 200-pixel pad.
inline constexpr int kMoveMin = 1;
inline constexpr int kMoveMax = 197;

// Bounding box of the key points so far; starts empty (9999, -1, 9999, -1).
struct KeyPointBox {
    int minX = 9999;
    int maxX = -1;
    int minY = 9999;
    int maxY = -1;
    void widen(int x, int y);
};

// The drawing: the stroke buffer and what the matcher has derived from it.
// Lives from the first stroke until "Erase".
struct Drawing {
    std::vector<PadPoint> buffer;  // point records and end records
    int strokeCount = 0;           // completed strokes
    size_t processedRecords = 0;   // records already reduced to segments
    KeyPointBox box;
    std::vector<uint16_t> segmentLengths;  // pixels, one per user segment
    std::vector<uint8_t> directionCodes;   // parallel to segmentLengths

    size_t segmentCount() const { return directionCodes.size(); }
    void clear() { *this = Drawing(); }
};

// A line the pad draws live with the ink pen.
struct InkLine {
    PadPoint from;
    PadPoint to;
};

// The capture rules of the pad. Each handler returns what the widget must
// draw; penUp() says whether a stroke was completed (a recognition pass is
// then due).
class PadCapture {
  public:
    explicit PadCapture(Drawing& drawing) : drawing_(drawing) {}

    // A press over the pad: starts a stroke at the press position. A press
    // always lies on the pad, so positions are kept within 0..199.
    void penDown(int x, int y);

    // A move while the pen is down: clamped into 1..197; the line from the
    // last recorded point is always drawn, the point is stored only when it
    // lies more than 5 pixels away. Returns whether a point was stored;
    // *ink receives the live line. Ignored while the pen is up.
    bool penMove(int x, int y, InkLine* ink = nullptr);

    // A release: ends the stroke. A one-point stroke gets a 3-pixel tick
    // downwards (reported in *tick) so every stroke has two points. A release
    // without a press on the pad does nothing and returns false.
    bool penUp(InkLine* tick = nullptr, bool* tickDrawn = nullptr);

    // "Erase": empties the buffer and every part of the drawing state.
    void erase();

    bool penIsDown() const { return penDown_; }

  private:
    Drawing& drawing_;
    bool penDown_ = false;
    PadPoint last_;
    size_t strokeStart_ = 0;  // index of the current stroke's first record
};

// The ink a repaint draws: every stored stroke as a polyline through its
// points (end records break the line). Each inner vector is one polyline.
std::vector<std::vector<PadPoint>> strokePolylines(const std::vector<PadPoint>& buffer);

}  // namespace tulvo::handwriting
