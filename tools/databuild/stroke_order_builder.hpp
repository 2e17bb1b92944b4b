// The stroke-order file strokeorderdata.dat from the stroke outlines and
// medians of hanzi-writer-data, laid out by the same format code the program
// reads it with (characters/stroke_order).
#pragma once

#include <filesystem>
#include <optional>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "characters/stroke_order.hpp"

namespace tulvo::databuild {

// An SVG outline of hanzi-writer-data ("M x y Q ... Z", 1024 units, y up,
// baseline at 900) flattened to a closed polygon in the 256 square, y down,
// of at most 127 points. Nothing for a path it cannot read.
std::optional<std::vector<characters::GlyphPoint>> flattenOutline(std::string_view path);

// The sweep direction (1..8) nearest to a median's writing direction, from
// its first point to its last (1024 units, y up).
int sweepDirection(const std::vector<std::pair<double, double>>& median);

// The strokes of one character from its hanzi-writer-data JSON text: colour
// flag on the strokes listed in radStrokes, pause flag on every stroke but
// the last. Nothing with `error` set when the JSON is not as expected.
std::optional<std::vector<characters::Stroke>> strokesFromJson(std::string_view json,
                                                               std::string* error);

// The read-back check: what the written file, read through the program's
// reader, gets wrong (nothing when it is right).
std::vector<std::string> strokeOrderFileProblems(
    const std::filesystem::path& file, const std::vector<characters::CharacterStrokes>& characters);

}  // namespace tulvo::databuild
