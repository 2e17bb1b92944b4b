// chartypes.txt: stroke counts and form types of codes across the file.
#include "characters/char_types.hpp"
#include "tests/fuzz/fuzz_support.hpp"

using namespace tulvo::characters;

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const CharTypes types(tulvo::fuzz::writeInput("chartypes.txt", data, size));
    for (uint32_t code :
         {0u, 0x3FFFu, 0x4000u, 0x4001u, uint32_t(0x4000 + size / 2), uint32_t(0x4000 + size - 1),
          uint32_t(0x4000 + size), 0xFFFFu, 0x10000u}) {
        const int strokes = types.strokeCount(code), form = types.formType(code);
        const bool inFile =
            code >= kCharTypesFirst && code <= 0xFFFF && code - kCharTypesFirst < size;
        FUZZ_CHECK(inFile ? strokes >= 0 && strokes <= 63 : strokes == -1);
        FUZZ_CHECK(inFile ? form >= 0 && form <= 3 : form == -1);
        if (inFile) FUZZ_CHECK(types.byte(code) == data[code - kCharTypesFirst]);
    }
    return 0;
}
