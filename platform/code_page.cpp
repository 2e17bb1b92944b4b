#include "platform/code_page.hpp"

#include <unicode/ucnv.h>

#include <memory>

namespace tulvo {
namespace {

struct ConverterCloser {
    void operator()(UConverter* c) const { ucnv_close(c); }
};
using Converter = std::unique_ptr<UConverter, ConverterCloser>;

Converter open936() {
    UErrorCode status = U_ZERO_ERROR;
    Converter converter(ucnv_open("windows-936-2000", &status));
    if (U_FAILURE(status)) return nullptr;
    status = U_ZERO_ERROR;
    ucnv_setSubstChars(converter.get(), "?", 1, &status);
    return converter;
}

}  // namespace

std::u16string roundTripCodePage936(std::u16string_view text, size_t maxBytes) {
    Converter converter = open936();
    if (!converter) return {};
    // Characters are encoded one by one so that the byte limit cuts between them.
    std::string encoded;
    for (size_t i = 0; i < text.size();) {
        size_t length = 1;
        if (text[i] >= 0xD800 && text[i] <= 0xDBFF && i + 1 < text.size() &&
            text[i + 1] >= 0xDC00 && text[i + 1] <= 0xDFFF)
            length = 2;
        char bytes[8];
        UErrorCode status = U_ZERO_ERROR;
        const int32_t n = ucnv_fromUChars(converter.get(), bytes, sizeof bytes,
                                          reinterpret_cast<const UChar*>(text.data() + i),
                                          static_cast<int32_t>(length), &status);
        if (U_FAILURE(status) || n <= 0) break;
        if (encoded.size() + static_cast<size_t>(n) > maxBytes) break;
        encoded.append(bytes, static_cast<size_t>(n));
        i += length;
    }
    std::u16string decoded(encoded.size() + 1, u'\0');
    UErrorCode status = U_ZERO_ERROR;
    const int32_t n = ucnv_toUChars(converter.get(), reinterpret_cast<UChar*>(decoded.data()),
                                    static_cast<int32_t>(decoded.size()), encoded.data(),
                                    static_cast<int32_t>(encoded.size()), &status);
    if (U_FAILURE(status)) return {};
    decoded.resize(static_cast<size_t>(n));
    return decoded;
}

}  // namespace tulvo
