// radicals.txt: the grid and its cell list agree.
#include "characters/radicals.hpp"
#include "tests/fuzz/fuzz_support.hpp"

using namespace tulvo::characters;

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const auto file = tulvo::fuzz::writeInput("radicals.txt", data, size);
    const RadicalTable table = readRadicalTable(file);
    FUZZ_CHECK(!table.rows().empty());
    for (const auto& row : table.rows()) FUZZ_CHECK(row.size() == size_t(kRadicalColumns));
    const auto& cells = table.cellList();
    for (size_t number = 0; number < cells.size(); ++number) {
        int column = -1, row = -1;
        FUZZ_CHECK(std::sscanf(cells[number].c_str(), "%d,%d", &column, &row) == 2);
        FUZZ_CHECK(column >= 1 && column < kRadicalColumns);
        // Empty cells keep their place: the position is the radical number.
        FUZZ_CHECK(table.cell(column, row) != nullptr);
        FUZZ_CHECK(table.radicalNumber(cells[number]) == int(number));
    }
    FUZZ_CHECK(table.cell(kRadicalColumns, 0) == nullptr);
    FUZZ_CHECK(table.cell(1, int(table.rows().size())) == nullptr);
    return 0;
}
