#include "platform/unicode_text.hpp"

#include <cstdint>
#include <cstring>

#if defined(__SSE2__)
#include <emmintrin.h>
#endif

namespace tulvo {
namespace {

constexpr char32_t kReplacement = 0xFFFD;

// Decodes one UTF-8 sequence at text[i]; advances i. Returns kReplacement for
// a malformed sequence (consuming one byte, or the valid prefix).
char32_t decodeOne(std::string_view text, size_t& i, bool& ok) {
    const auto byte = [&](size_t k) { return static_cast<unsigned char>(text[k]); };
    const unsigned char b0 = byte(i);
    ok = true;
    if (b0 < 0x80) {
        ++i;
        return b0;
    }
    int need;
    char32_t cp;
    char32_t min;
    if (b0 >= 0xC2 && b0 <= 0xDF) {
        need = 1, cp = b0 & 0x1F, min = 0x80;
    } else if (b0 >= 0xE0 && b0 <= 0xEF) {
        need = 2, cp = b0 & 0x0F, min = 0x800;
    } else if (b0 >= 0xF0 && b0 <= 0xF4) {
        need = 3, cp = b0 & 0x07, min = 0x10000;
    } else {
        ++i;
        ok = false;
        return kReplacement;
    }
    size_t k = i + 1;
    for (int n = 0; n < need; ++n, ++k) {
        if (k >= text.size() || (byte(k) & 0xC0) != 0x80) {
            i = k;
            ok = false;
            return kReplacement;
        }
        cp = (cp << 6) | (byte(k) & 0x3F);
    }
    i = k;
    if (cp < min || cp > 0x10FFFF || (cp >= 0xD800 && cp <= 0xDFFF)) {
        ok = false;
        return kReplacement;
    }
    return cp;
}

}  // namespace

void appendUtf8(std::string& out, char32_t cp) {
    if (cp < 0x80) {
        out.push_back(char(cp));
    } else if (cp < 0x800) {
        out.push_back(char(0xC0 | (cp >> 6)));
        out.push_back(char(0x80 | (cp & 0x3F)));
    } else if (cp < 0x10000) {
        out.push_back(char(0xE0 | (cp >> 12)));
        out.push_back(char(0x80 | ((cp >> 6) & 0x3F)));
        out.push_back(char(0x80 | (cp & 0x3F)));
    } else {
        out.push_back(char(0xF0 | (cp >> 18)));
        out.push_back(char(0x80 | ((cp >> 12) & 0x3F)));
        out.push_back(char(0x80 | ((cp >> 6) & 0x3F)));
        out.push_back(char(0x80 | (cp & 0x3F)));
    }
}

std::u16string utf8ToUtf16(std::string_view utf8) {
    // Never more units than bytes: the buffer is sized once and written
    // through, which keeps long ASCII runs (definitions) cheap.
    std::u16string out(utf8.size(), u'\0');
    char16_t* to = out.data();
    size_t i = 0;
    bool ok;
    while (i < utf8.size()) {
        if (static_cast<unsigned char>(utf8[i]) < 0x80) {
            *to++ = char16_t(utf8[i++]);
            continue;
        }
        const auto b0 = static_cast<unsigned char>(utf8[i]);
        if (b0 >= 0xE1 && b0 <= 0xEF && b0 != 0xED && i + 2 < utf8.size() &&
            (static_cast<unsigned char>(utf8[i + 1]) & 0xC0) == 0x80 &&
            (static_cast<unsigned char>(utf8[i + 2]) & 0xC0) == 0x80) {
            // Most Chinese text: a well-formed three-byte sequence.
            *to++ = char16_t((b0 & 0x0F) << 12 | (utf8[i + 1] & 0x3F) << 6 | (utf8[i + 2] & 0x3F));
            i += 3;
            continue;
        }
        const char32_t cp = decodeOne(utf8, i, ok);
        if (cp >= 0x10000) {
            *to++ = char16_t(0xD800 + ((cp - 0x10000) >> 10));
            *to++ = char16_t(0xDC00 + ((cp - 0x10000) & 0x3FF));
        } else {
            *to++ = char16_t(cp);
        }
    }
    out.resize(static_cast<size_t>(to - out.data()));
    return out;
}

std::string utf16ToUtf8(std::u16string_view utf16) {
    std::string out(utf16.size() * 3, '\0');  // at most three bytes a unit
    char* to = out.data();
    for (size_t i = 0; i < utf16.size(); ++i) {
        char32_t cp = utf16[i];
        if (cp < 0x80) {
            *to++ = char(cp);
            continue;
        }
        if (cp >= 0xD800 && cp <= 0xDBFF && i + 1 < utf16.size() && utf16[i + 1] >= 0xDC00 &&
            utf16[i + 1] <= 0xDFFF) {
            cp = 0x10000 + ((cp - 0xD800) << 10) + (utf16[i + 1] - 0xDC00);
            ++i;
        } else if (cp >= 0xD800 && cp <= 0xDFFF) {
            cp = kReplacement;
        }
        if (cp < 0x800) {
            *to++ = char(0xC0 | (cp >> 6));
        } else {
            if (cp < 0x10000) {
                *to++ = char(0xE0 | (cp >> 12));
            } else {
                *to++ = char(0xF0 | (cp >> 18));
                *to++ = char(0x80 | ((cp >> 12) & 0x3F));
            }
            *to++ = char(0x80 | ((cp >> 6) & 0x3F));
        }
        *to++ = char(0x80 | (cp & 0x3F));
    }
    out.resize(static_cast<size_t>(to - out.data()));
    return out;
}

bool isValidUtf8(std::string_view utf8) {
    size_t i = 0;
    bool ok = true;
    const auto byte = [&](size_t k) { return static_cast<unsigned char>(utf8[k]); };
    while (i < utf8.size() && ok) {
        // Runs of ASCII sixteen (or eight) bytes at a time, straight to the
        // first byte that is not; the common three-byte sequences (U+0800 to
        // U+FFFF, no surrogates) in place, the rest through the decoder.
#if defined(__SSE2__)
        if (i + 16 <= utf8.size()) {
            const auto high = static_cast<unsigned>(_mm_movemask_epi8(
                _mm_loadu_si128(reinterpret_cast<const __m128i*>(utf8.data() + i))));
            if (high == 0) {
                i += 16;
                continue;
            }
            i += static_cast<size_t>(__builtin_ctz(high));
        }
#else
        if (i + 8 <= utf8.size()) {
            uint64_t word;
            std::memcpy(&word, utf8.data() + i, 8);
            if ((word & 0x8080808080808080u) == 0) {
                i += 8;
                continue;
            }
        }
#endif
        const unsigned char b0 = byte(i);
        if (b0 < 0x80) {
            ++i;
            continue;
        }
        // A run of them (a word in characters) is passed over at once.
        const auto threeBytes = [&](size_t at) {
            const unsigned char lead = byte(at);
            return lead >= 0xE1 && lead <= 0xEF && lead != 0xED && at + 2 < utf8.size() &&
                   (byte(at + 1) & 0xC0) == 0x80 && (byte(at + 2) & 0xC0) == 0x80;
        };
        if (threeBytes(i)) {
            do i += 3;
            while (i < utf8.size() && threeBytes(i));
            continue;
        }
        decodeOne(utf8, i, ok);
    }
    return ok;
}

std::string asciiLowered(std::string_view text) {
    std::string out(text);
    asciiLowerInPlace(out);
    return out;
}

void asciiLowerInPlace(std::string& text) {
    for (char& c : text) c = asciiLower(c);
}

}  // namespace tulvo
