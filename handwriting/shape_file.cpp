#include "handwriting/shape_file.hpp"

#include <algorithm>
#include <cmath>
#include <cstring>
#include <fstream>

namespace tulvo::handwriting {

namespace {

constexpr char kMagic[4] = {'T', 'S', 'H', '1'};
constexpr size_t kRecordHead = 12;
constexpr size_t kRecordSize = kRecordHead + kShapeFeatureSize;
constexpr size_t kOutlineBytes = 2 * kOutlinePoints;
constexpr uintmax_t kMaxFileSize = uintmax_t(64) << 20;

uint32_t read32(const uint8_t* p) {
    return uint32_t(p[0]) | uint32_t(p[1]) << 8 | uint32_t(p[2]) << 16 | uint32_t(p[3]) << 24;
}

void put32(std::string& out, uint32_t v) {
    for (int k = 0; k < 4; ++k) out += char((v >> (8 * k)) & 0xFF);
}

}  // namespace

std::vector<StrokeOutline> strokeOutlines(std::span<const StrokeF> strokes) {
    float minX = 1e30f, maxX = -1e30f, minY = 1e30f, maxY = -1e30f;
    for (const StrokeF& stroke : strokes)
        for (const PointF& p : stroke) {
            minX = std::min(minX, p.x), maxX = std::max(maxX, p.x);
            minY = std::min(minY, p.y), maxY = std::max(maxY, p.y);
        }
    const float w = maxX - minX, h = maxY - minY, larger = std::max(w, h);
    const float ew = std::max({w, 0.5f * larger, 1e-6f}), eh = std::max({h, 0.5f * larger, 1e-6f});
    const float cx = (minX + maxX) / 2, cy = (minY + maxY) / 2;
    auto toByte = [](float v) { return uint8_t(std::clamp(std::nearbyint(v), 0.0f, 255.0f)); };
    std::vector<StrokeOutline> out;
    for (const StrokeF& stroke : strokes) {
        StrokeOutline outline{};
        if (stroke.empty()) {
            out.push_back(outline);
            continue;
        }
        float total = 0;
        for (size_t k = 1; k < stroke.size(); ++k)
            total += std::hypot(stroke[k].x - stroke[k - 1].x, stroke[k].y - stroke[k - 1].y);
        size_t piece = 1;
        float walked = 0;
        for (int i = 0; i < kOutlinePoints; ++i) {
            const float at = total * float(i) / float(kOutlinePoints - 1);
            PointF p = i == 0 ? stroke.front() : stroke.back();
            for (; i > 0 && piece < stroke.size(); ++piece) {
                const PointF a = stroke[piece - 1], b = stroke[piece];
                const float length = std::hypot(b.x - a.x, b.y - a.y);
                if (length > 0 && walked + length >= at) {
                    const float t = (at - walked) / length;
                    p = {a.x + t * (b.x - a.x), a.y + t * (b.y - a.y)};
                    break;
                }
                walked += length;
            }
            outline[size_t(i)] = {toByte(127.5f + (p.x - cx) / ew * 255),
                                  toByte(127.5f + (p.y - cy) / eh * 255)};
        }
        out.push_back(outline);
    }
    return out;
}

std::string encodeShapes(const std::vector<CharacterShape>& shapes) {
    std::string head(kMagic, 4), area;
    put32(head, uint32_t(shapes.size()));
    for (const CharacterShape& s : shapes) {
        head += char(s.character & 0xFF);
        head += char(s.character >> 8);
        head += char(s.formFlag);
        head += char(s.frequencyClass);
        head += char(std::min<size_t>(s.strokes.size(), 255));
        head.append(3, '\0');
        put32(head, uint32_t(area.size()));
        head.append(reinterpret_cast<const char*>(s.feature.data()), s.feature.size());
        for (size_t k = 0; k < std::min<size_t>(s.strokes.size(), 255); ++k)
            for (const OutlinePoint& p : s.strokes[k]) {
                area += char(p.x);
                area += char(p.y);
            }
    }
    return head + area;
}

std::optional<std::vector<CharacterShape>> decodeShapes(std::span<const uint8_t> bytes) {
    if (bytes.size() < 8 || std::memcmp(bytes.data(), kMagic, 4) != 0) return std::nullopt;
    const uint64_t count = read32(bytes.data() + 4);
    const uint64_t areaStart = 8 + count * kRecordSize;
    if (areaStart > bytes.size()) return std::nullopt;
    std::vector<CharacterShape> out;
    out.reserve(size_t(count));
    for (uint64_t k = 0; k < count; ++k) {
        const uint8_t* p = bytes.data() + 8 + k * kRecordSize;
        CharacterShape s;
        s.character = char16_t(p[0] | p[1] << 8);
        s.formFlag = p[2];
        s.frequencyClass = p[3];
        const uint64_t begin = areaStart + read32(p + 8);
        if (begin + uint64_t(p[4]) * kOutlineBytes > bytes.size()) return std::nullopt;
        std::memcpy(s.feature.data(), p + kRecordHead, kShapeFeatureSize);
        const uint8_t* q = bytes.data() + begin;
        s.strokes.resize(p[4]);
        for (StrokeOutline& outline : s.strokes)
            for (OutlinePoint& point : outline) {
                point = {q[0], q[1]};
                q += 2;
            }
        out.push_back(std::move(s));
    }
    return out;
}

std::vector<CharacterShape> readShapesFile(const std::filesystem::path& file) {
    std::error_code ec;
    if (!std::filesystem::is_regular_file(file, ec)) return {};
    const uintmax_t size = std::filesystem::file_size(file, ec);
    if (ec || size == 0 || size > kMaxFileSize) return {};
    std::ifstream in(file, std::ios::binary);
    std::vector<uint8_t> bytes(static_cast<size_t>(size));
    in.read(reinterpret_cast<char*>(bytes.data()), static_cast<std::streamsize>(size));
    if (size_t(in.gcount()) != bytes.size()) return {};
    return decodeShapes(bytes).value_or(std::vector<CharacterShape>{});
}

}  // namespace tulvo::handwriting
