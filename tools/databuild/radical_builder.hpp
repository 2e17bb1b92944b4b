// The radical files and the stroke-order file: radicals.txt from the Kangxi
// radicals of CJKRadicals.txt with their common variant forms,
// multiradix.dat from the component decompositions, strokeorderdata.dat
// from the stroke outlines and medians of hanzi-writer-data. Every file is
// laid out by the same format code the program reads it with (characters/).
#pragma once

#include <filesystem>
#include <map>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "characters/components.hpp"
#include "characters/radicals.hpp"
#include "characters/stroke_order.hpp"
#include "tools/databuild/char_data_builder.hpp"

namespace tulvo::databuild {

// The stroke count of Kangxi radical 1..214 (0 outside).
int kangxiStrokeCount(int number);

// The cell of each Kangxi radical, by radical number (1..214): its ordinary
// character, its simplified forms from CJKRadicals.txt ("120'") and the
// common variant forms of the table in radical_builder.cpp. Empty with
// `error` set when a radical is missing.
std::vector<std::u16string> radicalCellTexts(const std::map<std::string, char32_t>& radicals,
                                             std::string* error);

// The cells grouped into lines by stroke count (line k - 1 for k strokes).
std::vector<std::vector<std::u16string>> radicalLines(const std::vector<std::u16string>& cells);

// For each cell, every character U+4000..U+FFFF that contains one of the
// cell's units anywhere in its decomposition, is filed under one of them
// (its component record's radical), or is one of them; each once, by code.
std::vector<std::vector<char16_t>> multiradixLists(
    const std::vector<std::u16string>& cells, const Decompositions& decompositions,
    const std::vector<characters::ComponentRecord>& records);

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

// The read-back checks: what the written file, read through the program's
// readers, gets wrong (nothing when it is right).
std::vector<std::string> radicalsFileProblems(const std::filesystem::path& file,
                                              const std::vector<std::u16string>& cells);
std::vector<std::string> multiradixFileProblems(const std::filesystem::path& file,
                                                const characters::RadicalTable& table,
                                                const std::filesystem::path& chartypes,
                                                const std::vector<std::vector<char16_t>>& lists);
std::vector<std::string> strokeOrderFileProblems(
    const std::filesystem::path& file, const std::vector<characters::CharacterStrokes>& characters);

}  // namespace tulvo::databuild
