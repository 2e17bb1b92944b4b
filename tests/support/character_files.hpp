// Fixture character data files as the data build writes them: the character
// types (stroke count and form of each character) and the component records.
#pragma once

#include <string>
#include <tuple>
#include <vector>

#include "characters/char_types.hpp"
#include "characters/components.hpp"

namespace tulvo::testing {

// A character-types file that knows these characters (code, strokes, form) only.
inline std::string charTypesFile(
    const std::vector<std::tuple<char16_t, int, characters::FormType>>& types) {
    std::string bytes(characters::kCharTypesSize, '\0');
    for (const auto& [code, strokes, form] : types)
        bytes[code - characters::kCharTypesFirst] = char(characters::encodeCharType(strokes, form));
    return bytes;
}

struct ComponentEntry {
    char16_t code, radical;
    int residualStrokes;
    std::u16string others = {};  // the other components, none when left out
};

// A components file of these records, in this order.
inline std::string componentsFile(const std::vector<ComponentEntry>& entries) {
    std::string bytes;
    for (const auto& [code, radical, residual, others] : entries)
        characters::appendComponentRecord(bytes, code,
                                          characters::makeComponentText(radical, residual, others));
    return bytes;
}

}  // namespace tulvo::testing
