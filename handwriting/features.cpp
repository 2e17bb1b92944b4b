#include "handwriting/features.hpp"

#include <cmath>
#include <numbers>

namespace tulvo::handwriting {

namespace {

// Distances are held in single precision.
float distance(PadPoint a, PadPoint b) {
    const float dx = float(int(a.x) - int(b.x));
    const float dy = float(int(a.y) - int(b.y));
    return std::sqrt(dx * dx + dy * dy);
}

}  // namespace

std::vector<PadPoint> keyPoints(std::span<const PadPoint> stroke) {
    if (stroke.size() < 2) return std::vector<PadPoint>(stroke.begin(), stroke.end());
    std::vector<PadPoint> keys{stroke[0]};
    PadPoint p = stroke[0], q = stroke[1], v = stroke[0];
    float length = distance(q, p);
    double walked = length;  // path length since the last key point v
    bool flag = true;
    bool previousFlag = false;
    float previousLength = 0;
    for (size_t next = 2; next < stroke.size(); ++next) {
        const PadPoint a = p;
        p = q;
        previousFlag = flag;
        q = stroke[next];
        previousLength = length;
        length = distance(q, p);
        float chord = distance(q, a);
        flag = false;
        // Lengths are held in single precision; the tests run wider.
        if (double(length) + previousLength > 1.1 * chord) {
            flag = true;  // p is a corner
        } else {
            walked += length;
            chord = distance(q, v);
            if (walked > 1.1 * chord) flag = true;  // bent too far since v
        }
        if (flag) {
            if (previousFlag && previousLength < 12.5) {
                keys.pop_back();  // two key points too close: keep the later
                previousFlag = false;
            }
            keys.push_back(p);
            v = p;
            walked = length;
        }
    }
    if (previousFlag && keys.size() > 1 && previousLength < 12.5) keys.pop_back();
    keys.push_back(q);
    return keys;
}

uint8_t directionCode(int dx, int dy) {
    constexpr double pi = std::numbers::pi;
    double theta;
    if (dx == 0) {
        theta = dy >= 0 ? 3 * pi / 2 : pi / 2;
    } else if (dx > 0) {
        theta = -std::atan(double(dy) / dx);
        if (theta < 0) theta += 2 * pi;
    } else {
        theta = pi - std::atan(double(dy) / dx);
    }
    const double code = theta * 256 / 6.29;
    return static_cast<uint8_t>(code < 255 ? code : 255);
}

uint16_t segmentLength(int dx, int dy) {
    return static_cast<uint16_t>(std::sqrt(double(dx) * dx + double(dy) * dy));
}

int reduceNewStrokes(Drawing& drawing) {
    int reduced = 0;
    const auto& buffer = drawing.buffer;
    size_t start = drawing.processedRecords;
    while (start < buffer.size()) {
        size_t end = start;
        while (end < buffer.size() && !(buffer[end] == kEndRecord)) ++end;
        if (end == buffer.size()) break;  // a stroke still being written
        const auto keys = keyPoints(std::span<const PadPoint>(buffer.data() + start, end - start));
        for (const PadPoint& k : keys) drawing.box.widen(k.x, k.y);
        for (size_t i = 1; i < keys.size(); ++i) {
            const int dx = int(keys[i].x) - int(keys[i - 1].x);
            const int dy = int(keys[i].y) - int(keys[i - 1].y);
            drawing.segmentLengths.push_back(segmentLength(dx, dy));
            drawing.directionCodes.push_back(directionCode(dx, dy));
        }
        ++reduced;
        start = end + 1;
        drawing.processedRecords = start;
    }
    return reduced;
}

}  // namespace tulvo::handwriting
