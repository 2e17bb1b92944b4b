// data/shapes.dat: per character the order-free shape feature, how common the
// character is and the outline of each of its strokes, for the recogniser
// that forgives stroke order. Little-endian:
//   "TSH1", count N (4 bytes),
//   N records of 12 + 256 bytes: character (one UTF-16 unit), form flag (as in
//   recog.dat), frequency class (0 most common .. 15, 16 unlisted), stroke
//   count, 3 zero bytes, offset of its outlines in the outline area (4 bytes),
//   then the shape feature;
//   the outline area: per stroke kOutlinePoints points of (x, y) bytes on the
//   character's box, 0 .. 255, in writing order.
#pragma once

#include <array>
#include <cstdint>
#include <filesystem>
#include <optional>
#include <span>
#include <string>
#include <vector>

#include "handwriting/shape_features.hpp"

namespace tulvo::handwriting {

inline const std::filesystem::path kShapesPath = std::filesystem::path("data") / "shapes.dat";
inline constexpr int kOutlinePoints = 5;
inline constexpr int kUnlistedFrequency = 16;

struct OutlinePoint {
    uint8_t x = 0;
    uint8_t y = 0;
    bool operator==(const OutlinePoint&) const = default;
};
using StrokeOutline = std::array<OutlinePoint, kOutlinePoints>;

struct CharacterShape {
    char16_t character = 0;
    uint8_t formFlag = 0;
    uint8_t frequencyClass = kUnlistedFrequency;
    ShapeFeature feature{};
    std::vector<StrokeOutline> strokes;
    bool operator==(const CharacterShape&) const = default;
};

// Each stroke as kOutlinePoints points evenly spaced along its path, on the
// strokes' common box (the same normalisation as the shape feature).
std::vector<StrokeOutline> strokeOutlines(std::span<const StrokeF> strokes);

std::string encodeShapes(const std::vector<CharacterShape>& shapes);
// Every record, or nullopt when the bytes are not a whole shapes file.
std::optional<std::vector<CharacterShape>> decodeShapes(std::span<const uint8_t> bytes);

// The file read whole and decoded; empty when it is missing or damaged.
std::vector<CharacterShape> readShapesFile(const std::filesystem::path& file);

}  // namespace tulvo::handwriting
