#include "handwriting/shape_features.hpp"

#include <algorithm>
#include <cmath>
#include <numbers>

namespace tulvo::handwriting {

namespace {

// Bytes per unit of the square root of an ink share.
constexpr float kQuantScale = 420.0f;
// Longest piece of a segment laid down as one step, in cells.
constexpr float kStep = 0.25f;

}  // namespace

ShapeValues shapeValues(std::span<const StrokeF> strokes) {
    ShapeValues values{};
    float minX = 1e30f, maxX = -1e30f, minY = 1e30f, maxY = -1e30f;
    for (const StrokeF& stroke : strokes)
        for (const PointF& p : stroke) {
            minX = std::min(minX, p.x), maxX = std::max(maxX, p.x);
            minY = std::min(minY, p.y), maxY = std::max(maxY, p.y);
        }
    const float w = maxX - minX, h = maxY - minY;
    const float larger = std::max(w, h);
    if (!(larger > 0)) return values;
    const float ew = std::max(w, 0.5f * larger), eh = std::max(h, 0.5f * larger);
    const float cx = (minX + maxX) / 2, cy = (minY + maxY) / 2;
    // Grid coordinates: the box spans the cell centres 0 .. 7.
    constexpr float span = kShapeGrid - 1;
    const float sx = span / ew, sy = span / eh;
    const float mid = span / 2;
    auto cellOf = [](float g, int* low, float* frac) {
        g = std::clamp(g, 0.0f, float(kShapeGrid - 1));
        int i = int(g);
        if (i >= kShapeGrid - 1) i = kShapeGrid - 2;
        *low = i;
        *frac = g - float(i);
    };
    constexpr float quarter = float(std::numbers::pi / 4);
    float total = 0;
    for (const StrokeF& stroke : strokes) {
        for (size_t k = 1; k < stroke.size(); ++k) {
            const float x0 = mid + (stroke[k - 1].x - cx) * sx;
            const float y0 = mid + (stroke[k - 1].y - cy) * sy;
            const float dx = (stroke[k].x - stroke[k - 1].x) * sx;
            const float dy = (stroke[k].y - stroke[k - 1].y) * sy;
            const float length = std::sqrt(dx * dx + dy * dy);
            if (!(length > 0)) continue;
            // The undirected angle, 0 .. π, between two of the four directions.
            float angle = std::atan2(dy, dx);
            if (angle < 0) angle += float(std::numbers::pi);
            float a = angle / quarter;
            int d0 = int(a);
            float fd = a - float(d0);
            d0 %= kShapeDirections;
            const int d1 = (d0 + 1) % kShapeDirections;
            const int steps = std::max(1, int(std::ceil(length / kStep)));
            const float piece = length / float(steps);
            for (int s = 0; s < steps; ++s) {
                const float t = (float(s) + 0.5f) / float(steps);
                int ix, iy;
                float fx, fy;
                cellOf(x0 + t * dx, &ix, &fx);
                cellOf(y0 + t * dy, &iy, &fy);
                const float cell[4] = {(1 - fx) * (1 - fy), fx * (1 - fy), (1 - fx) * fy, fx * fy};
                const int at[4] = {iy * kShapeGrid + ix, iy * kShapeGrid + ix + 1,
                                   (iy + 1) * kShapeGrid + ix, (iy + 1) * kShapeGrid + ix + 1};
                for (int c = 0; c < 4; ++c) {
                    values[size_t(at[c] * kShapeDirections + d0)] += piece * cell[c] * (1 - fd);
                    values[size_t(at[c] * kShapeDirections + d1)] += piece * cell[c] * fd;
                }
            }
            total += length;
        }
    }
    if (total > 0)
        for (float& v : values) v /= total;
    return values;
}

ShapeValues blurShape(const ShapeValues& values) {
    ShapeValues across{}, out{};
    constexpr int G = kShapeGrid, D = kShapeDirections;
    auto at = [](int y, int x, int d) { return size_t((y * G + x) * D + d); };
    for (int y = 0; y < G; ++y)
        for (int x = 0; x < G; ++x)
            for (int d = 0; d < D; ++d) {
                float sum = 2 * values[at(y, x, d)], weight = 2;
                if (x > 0) sum += values[at(y, x - 1, d)], weight += 1;
                if (x + 1 < G) sum += values[at(y, x + 1, d)], weight += 1;
                across[at(y, x, d)] = sum / weight;
            }
    for (int y = 0; y < G; ++y)
        for (int x = 0; x < G; ++x)
            for (int d = 0; d < D; ++d) {
                float sum = 2 * across[at(y, x, d)], weight = 2;
                if (y > 0) sum += across[at(y - 1, x, d)], weight += 1;
                if (y + 1 < G) sum += across[at(y + 1, x, d)], weight += 1;
                out[at(y, x, d)] = sum / weight;
            }
    return out;
}

ShapeFeature quantiseShape(const ShapeValues& values) {
    ShapeFeature out{};
    for (size_t k = 0; k < out.size(); ++k)
        out[k] = uint8_t(std::min(255.0f, std::nearbyint(std::sqrt(values[k]) * kQuantScale)));
    return out;
}

uint32_t shapeDistance(const ShapeFeature& a, const uint8_t* b) {
    uint32_t sum = 0;
    for (int k = 0; k < kShapeFeatureSize; ++k) {
        const int d = int(a[size_t(k)]) - int(b[k]);
        sum += uint32_t(d * d);
    }
    return sum;
}

std::vector<StrokeF> strokesOf(const std::vector<PadPoint>& buffer) {
    std::vector<StrokeF> strokes;
    StrokeF current;
    for (const PadPoint& p : buffer) {
        if (p == kEndRecord) {
            strokes.push_back(std::move(current));
            current.clear();
        } else {
            current.push_back({float(p.x), float(p.y)});
        }
    }
    return strokes;  // a stroke still being written is left out
}

}  // namespace tulvo::handwriting
