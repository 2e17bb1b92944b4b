// Small text helpers shared by the character data builders: lines of the
// source files, Unihan code points, UTF-8 code points.
#pragma once

#include <algorithm>
#include <charconv>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "platform/unicode_text.hpp"

namespace tulvo::databuild::source_text {

// Calls fn(line) for each line, LF or CR LF ended.
template <typename Fn>
void forEachLine(std::string_view text, Fn&& fn) {
    for (size_t start = 0; start < text.size();) {
        size_t end = text.find('\n', start);
        if (end == std::string_view::npos) end = text.size();
        std::string_view line = text.substr(start, end - start);
        if (!line.empty() && line.back() == '\r') line.remove_suffix(1);
        fn(line);
        start = end + 1;
    }
}

inline std::string_view firstValue(std::string_view value) {
    return value.substr(0, value.find(' '));
}

inline std::optional<char32_t> parseCodePoint(std::string_view text) {
    if (text.size() < 3 || text.substr(0, 2) != "U+") return std::nullopt;
    uint32_t code = 0;
    const auto [end, ec] = std::from_chars(text.data() + 2, text.data() + text.size(), code, 16);
    if (ec != std::errc() || end == text.data() + 2) return std::nullopt;
    return char32_t(code);
}

// The code points of UTF-8 text (well-formed text only: the sources are).
inline std::u32string codePoints(std::string_view utf8) {
    std::u32string out;
    for (size_t i = 0; i < utf8.size();) {
        const auto b = static_cast<unsigned char>(utf8[i]);
        const int extra = b < 0x80 ? 0 : b < 0xE0 ? 1 : b < 0xF0 ? 2 : 3;
        char32_t code = extra == 0 ? b : b & (0x3F >> extra);
        for (int k = 1; k <= extra && i + k < utf8.size(); ++k)
            code = (code << 6) | (static_cast<unsigned char>(utf8[i + k]) & 0x3F);
        out.push_back(code);
        i += size_t(extra) + 1;
    }
    return out;
}

inline std::string toUtf8(char32_t code) {
    std::string out;
    appendUtf8(out, code);
    return out;
}

inline bool holds(const std::vector<char32_t>& codes, char32_t code) {
    return std::find(codes.begin(), codes.end(), code) != codes.end();
}
}  // namespace tulvo::databuild::source_text
