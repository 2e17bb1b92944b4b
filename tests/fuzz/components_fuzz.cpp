// components.dat: records, component texts, the characters built on one,
// and the single-radical search over them.
#include "characters/char_types.hpp"
#include "characters/components.hpp"
#include "characters/radical_search.hpp"
#include "tests/fuzz/fuzz_support.hpp"

#include <algorithm>

using namespace tulvo::characters;

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const auto file = tulvo::fuzz::writeInput("components.dat", data, size);
    static const auto chartypes = [] {
        std::string bytes(kCharTypesSize, char(encodeCharType(5, kFormBoth)));
        return tulvo::fuzz::writeFile(tulvo::fuzz::scratch() / "chartypes.txt", bytes);
    }();
    const std::vector<ComponentRecord> records = componentRecords(file);
    for (size_t i = 0; i < records.size() && i < 16; ++i) {
        const ComponentRecord& record = records[i];
        FUZZ_CHECK(record.length >= 0 && record.length <= 255);
        // The first record of a code is the one looked up.
        const auto first = std::find_if(records.begin(), records.end(),
                                        [&](const auto& r) { return r.code == record.code; });
        const auto text = componentText(file, record.code);
        FUZZ_CHECK(text && int(text->size()) == first->length);
        const std::vector<char16_t> built = charactersBuiltOn(file, record.code);
        FUZZ_CHECK(std::find(built.begin(), built.end(), record.code) == built.end());
        if (record.radical != 0) {
            const std::u16string cell(1, record.radical);
            const auto lines =
                singleRadicalLines(file, chartypes, cell, tulvo::dictionary::kBothForms);
            FUZZ_CHECK(std::is_sorted(lines.begin(), lines.end()));
        }
    }
    return 0;
}
