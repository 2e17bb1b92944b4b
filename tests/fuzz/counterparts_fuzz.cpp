// types.txt: the counterparts of codes named in the file.
#include "characters/counterparts.hpp"
#include "tests/fuzz/fuzz_support.hpp"

using namespace tulvo::characters;

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const auto file = tulvo::fuzz::writeInput("types.txt", data, size);
    for (char16_t code :
         {u'\0', u'国', u'\x56fd', u'\xFFFF', char16_t(size > 1 ? data[0] | data[1] << 8 : 0)}) {
        const Counterparts found = counterparts(file, code);
        // Two bytes a unit and one zero unit after each non-empty list.
        const auto bytes = [](const std::u16string& list) {
            return list.empty() ? 0 : int(2 * (list.size() + 1));
        };
        // A zero unit would end a 0-terminated list early.
        FUZZ_CHECK(found.simplified.find(u'\0') == std::u16string::npos);
        FUZZ_CHECK(found.traditional.find(u'\0') == std::u16string::npos);
        FUZZ_CHECK(found.count == bytes(found.simplified) + bytes(found.traditional));
    }
    return 0;
}
