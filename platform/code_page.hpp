// Code-page conversions of UTF-16 text through ICU converters.
#pragma once

#include <string>
#include <string_view>

namespace tulvo {

// UTF-16 → code page 936 (GBK) → UTF-16. Characters the code page lacks
// become "?". The encoded text is kept to `maxBytes`, cut between characters.
std::u16string roundTripCodePage936(std::u16string_view text, size_t maxBytes);

}  // namespace tulvo
