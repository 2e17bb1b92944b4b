// UTF-8 / UTF-16 conversion and the small text helpers the logic shares.
#pragma once

#include <string>
#include <string_view>

namespace tulvo {

// Converts UTF-8 bytes to UTF-16 units. Malformed sequences become U+FFFD,
// as the platform's conversion does; characters above U+FFFF become pairs.
std::u16string utf8ToUtf16(std::string_view utf8);

// Converts UTF-16 units to UTF-8. A lone surrogate becomes U+FFFD.
std::string utf16ToUtf8(std::u16string_view utf16);

// Appends one code point (up to U+10FFFF) as UTF-8.
void appendUtf8(std::string& out, char32_t codePoint);

// True when the bytes are well-formed UTF-8 (no overlongs, no surrogates).
bool isValidUtf8(std::string_view utf8);

inline char asciiLower(char c) {
    return (c >= 'A' && c <= 'Z') ? char(c + ('a' - 'A')) : c;
}

// ASCII text (digits, signs) as UTF-16 units, one per byte.
inline std::u16string asciiToUtf16(std::string_view ascii) {
    return std::u16string(ascii.begin(), ascii.end());
}

// `text` without the spaces, tabs and line ends at either end.
inline std::string_view trimmed(std::string_view text) {
    const size_t first = text.find_first_not_of(" \t\r\n");
    if (first == std::string_view::npos) return {};
    return text.substr(first, text.find_last_not_of(" \t\r\n") - first + 1);
}

// Lower-cases the ASCII letters only; every other byte stays as it is.
std::string asciiLowered(std::string_view text);
void asciiLowerInPlace(std::string& text);

// Equal under full Unicode case folding (through ICU), in every script.
bool equalsIgnoringCase(std::u16string_view a, std::u16string_view b);

}  // namespace tulvo
