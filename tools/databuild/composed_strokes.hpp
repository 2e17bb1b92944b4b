// Stroke data for characters the stroke source lacks, composed from the
// strokes of their parts along the decomposition's layout (left–right,
// top–bottom, enclosures). Each part is drawn as it is drawn inside the
// characters of the source that have the same part in the same place, or,
// where none has, its own strokes fitted into the place that layout usually
// gives it. The result is written in the source's own JSON form, so that the
// stroke-order file and the recognition templates read it like the source.
#pragma once

#include <map>
#include <optional>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "tools/databuild/char_data_builder.hpp"

namespace tulvo::databuild {

// One stroke in the source's units (1024 square, y up, baseline at 900).
struct SourceStroke {
    std::string path;                               // SVG outline
    std::vector<std::pair<double, double>> median;  // writing path
    bool radical = false;
};
using SourceCharacter = std::vector<SourceStroke>;

std::optional<SourceCharacter> sourceCharacterFromJson(std::string_view json, std::string* error);
// The source's JSON form: "strokes", "medians", "radStrokes".
std::string sourceCharacterJson(const SourceCharacter& character);

// x' = sx · x + tx, y' = sy · y + ty.
struct Affine {
    double sx = 1, sy = 1, tx = 0, ty = 0;
};
// The outline with every point (end and control points) moved by `affine`.
std::string transformPath(std::string_view path, const Affine& affine);

struct CompositionSources {
    const std::map<char32_t, SourceCharacter>* strokes = nullptr;
    const Decompositions* decompositions = nullptr;
    // Radical forms to their ideograph (⺮ 竹), for parts the source lacks.
    const std::map<char32_t, char32_t>* equivalents = nullptr;
    // The filing radical of each character and whether the character is
    // that radical's own form (no residual strokes): its part drawn brown.
    std::map<char32_t, std::pair<char32_t, bool>> radicals;
};

// The characters of `wanted` that the source lacks and that can be composed,
// each with its strokes in writing order. `decompositionText` is the
// cjk-decomp text `sources.decompositions` was parsed from (for the layouts).
std::map<char32_t, SourceCharacter> composeCharacters(const CompositionSources& sources,
                                                      const std::string& decompositionText,
                                                      const std::vector<char32_t>& wanted);

}  // namespace tulvo::databuild
