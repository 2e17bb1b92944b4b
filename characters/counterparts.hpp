// data/types.txt: the simplified and traditional counterparts of characters,
// as CR LF lines "56fd | 1 | 570B": the character as four lower-case hex
// digits, the type (1: the third field is the traditional form, 2: the
// simplified form), the counterpart in hex. One forward pass per lookup.
#pragma once

#include <filesystem>
#include <string>

namespace tulvo::characters {

inline const std::filesystem::path kTypesPath = std::filesystem::path("data") / "types.txt";

struct Counterparts {
    std::u16string simplified;   // type 2 lines, in file order, no terminator
    std::u16string traditional;  // type 1 lines, in file order, no terminator
    // Bytes of both lists with a 0 unit after each non-empty one: 0 exactly
    // when no counterpart was found.
    int count = 0;
};

Counterparts counterparts(const std::filesystem::path& file, char16_t code);

// The writer's side: one line, CR LF included. `type` is 1 or 2.
std::string typesLine(char16_t code, int type, char16_t counterpart);

}  // namespace tulvo::characters
