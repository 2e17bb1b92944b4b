// Feature extraction shared by the user's strokes and the template builder:
// each stroke is reduced to a few key points, and consecutive key points
// give segments with a pixel length and a direction code.
#pragma once

#include <cstdint>
#include <span>
#include <vector>

#include "handwriting/stroke_capture.hpp"

namespace tulvo::handwriting {

// Key points of one stroke's points (at least two; end record excluded):
// corners and places where the path bent too far since the last key point,
// with key points closer than 12.5 pixels collapsed. Always keeps the last
// point. Fewer than two points give the points unchanged.
std::vector<PadPoint> keyPoints(std::span<const PadPoint> stroke);

// Direction code of the move (dx, dy) in pad pixels (y down): the
// counter-clockwise angle from the right, y up, scaled to 0..255 by
// 256 / 6.29. Right 0, up 63, left 127, down 191 (also a zero move).
uint8_t directionCode(int dx, int dy);

// Pixel length of the move, truncated.
uint16_t segmentLength(int dx, int dy);

// Reduces every completed stroke of the buffer beyond the processed records
// to segments: widens the box by its key points and appends one length and
// direction per pair of key points. Then everything is processed. Returns
// the number of strokes reduced.
int reduceNewStrokes(Drawing& drawing);

}  // namespace tulvo::handwriting
