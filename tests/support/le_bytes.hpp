// Little-endian byte strings for writing binary fixture files.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

namespace tulvo::testing {

inline std::string int32(int32_t value) {
    std::string out;
    for (int i = 0; i < 4; ++i) out.push_back(char((uint32_t(value) >> (8 * i)) & 0xFF));
    return out;
}

// UTF-16LE units.
inline std::string units(std::u16string_view word) {
    std::string out;
    for (char16_t unit : word) out += std::string{char(unit & 0xFF), char(unit >> 8)};
    return out;
}

}  // namespace tulvo::testing
