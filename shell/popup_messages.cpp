#include "shell/popup_messages.hpp"

namespace tulvo::shell {

std::u16string lookupText(int64_t first, int64_t second) {
    const uint32_t words[2] = {static_cast<uint32_t>(first), static_cast<uint32_t>(second)};
    std::u16string text;
    for (uint32_t word : words) {
        for (int half = 0; half < 2; ++half) {
            const auto unit = static_cast<char16_t>((word >> (16 * half)) & 0xFFFF);
            if (unit == 0) return text;
            text.push_back(unit);
        }
    }
    return text;
}

}  // namespace tulvo::shell
