#include "tools/databuild/shape_builder.hpp"

#include <random>

#include "characters/char_types.hpp"
#include "characters/freq_file.hpp"
#include "tools/databuild/synthetic_writing.hpp"

namespace fs = std::filesystem;
using namespace tulvo::handwriting;

namespace tulvo::databuild {

namespace {

std::vector<StrokeF> asStrokes(const std::vector<Polyline>& lines) {
    std::vector<StrokeF> out;
    for (const Polyline& line : lines) {
        StrokeF stroke;
        for (const Point2& p : line) stroke.push_back({float(p.x), float(p.y)});
        out.push_back(std::move(stroke));
    }
    return out;
}

std::vector<StrokeF> asStrokes(const std::vector<MouseStroke>& strokes) {
    std::vector<StrokeF> out;
    for (const MouseStroke& mouse : strokes) {
        StrokeF stroke;
        for (const auto& [x, y] : mouse) stroke.push_back({float(x), float(y)});
        out.push_back(std::move(stroke));
    }
    return out;
}

}  // namespace

CharacterShape shapeForCharacter(char16_t character, uint8_t formFlag, uint8_t frequencyClass,
                                 const std::vector<Polyline>& medians, int renderings) {
    CharacterShape shape;
    shape.character = character;
    shape.formFlag = formFlag;
    shape.frequencyClass = frequencyClass;
    const std::vector<StrokeF> clean = asStrokes(placeOnPad(medians, centredPlacement(190)));
    shape.strokes = strokeOutlines(clean);
    ShapeValues sum = shapeValues(clean);
    std::mt19937 rng(0x5a4e1u ^ (uint32_t(character) * 2654435761u));
    for (int k = 0; k < renderings; ++k) {
        const double strength = 0.2 + 0.6 * (k + 0.5) / renderings;
        const ShapeValues v =
            shapeValues(asStrokes(writeSynthetic(medians, randomStyle(strength, rng), rng)));
        for (size_t d = 0; d < sum.size(); ++d) sum[d] += v[d];
    }
    for (float& v : sum) v /= float(renderings + 1);
    shape.feature = quantiseShape(sum);
    return shape;
}

std::optional<std::vector<CharacterShape>> buildShapes(const fs::path& strokeDir,
                                                       const fs::path& charTypes,
                                                       const fs::path& freq, std::string* error,
                                                       size_t* characters) {
    const characters::CharTypes types(charTypes);
    characters::FreqFile frequencies(freq);
    std::vector<CharacterShape> shapes;
    const auto count = forEachCharacterMedians(
        strokeDir, error, [&](char16_t character, const std::vector<Polyline>& medians) {
            const int value = frequencies.lookup(std::u16string(1, character), "");
            const uint8_t frequencyClass = value < 0 ? uint8_t(kUnlistedFrequency)
                                                     : uint8_t(characters::frequencyClass(value));
            shapes.push_back(shapeForCharacter(character, formFlagOf(types.formType(character)),
                                               frequencyClass, medians));
        });
    if (!count) return std::nullopt;
    if (characters) *characters = *count;
    return shapes;
}

}  // namespace tulvo::databuild
