// Full Unicode case folding through ICU, in a file of its own: programs that
// use the other text helpers (tulvo-lookup) do not load ICU at start for it.
#include <unicode/uchar.h>
#include <unicode/ustring.h>

#include "platform/unicode_text.hpp"

namespace tulvo {

bool equalsIgnoringCase(std::u16string_view a, std::u16string_view b) {
    // Full Unicode case folding, every script (ß matches SS, Ａ matches ａ).
    UErrorCode status = U_ZERO_ERROR;
    const int32_t order =
        u_strCaseCompare(reinterpret_cast<const UChar*>(a.data()), static_cast<int32_t>(a.size()),
                         reinterpret_cast<const UChar*>(b.data()), static_cast<int32_t>(b.size()),
                         U_FOLD_CASE_DEFAULT, &status);
    return U_SUCCESS(status) && order == 0;
}

}  // namespace tulvo
