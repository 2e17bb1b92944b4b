// Messages that the popup program sends to the hidden locator.
#pragma once

#include <cstdint>
#include <string>

namespace tulvo::shell {

inline constexpr uint32_t kMessageLookup = 0x507;
inline constexpr uint32_t kMessageShowWindow = 0x508;

// The text of a lookup message: the low 4 bytes of each parameter, first
// parameter first, little-endian, read as up to four UTF-16 units and ended
// early by a zero unit.
std::u16string lookupText(int64_t first, int64_t second);

}  // namespace tulvo::shell
