// Frames from the popup program (message number and two 64-bit parameters):
// the text of a lookup message is at most four units, none of them zero.
#include "shell/popup_messages.hpp"
#include "tests/fuzz/fuzz_support.hpp"

#include <cstring>

using namespace tulvo::shell;

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    for (size_t at = 0; at + 24 <= size; at += 24) {
        int64_t frame[3];
        std::memcpy(frame, data + at, sizeof frame);
        if (uint32_t(frame[0]) != kMessageLookup) continue;
        const std::u16string text = lookupText(frame[1], frame[2]);
        FUZZ_CHECK(text.size() <= 4);
        FUZZ_CHECK(text.find(u'\0') == std::u16string::npos);
        // The first unit is the low half of the first parameter.
        if (!text.empty()) FUZZ_CHECK(text[0] == char16_t(uint64_t(frame[1]) & 0xFFFF));
    }
    return 0;
}
