// multiradix.dat: every list of the file, and the ones outside it.
#include "characters/radicals.hpp"
#include "tests/fuzz/fuzz_support.hpp"

using namespace tulvo::characters;

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const auto file = tulvo::fuzz::writeInput("multiradix.dat", data, size);
    const MultiradixFile lists(file);
    const int count = lists.radicalCount();
    FUZZ_CHECK(count >= 0);
    // Every list lies within the file.
    for (int e = 0; e < count && e < 512; ++e) FUZZ_CHECK(2 * lists.list(e).size() <= size);
    FUZZ_CHECK(lists.list(-1).empty() && lists.list(count).empty());
    return 0;
}
