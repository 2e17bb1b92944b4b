#include "favorites/code_pages.hpp"

#include <unicode/ucnv.h>
#include <unicode/ucsdet.h>

#include <algorithm>
#include <memory>
#include <utility>

namespace tulvo::favorites {
namespace {

struct ConverterCloser {
    void operator()(UConverter* c) const { ucnv_close(c); }
};
using Converter = std::unique_ptr<UConverter, ConverterCloser>;

Converter openConverter(int codePage) {
    const std::string name = converterName(codePage);
    if (name.empty()) return nullptr;
    UErrorCode status = U_ZERO_ERROR;
    Converter converter(ucnv_open(name.c_str(), &status));
    if (U_FAILURE(status)) return nullptr;
    return converter;
}

bool converterExists(const std::string& name) {
    UErrorCode status = U_ZERO_ERROR;
    UConverter* c = ucnv_open(name.c_str(), &status);
    if (c) ucnv_close(c);
    return U_SUCCESS(status) && status != U_USING_DEFAULT_WARNING;
}

}  // namespace

std::string converterName(int codePage) {
    switch (codePage) {
        case kUtf16:
        case 1200:
            return "UTF-16LE";
        case 1201:
            return "UTF-16BE";
        case 12000:
            return "UTF-32LE";
        case 12001:
            return "UTF-32BE";
        case kUtf8:
            return "UTF-8";
        case kUtf7:
            return "UTF-7";
        case kGbk:
            return "windows-936";
        case 54936:
            return "GB18030";
        case kBig5:
            return "windows-950";
        case 20127:
            return "US-ASCII";
        case 20866:
            return "KOI8-R";
        case 50220:
            return "ISO-2022-JP";
        case 50225:
            return "ISO-2022-KR";
        case 50227:
            return "ISO-2022-CN";
        case 51932:
            return "EUC-JP";
        case 51949:
            return "EUC-KR";
        default:
            break;
    }
    if (codePage < 0) return {};
    if (codePage >= 28591 && codePage <= 28605)
        return "ISO-8859-" + std::to_string(codePage - 28590);
    for (const char* prefix : {"windows-", "cp", "ibm-"}) {
        std::string name = prefix + std::to_string(codePage);
        if (converterExists(name)) return name;
    }
    return {};
}

namespace {

bool isHighSurrogate(char16_t u) {
    return u >= 0xD800 && u <= 0xDBFF;
}
bool isLowSurrogate(char16_t u) {
    return u >= 0xDC00 && u <= 0xDFFF;
}

// A file read as UTF-16LE may hold lone surrogates, and a limit may fall
// between the two units of a pair: the cut half is dropped, a lone one
// becomes U+FFFD, so that the text is valid UTF-16 for whoever shows it.
void repairSurrogates(std::u16string& text, bool cut) {
    if (cut && !text.empty() && isHighSurrogate(text.back())) text.pop_back();
    for (size_t i = 0; i < text.size(); ++i) {
        if (isHighSurrogate(text[i]) && i + 1 < text.size() && isLowSurrogate(text[i + 1]))
            ++i;
        else if (isHighSurrogate(text[i]) || isLowSurrogate(text[i]))
            text[i] = 0xFFFD;
    }
}

// Runs the converter over the bytes, appending to `text`, and stops once
// `maxUnits` units are out (`cut` then tells whether anything was left).
// False on a conversion error before that.
bool toUnicode(UConverter* converter, std::string_view bytes, bool flush, size_t maxUnits,
               std::u16string& text, bool& cut) {
    UChar chunk[4096];
    const char* source = bytes.data();
    const char* const sourceEnd = bytes.data() + bytes.size();
    for (;;) {
        UChar* target = chunk;
        UErrorCode status = U_ZERO_ERROR;
        ucnv_toUnicode(converter, &target, chunk + 4096, &source, sourceEnd, nullptr, flush,
                       &status);
        text.append(reinterpret_cast<const char16_t*>(chunk), size_t(target - chunk));
        if (text.size() >= maxUnits) {
            cut = text.size() > maxUnits || source < sourceEnd;
            text.resize(maxUnits);
            return true;
        }
        if (status == U_BUFFER_OVERFLOW_ERROR) continue;
        cut = false;
        return U_SUCCESS(status);
    }
}

}  // namespace

std::optional<std::u16string> decode(std::string_view bytes, int codePage, size_t maxUnits) {
    if (codePage == kUtf16) {
        const size_t units = std::min(bytes.size() / 2, maxUnits);
        std::u16string text(units, u'\0');
        for (size_t i = 0; i < units; ++i)
            text[i] = char16_t(static_cast<unsigned char>(bytes[2 * i]) |
                               static_cast<unsigned char>(bytes[2 * i + 1]) << 8);
        repairSurrogates(text, units < bytes.size() / 2);
        return text;
    }
    Converter converter = openConverter(codePage);
    if (!converter) return std::nullopt;
    std::u16string text;
    bool cut = false;
    if (!toUnicode(converter.get(), bytes, /*flush=*/true, maxUnits, text, cut))
        return std::nullopt;
    repairSurrogates(text, cut);
    return text;
}

std::optional<std::u16string> decodeStrict(std::string_view bytes, int codePage, bool complete) {
    const std::string name = converterName(codePage == kUtf16 ? 1200 : codePage);
    if (name.empty()) return std::nullopt;
    UErrorCode status = U_ZERO_ERROR;
    Converter converter(ucnv_open(name.c_str(), &status));
    if (U_FAILURE(status)) return std::nullopt;
    ucnv_setToUCallBack(converter.get(), UCNV_TO_U_CALLBACK_STOP, nullptr, nullptr, nullptr,
                        &status);
    if (U_FAILURE(status)) return std::nullopt;
    std::u16string text;
    bool cut = false;
    if (!toUnicode(converter.get(), bytes, complete, SIZE_MAX, text, cut)) return std::nullopt;
    return text;
}

std::optional<std::string> encode(std::u16string_view units, int codePage, bool strict) {
    if (codePage == kUtf16 && !strict) {
        std::string bytes;
        bytes.reserve(units.size() * 2);
        for (char16_t unit : units) {
            bytes.push_back(char(unit & 0xFF));
            bytes.push_back(char(unit >> 8));
        }
        return bytes;
    }
    Converter converter =
        strict ? openConverter(codePage == kUtf16 ? 1200 : codePage) : openConverter(codePage);
    if (!converter) return std::nullopt;
    if (strict) {
        UErrorCode status = U_ZERO_ERROR;
        ucnv_setFromUCallBack(converter.get(), UCNV_FROM_U_CALLBACK_STOP, nullptr, nullptr, nullptr,
                              &status);
        if (U_FAILURE(status)) return std::nullopt;
    }
    std::string bytes;
    char chunk[4096];
    const UChar* source = reinterpret_cast<const UChar*>(units.data());
    const UChar* const sourceEnd = source + units.size();
    for (;;) {
        char* target = chunk;
        UErrorCode status = U_ZERO_ERROR;
        ucnv_fromUnicode(converter.get(), &target, chunk + sizeof chunk, &source, sourceEnd,
                         nullptr, /*flush=*/true, &status);
        bytes.append(chunk, size_t(target - chunk));
        if (status != U_BUFFER_OVERFLOW_ERROR) {
            if (U_FAILURE(status)) return std::nullopt;
            break;
        }
    }
    return bytes;
}

int codePageOfCharset(std::string_view name) {
    static constexpr std::pair<std::string_view, int> kCharsets[] = {
        {"UTF-8", kUtf8},       {"UTF-16LE", kUtf16},    {"UTF-16BE", 1201},
        {"UTF-32LE", 12000},    {"UTF-32BE", 12001},     {"Shift_JIS", kShiftJis},
        {"GB18030", kGbk},      {"Big5", kBig5},         {"EUC-JP", 51932},
        {"EUC-KR", 51949},      {"ISO-2022-JP", 50220},  {"ISO-2022-KR", 50225},
        {"ISO-2022-CN", 50227}, {"ISO-8859-1", 1252},    {"ISO-8859-2", 28592},
        {"ISO-8859-5", 28595},  {"ISO-8859-6", 28596},   {"ISO-8859-7", 28597},
        {"ISO-8859-8", 28598},  {"ISO-8859-8-I", 38598}, {"ISO-8859-9", 28599},
        {"windows-1250", 1250}, {"windows-1251", 1251},  {"windows-1252", 1252},
        {"windows-1253", 1253}, {"windows-1254", 1254},  {"windows-1255", 1255},
        {"windows-1256", 1256}, {"KOI8-R", 20866},       {"IBM424_rtl", 20424},
        {"IBM424_ltr", 20424},  {"IBM420_rtl", 20420},   {"IBM420_ltr", 20420},
    };
    for (const auto& [charset, codePage] : kCharsets)
        if (charset == name) return codePage;
    return -1;
}

namespace {

// Runs ICU's generic detector over a bounded sample (more adds time, not
// accuracy) and hands each match's charset name and confidence to `onMatch`,
// best first. False when the detector could not run.
template <typename Fn>
bool forEachCharsetMatch(std::string_view bytes, Fn&& onMatch) {
    UErrorCode status = U_ZERO_ERROR;
    UCharsetDetector* detector = ucsdet_open(&status);
    if (U_FAILURE(status)) return false;
    const std::unique_ptr<UCharsetDetector, void (*)(UCharsetDetector*)> closer(detector,
                                                                                ucsdet_close);
    const auto sample = static_cast<int32_t>(std::min<size_t>(bytes.size(), 1 << 20));
    ucsdet_setText(detector, bytes.data(), sample, &status);
    int32_t found = 0;
    const UCharsetMatch** matches = ucsdet_detectAll(detector, &found, &status);
    if (U_FAILURE(status)) return false;
    for (int32_t i = 0; i < found; ++i) {
        UErrorCode matchStatus = U_ZERO_ERROR;
        const std::string_view name = ucsdet_getName(matches[i], &matchStatus);
        const int32_t confidence = ucsdet_getConfidence(matches[i], &matchStatus);
        if (U_FAILURE(matchStatus)) continue;
        if (!onMatch(name, confidence)) break;
    }
    return true;
}

}  // namespace

std::vector<int> charsetCandidates(std::string_view bytes) {
    std::vector<int> codePages;
    forEachCharsetMatch(bytes, [&](std::string_view name, int32_t) {
        const int codePage = codePageOfCharset(name);
        if (codePage >= 0 &&
            std::find(codePages.begin(), codePages.end(), codePage) == codePages.end())
            codePages.push_back(codePage);
        return true;
    });
    return codePages;
}

int detectCodePage(std::string_view bytes) {
    int result = -1;
    const bool ran = forEachCharsetMatch(bytes, [&](std::string_view name, int32_t confidence) {
        // Without a byte-order mark the detector rates UTF-16 and UTF-32 by
        // the ASCII units among the first thirty; one or two of them happen
        // in any bytes, while a word list has spaces and line ends.
        if ((name.starts_with("UTF-16") || name.starts_with("UTF-32")) && confidence < 30)
            return true;
        result = codePageOfCharset(name);
        return result < 0;
    });
    if (!ran) return kUtf16;
    // Nothing that looks like text: read it as Western bytes, which yield
    // no ideographs.
    return result >= 0 ? result : 1252;
}

}  // namespace tulvo::favorites
