// The order-free shapes (data/shapes.dat) from the stroke data's medians:
// each character's shape feature averaged over a clean writing and a few
// synthetic ones, the outline of each stroke, and how common it is.
#pragma once

#include <filesystem>
#include <optional>
#include <string>
#include <vector>

#include "handwriting/shape_file.hpp"
#include "tools/databuild/recog_builder.hpp"

namespace tulvo::databuild {

// Synthetic writings averaged into each feature beside the clean one.
inline constexpr int kShapeRenderings = 12;

handwriting::CharacterShape shapeForCharacter(char16_t character, uint8_t formFlag,
                                              uint8_t frequencyClass,
                                              const std::vector<Polyline>& medians,
                                              int renderings = kShapeRenderings);

// The shapes of every character file of strokeDir (as the templates), in
// character-code order; form flags from the chartypes file and frequency
// classes from freq.dat where they exist.
std::optional<std::vector<handwriting::CharacterShape>> buildShapes(
    const std::filesystem::path& strokeDir, const std::filesystem::path& charTypes,
    const std::filesystem::path& freq, std::string* error, size_t* characters = nullptr);

}  // namespace tulvo::databuild
