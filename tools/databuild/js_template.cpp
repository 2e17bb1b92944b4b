#include "tools/databuild/js_template.hpp"

#include <cstdint>

#include "platform/unicode_text.hpp"

namespace tulvo::databuild {
namespace {

using tulvo::appendUtf8;

int hexDigit(char c) {
    if (c >= '0' && c <= '9') return c - '0';
    if (c >= 'a' && c <= 'f') return c - 'a' + 10;
    if (c >= 'A' && c <= 'F') return c - 'A' + 10;
    return -1;
}

bool readHex(std::string_view s, size_t& i, size_t count, uint32_t& value) {
    value = 0;
    for (size_t n = 0; n < count; ++n, ++i) {
        if (i >= s.size() || hexDigit(s[i]) < 0) return false;
        value = value * 16 + uint32_t(hexDigit(s[i]));
    }
    return true;
}

std::optional<std::string> fail(std::string* error, std::string message) {
    if (error) *error = std::move(message);
    return std::nullopt;
}

}  // namespace

std::optional<std::string> templateLiteralValue(std::string_view s, std::string* error) {
    size_t i = s.find('`');
    if (i == std::string_view::npos) return fail(error, "no template literal found");
    ++i;
    std::string out;
    out.reserve(s.size());
    uint32_t pendingHigh = 0;  // a \uD8xx waiting for its low surrogate
    while (i < s.size()) {
        const char c = s[i];
        // A high surrogate escape not followed by a low one stands alone.
        const bool lowSurrogateNext = c == '\\' && i + 2 < s.size() && s[i + 1] == 'u' &&
                                      (s[i + 2] == 'd' || s[i + 2] == 'D');
        if (pendingHigh && !lowSurrogateNext) {
            appendUtf8(out, 0xFFFD);
            pendingHigh = 0;
        }
        if (c == '`') return out;
        if (c == '$' && i + 1 < s.size() && s[i + 1] == '{')
            return fail(error, "template literal holds a substitution");
        if (c == '\r') {  // raw CR LF and CR read as LF
            out.push_back('\n');
            i += (i + 1 < s.size() && s[i + 1] == '\n') ? 2 : 1;
            continue;
        }
        if (c != '\\') {
            out.push_back(c);
            ++i;
            continue;
        }
        if (++i >= s.size()) break;
        const char e = s[i++];
        uint32_t cp = 0;
        switch (e) {
            case 'n':
                out.push_back('\n');
                continue;
            case 'r':
                out.push_back('\r');
                continue;
            case 't':
                out.push_back('\t');
                continue;
            case 'b':
                out.push_back('\b');
                continue;
            case 'f':
                out.push_back('\f');
                continue;
            case 'v':
                out.push_back('\v');
                continue;
            case '0':
                if (i < s.size() && s[i] >= '0' && s[i] <= '9')
                    return fail(error, "octal escape in template literal");
                out.push_back('\0');
                continue;
            case '\r':  // line continuation
                if (i < s.size() && s[i] == '\n') ++i;
                continue;
            case '\n':
                continue;
            case 'x':
                if (!readHex(s, i, 2, cp)) return fail(error, "bad \\x escape");
                appendUtf8(out, cp);
                continue;
            case 'u':
                if (i < s.size() && s[i] == '{') {
                    const size_t close = s.find('}', i);
                    if (close == std::string_view::npos || close == i + 1 || close - i > 7)
                        return fail(error, "bad \\u{} escape");
                    ++i;
                    if (!readHex(s, i, close - i, cp) || cp > 0x10FFFF)
                        return fail(error, "bad \\u{} escape");
                    i = close + 1;
                } else if (!readHex(s, i, 4, cp)) {
                    return fail(error, "bad \\u escape");
                }
                if (cp >= 0xD800 && cp <= 0xDBFF) {
                    if (pendingHigh) appendUtf8(out, 0xFFFD);
                    pendingHigh = cp;
                    continue;
                }
                if (cp >= 0xDC00 && cp <= 0xDFFF && pendingHigh) {
                    cp = 0x10000 + ((pendingHigh - 0xD800) << 10) + (cp - 0xDC00);
                    pendingHigh = 0;
                } else if (cp >= 0xD800 && cp <= 0xDFFF) {
                    cp = 0xFFFD;
                }
                appendUtf8(out, cp);
                continue;
            default:
                if (e >= '1' && e <= '9') return fail(error, "octal escape in template literal");
                out.push_back(e);  // \\ \` \$ \' \" and any other character stand for themselves
                continue;
        }
    }
    return fail(error, "unterminated template literal");
}

}  // namespace tulvo::databuild
