#include "characters/counterparts.hpp"

#include <cstdio>
#include <string_view>

#include "platform/whole_file.hpp"

namespace tulvo::characters {

namespace {

std::string hex4(char16_t code, const char* format) {
    char text[8];
    std::snprintf(text, sizeof text, format, unsigned(code));
    return text;
}

// Up to eight hexadecimal digits, either case, and nothing else.
bool parseHex(std::string_view text, uint32_t& value) {
    if (text.empty() || text.size() > 8) return false;
    value = 0;
    for (char c : text) {
        int digit;
        if (c >= '0' && c <= '9')
            digit = c - '0';
        else if (c >= 'a' && c <= 'f')
            digit = c - 'a' + 10;
        else if (c >= 'A' && c <= 'F')
            digit = c - 'A' + 10;
        else
            return false;
        value = value * 16 + uint32_t(digit);
    }
    return true;
}

}  // namespace

Counterparts counterparts(const std::filesystem::path& file, char16_t code) {
    Counterparts result;
    const auto whole = readWholeFile(file);
    if (!whole) return result;
    const std::string& bytes = *whole;
    const std::string key = hex4(code, "%04x");
    const std::string_view all(bytes);
    for (size_t start = 0; start < all.size();) {
        size_t end = all.find("\r\n", start);
        const size_t next = end == std::string_view::npos ? all.size() : end + 2;
        if (end == std::string_view::npos) end = all.size();
        const std::string_view line = all.substr(start, end - start);
        start = next;
        if (line.substr(0, 4) != key) continue;
        const size_t bar1 = line.find(" | ");
        if (bar1 == std::string_view::npos) continue;
        const size_t bar2 = line.find(" | ", bar1 + 3);
        if (bar2 == std::string_view::npos) continue;
        const std::string_view type = line.substr(bar1 + 3, bar2 - bar1 - 3);
        std::string_view third = line.substr(bar2 + 3);
        if (const size_t bar3 = third.find(" | "); bar3 != std::string_view::npos)
            third = third.substr(0, bar3);
        uint32_t value;
        // A code that is not hexadecimal, or whose low 16 bits are 0, would
        // end the list early for a reader of 0-terminated lists: skipped.
        if (!parseHex(third, value) || (value & 0xFFFF) == 0) continue;
        if (type == "1")
            result.traditional.push_back(char16_t(value & 0xFFFF));
        else if (type == "2")
            result.simplified.push_back(char16_t(value & 0xFFFF));
    }
    if (!result.simplified.empty()) result.count += int(2 * (result.simplified.size() + 1));
    if (!result.traditional.empty()) result.count += int(2 * (result.traditional.size() + 1));
    return result;
}

std::string typesLine(char16_t code, int type, char16_t counterpart) {
    return hex4(code, "%04x") + " | " + std::to_string(type) + " | " + hex4(counterpart, "%04X") +
           "\r\n";
}

}  // namespace tulvo::characters
