// Little-endian integers, as the binary data files store them.
#pragma once

#include <cstdint>

namespace tulvo {

// The 32-bit value of the four bytes at `p`, least significant first.
inline uint32_t readLe32(const void* p) {
    const auto* b = static_cast<const unsigned char*>(p);
    return uint32_t(b[0]) | uint32_t(b[1]) << 8 | uint32_t(b[2]) << 16 | uint32_t(b[3]) << 24;
}

// The same four bytes as a signed (two's complement) value.
inline int32_t readLe32Signed(const void* p) {
    return static_cast<int32_t>(readLe32(p));
}

}  // namespace tulvo
