// Order-free shape features of a written character: the ink of every stroke,
// split by direction (four undirected ones) into an 8 × 8 grid over the
// character's box. The order of the strokes, how they are split or joined and
// how densely the mouse reported them change it little, so it finds a
// character whatever order its strokes were written in.
#pragma once

#include <array>
#include <cstdint>
#include <span>
#include <vector>

#include "handwriting/stroke_capture.hpp"

namespace tulvo::handwriting {

struct PointF {
    float x = 0;
    float y = 0;
};
using StrokeF = std::vector<PointF>;

inline constexpr int kShapeGrid = 8;
inline constexpr int kShapeDirections = 4;
inline constexpr int kShapeFeatureSize = kShapeGrid * kShapeGrid * kShapeDirections;

// Share of the ink per direction and cell, before quantising.
using ShapeValues = std::array<float, kShapeFeatureSize>;
// The square roots of the shares, scaled to bytes.
using ShapeFeature = std::array<uint8_t, kShapeFeatureSize>;

// The ink of the strokes (any units, y down), normalised to their common box:
// each side scaled by its own extent, an extent under half of the other one
// raised to half (a horizontal line stays a line across the middle). All
// zero when the strokes hold no ink.
ShapeValues shapeValues(std::span<const StrokeF> strokes);
ShapeFeature quantiseShape(const ShapeValues& values);
// Spreads each cell's ink a little onto its neighbours (weights 1 2 1 across
// and down), as a feature averaged over many writings is spread.
ShapeValues blurShape(const ShapeValues& values);
inline ShapeFeature shapeFeature(std::span<const StrokeF> strokes) {
    return quantiseShape(shapeValues(strokes));
}

// Squared distance of two features.
uint32_t shapeDistance(const ShapeFeature& a, const uint8_t* b);

// The completed strokes of a stroke buffer, as points.
std::vector<StrokeF> strokesOf(const std::vector<PadPoint>& buffer);

}  // namespace tulvo::handwriting
