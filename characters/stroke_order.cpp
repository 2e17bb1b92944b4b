#include "characters/stroke_order.hpp"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cmath>

#include "platform/little_endian.hpp"
#include "platform/whole_file.hpp"

namespace tulvo::characters {

namespace {

void appendU32(std::string& out, uint32_t value) {
    for (int shift = 0; shift < 32; shift += 8) out.push_back(char((value >> shift) & 0xFF));
}

constexpr uint64_t kHeaderSize = 4;

}  // namespace

void closeOutline(std::vector<GlyphPoint>& outline) {
    if (!outline.empty() && outline.front() != outline.back()) outline.push_back(outline.front());
}

StrokeOrderFile::~StrokeOrderFile() {
    close();
}

void StrokeOrderFile::open(std::filesystem::path file) {
    close();
    path_ = std::move(file);
    struct stat st;
    fd_ = openRegularFile(path_, st);
    if (fd_ < 0) return;
    unsigned char n[4];
    if (st.st_size > 4 && ::pread(fd_, n, 4, 0) == 4) count_ = readLe32(n);
}

void StrokeOrderFile::close() {
    if (fd_ >= 0) ::close(fd_);
    fd_ = -1;
    count_ = 0;
}

bool StrokeOrderFile::readAt(uint64_t offset, void* into, size_t size) const {
    if (fd_ < 0) return false;
    auto* at = static_cast<char*>(into);
    while (size > 0) {
        const ssize_t got = ::pread(fd_, at, size, static_cast<off_t>(offset));
        if (got <= 0) return false;
        at += got;
        offset += uint64_t(got);
        size -= size_t(got);
    }
    return true;
}

std::vector<char16_t> StrokeOrderFile::codes() const {
    std::vector<char16_t> result;
    struct stat st;
    if (fd_ < 0 || ::fstat(fd_, &st) != 0) return result;
    // A count larger than the file can hold is cut to the codes present.
    const uint64_t present = st.st_size > 4 ? (uint64_t(st.st_size) - kHeaderSize) / 2 : 0;
    const uint64_t n = std::min<uint64_t>(count_, present);
    std::string bytes(size_t(n) * 2, '\0');
    if (n == 0 || !readAt(kHeaderSize, bytes.data(), bytes.size())) return result;
    result.reserve(size_t(n));
    for (size_t i = 0; i < size_t(n); ++i)
        result.push_back(char16_t(static_cast<unsigned char>(bytes[2 * i]) |
                                  static_cast<unsigned char>(bytes[2 * i + 1]) << 8));
    return result;
}

std::optional<std::vector<Stroke>> StrokeOrderFile::lookup(char16_t code) const {
    const std::vector<char16_t> all = codes();
    const auto it = std::find(all.begin(), all.end(), code);
    if (it == all.end()) return std::nullopt;
    const uint64_t n = count_;
    const uint64_t index = uint64_t(it - all.begin());
    unsigned char offsetBytes[4];
    if (!readAt(kHeaderSize + 2 * n + 4 * index, offsetBytes, 4)) return std::nullopt;
    uint64_t at = kHeaderSize + 6 * n + readLe32(offsetBytes);

    unsigned char strokeCount;
    if (!readAt(at++, &strokeCount, 1)) return std::nullopt;
    std::vector<Stroke> strokes(strokeCount);
    for (Stroke& stroke : strokes) {
        unsigned char header[4];
        if (!readAt(at, header, 4)) return std::nullopt;
        at += 4;
        stroke.direction = header[0];
        stroke.pause = header[1];
        stroke.colour = header[2];
        const size_t length = header[3];
        unsigned char outline[255];
        if (length > 0 && !readAt(at, outline, length)) return std::nullopt;
        at += length;
        // An odd length leaves its last byte unread as a point.
        for (size_t i = 0; i + 1 < length; i += 2)
            stroke.outline.push_back({outline[i], outline[i + 1]});
        closeOutline(stroke.outline);
    }
    return strokes;
}

bool strokeOrderBytes(const std::vector<CharacterStrokes>& characters, std::string& out,
                      std::string* error) {
    std::string records;
    std::vector<uint32_t> offsets;
    for (const CharacterStrokes& character : characters) {
        if (character.strokes.size() > 255) {
            if (error) *error = "more than 255 strokes";
            return false;
        }
        offsets.push_back(uint32_t(records.size()));
        records.push_back(char(character.strokes.size()));
        for (const Stroke& stroke : character.strokes) {
            if (stroke.outline.size() > 127) {
                if (error) *error = "an outline of more than 127 points";
                return false;
            }
            records.push_back(char(stroke.direction));
            records.push_back(char(stroke.pause));
            records.push_back(char(stroke.colour));
            records.push_back(char(2 * stroke.outline.size()));
            for (const GlyphPoint& p : stroke.outline) {
                if (p.x < 0 || p.x > 255 || p.y < 0 || p.y > 255) {
                    if (error) *error = "a point outside the 256 square";
                    return false;
                }
                records.push_back(char(p.x));
                records.push_back(char(p.y));
            }
        }
    }
    out.clear();
    appendU32(out, uint32_t(characters.size()));
    for (const CharacterStrokes& character : characters) {
        out.push_back(char(character.code & 0xFF));
        out.push_back(char(character.code >> 8));
    }
    for (uint32_t offset : offsets) appendU32(out, offset);
    out += records;
    return true;
}

GlyphPoint glyphToCanvas(GlyphPoint p) {
    return {p.x * 400 / 256, p.y * 400 / 256};
}

GlyphPoint glyphToScreen(GlyphPoint p, int top, int left) {
    return {left + p.x * 100 / 256, top + p.y * 100 / 256};
}

namespace {

// Sweep lines: x = v (vertical), or y = v + k x.
struct SweepPlan {
    bool vertical = false;
    int k = 0;
    int from = 0, to = 0;  // v runs from `from` to `to`, either way
};

SweepPlan planFor(const Stroke& stroke) {
    int minX = 255, maxX = 0, minY = 255, maxY = 0;
    for (const GlyphPoint& p : stroke.outline) {
        minX = std::min(minX, p.x);
        maxX = std::max(maxX, p.x);
        minY = std::min(minY, p.y);
        maxY = std::max(maxY, p.y);
    }
    switch (stroke.direction) {
        case kLeftToRight:
            return {true, 0, minX, maxX};
        case kTowardsBottomRight:
            return {false, -1, minX + minY, maxX + maxY};
        case kTopToBottom:
            return {false, 0, minY, maxY};
        case kTowardsBottomLeft:
            return {false, 1, minY - maxX, maxY - minX};
        case kRightToLeft:
            return {true, 0, maxX, minX};
        case kTowardsTopLeft:
            return {false, -1, maxX + maxY, minX + minY};
        case kBottomToTop:
            return {false, 0, maxY, minY};
        default:
            return {false, 1, maxY - minX, minY - maxX};
    }
}

int nearest(long double value) {
    return static_cast<int>(std::nearbyintl(value));
}

bool onLine(const SweepPlan& plan, int v, GlyphPoint p) {
    return plan.vertical ? p.x == v : p.y == v + plan.k * p.x;
}

// The point where edge P -> Q meets sweep line v, when it does within the
// edge's extent.
std::optional<GlyphPoint> crossing(const SweepPlan& plan, int v, GlyphPoint p, GlyphPoint q) {
    const long double dx = q.x - p.x, dy = q.y - p.y;
    GlyphPoint at;
    if (plan.vertical) {
        if (dx == 0) return std::nullopt;
        at = {v, nearest(p.y + dy * (v - p.x) / dx)};
    } else {
        const long double denominator = dx * plan.k + p.y - q.y;
        if (denominator == 0) return std::nullopt;
        at.x = nearest((dx * (p.y - v) - p.x * dy) / denominator);
        at.y = v + plan.k * at.x;
    }
    // An edge nearly along the sweep lines meets them far outside the glyph
    // square (x near 65,000 for a 255-unit edge): products in 64 bits.
    const auto outside = [](int64_t from, int64_t at, int64_t to) {
        return (at - from) * (to - at) < 0;
    };
    if (outside(p.x, at.x, q.x) || outside(p.y, at.y, q.y)) return std::nullopt;
    return at;
}

}  // namespace

std::vector<GlyphPoint> sweepList(const Stroke& stroke) {
    std::vector<GlyphPoint> list;
    if (stroke.outline.size() < 2) return list;
    // The file holds bytes; an outline outside the glyph square did not come
    // from it, and its crossings could overflow the arithmetic below.
    for (const GlyphPoint& p : stroke.outline)
        if (p.x < 0 || p.x > 255 || p.y < 0 || p.y > 255) return list;
    const SweepPlan plan = planFor(stroke);
    const int step = plan.to >= plan.from ? 1 : -1;
    for (int v = plan.from;; v += step) {
        for (size_t i = 0; i + 1 < stroke.outline.size(); ++i) {
            const GlyphPoint p = stroke.outline[i], q = stroke.outline[i + 1];
            if (onLine(plan, v, p) && onLine(plan, v, q)) {
                list.push_back(p);
                list.push_back(q);
            } else if (const auto at = crossing(plan, v, p, q)) {
                list.push_back(*at);
            }
        }
        if (v == plan.to) break;
    }
    return list;
}

}  // namespace tulvo::characters
