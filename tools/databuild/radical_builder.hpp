// The radical files: radicals.txt from the Kangxi radicals of
// CJKRadicals.txt with their common variant forms, multiradix.dat from the
// component decompositions. Every file is laid out by the same format code
// the program reads it with (characters/).
#pragma once

#include <filesystem>
#include <map>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "characters/components.hpp"
#include "characters/radicals.hpp"
#include "tools/databuild/char_data_builder.hpp"

namespace tulvo::databuild {

// The stroke count of Kangxi radical 1..214 (0 outside).
int kangxiStrokeCount(int number);

// The cell of each Kangxi radical, by radical number (1..214): its ordinary
// character, its simplified forms from CJKRadicals.txt ("120'") and the
// common variant forms of the table in radical_builder.cpp. Empty with
// `error` set when a radical is missing.
std::vector<std::u16string> radicalCellTexts(const std::map<std::string, char32_t>& radicals,
                                             std::string* error);

// The cells grouped into lines by stroke count (line k - 1 for k strokes).
std::vector<std::vector<std::u16string>> radicalLines(const std::vector<std::u16string>& cells);

// For each cell, every character U+4000..U+FFFF that contains one of the
// cell's units anywhere in its decomposition, is filed under one of them
// (its component record's radical), or is one of them; each once, by code.
std::vector<std::vector<char16_t>> multiradixLists(
    const std::vector<std::u16string>& cells, const Decompositions& decompositions,
    const std::vector<characters::ComponentRecord>& records);

// The read-back checks: what the written file, read through the program's
// readers, gets wrong (nothing when it is right).
std::vector<std::string> radicalsFileProblems(const std::filesystem::path& file,
                                              const std::vector<std::u16string>& cells);
std::vector<std::string> multiradixFileProblems(const std::filesystem::path& file,
                                                const characters::RadicalTable& table,
                                                const std::filesystem::path& chartypes,
                                                const std::vector<std::vector<char16_t>>& lists);

}  // namespace tulvo::databuild
