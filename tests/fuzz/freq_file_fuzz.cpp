// freq.dat: lookups of words cut from the file's own units, with and without
// a reading.
#include "characters/freq_file.hpp"
#include "tests/fuzz/fuzz_support.hpp"

using namespace tulvo::characters;

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const auto file = tulvo::fuzz::writeInput("freq.dat", data, size);
    FreqFile freq(file);
    FUZZ_CHECK(freq.isOpen());
    // Words the blocks may hold: runs of the units that follow the header.
    std::u16string units;
    for (size_t i = 4; i + 1 < size && units.size() < 64; i += 2)
        units.push_back(char16_t(data[i] | data[i + 1] << 8));
    for (size_t length = 1; length <= 4; ++length) {
        for (size_t at = 0; at + length <= units.size() && at < 24; at += length) {
            const std::u16string_view word = std::u16string_view(units).substr(at, length);
            for (std::string_view reading : {"", "zhong1", "ni3 hao3"}) {
                const int value = freq.lookup(word, reading);
                FUZZ_CHECK(value >= -1 && value <= 255);
            }
        }
    }
    return 0;
}
