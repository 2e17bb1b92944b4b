// Recognition templates from the stroke data's medians (one JSON file per
// character, 1024-unit square, y up, baseline at 900): each median is put on
// the pad, walked as a mouse would, and run through the pad's capture rules
// and the matcher's own key-point reduction, so templates and handwriting
// share one feature extraction.
#pragma once

#include <filesystem>
#include <functional>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "handwriting/recog_file.hpp"
#include "handwriting/stroke_capture.hpp"

namespace tulvo::databuild {

// The pinned stroke data has 9,574 characters; far fewer means a broken source.
inline constexpr size_t kMinimumStrokeCharacters = 9000;

struct Point2 {
    double x = 0;
    double y = 0;
};
using Polyline = std::vector<Point2>;
// Mouse positions of one stroke, press first.
using MouseStroke = std::vector<std::pair<int, int>>;

// The "medians" of one character file, in the data's units; nullopt (and a
// message) when the file is not JSON or has no usable medians.
std::optional<std::vector<Polyline>> mediansFromJson(std::string_view json, std::string* error);

// The data's square on the pad: pad x = offsetX + scale · x, pad y =
// offsetY + scale · (900 − y).
struct Placement {
    double scale = 190.0 / 1024.0;
    double offsetX = 5;
    double offsetY = 5;
};
// The square `size` pixels wide, centred on the pad.
Placement centredPlacement(double size);
std::vector<Polyline> placeOnPad(const std::vector<Polyline>& medians, const Placement& placement);

// Positions a mouse reports along the polyline: the start, then one every
// `step` pixels of path, then the end; rounded to whole pixels.
MouseStroke sampleAsMouse(const Polyline& line, double step);

// Writes the strokes on a fresh drawing through the pad's capture rules and
// reduces them to segments, exactly as the pad and a pass would.
handwriting::Drawing writeOnPad(const std::vector<MouseStroke>& strokes);

// A template from a reduced drawing: lengths normalised by the drawing's box
// and, like the user's lengths when matched, floored at 25.
handwriting::RecogTemplate templateFromDrawing(char16_t character, uint8_t formFlag,
                                               const handwriting::Drawing& drawing);

// How a character's templates are made. The clean writings: one per
// placement, each walked with the given mouse step (the key-point reduction
// works in pixels, so a character written small or large can reduce to more
// or fewer key points). Without renderings, the first clean writing is the
// main template and a further one is kept only when it has a segment count no
// earlier template of the character has.
//
// With renderings, the character is also written that many times more by the
// synthetic writer, at strengths spread from `minStrength` to `maxStrength`
// (sizes, proportions, slant, speed and wobble), seeded by the character so
// that each character's templates do not depend on the others. Writings whose
// strokes reduce to the same number of segments each are averaged segment by
// segment into one candidate template; then, greedily, the candidate that
// raises the writings' best alignment score the most is kept, until no
// candidate adds `minGain` per writing and segment or `maxTemplates` are kept.
struct TemplateRecipe {
    std::vector<Placement> placements{centredPlacement(190), centredPlacement(225)};
    double step = 1.0;
    int renderings = 0;
    double minStrength = 0.1;
    double maxStrength = 0.9;
    int maxTemplates = 4;
    double minGain = 0.02;
    uint32_t seed = 0x7e3a1;
};
// One template from writings that reduced to the same segments per stroke:
// segment by segment the mean direction on the circle of codes (256 to the
// turn, so 250 and 6 average to 0) and the mean length. The first member
// gives the character, form flag and stroke count.
handwriting::RecogTemplate averagedTemplate(
    const std::vector<const handwriting::RecogTemplate*>& group);

// The recipe of the shipped recog.dat.
TemplateRecipe shippedRecipe();

std::vector<handwriting::RecogTemplate> templatesForCharacter(char16_t character, uint8_t formFlag,
                                                              const std::vector<Polyline>& medians,
                                                              const TemplateRecipe& recipe);

// The recognition form flag of a form type from chartypes.txt (-1 when the
// file or the character is missing): both / missing / "neither" are offered
// under every preference.
uint8_t formFlagOf(int formType);

// Calls `visit` with the medians of each character file (one JSON per
// character, named by it) of strokeDir, in character-code order, and gives
// the number of characters; nullopt (with `error`) when the folder cannot be
// listed or a file cannot be read.
std::optional<size_t> forEachCharacterMedians(
    const std::filesystem::path& strokeDir, std::string* error,
    const std::function<void(char16_t, const std::vector<Polyline>&)>& visit);

// The templates of every character file of strokeDir (files named "<character>.json"
// for characters up to U+FFFF), in character-code order; form flags from the
// chartypes file when it exists. nullopt and a message for a broken source.
std::optional<std::vector<handwriting::RecogTemplate>> buildRecogTemplates(
    const std::filesystem::path& strokeDir, const std::filesystem::path& charTypes,
    std::string* error, size_t* characters = nullptr,
    const TemplateRecipe& recipe = TemplateRecipe{});

}  // namespace tulvo::databuild
