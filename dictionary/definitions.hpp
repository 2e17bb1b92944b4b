// The per-character definitions the character panel shows: the dictionary's
// definitions of one character for one reading.
#pragma once

#include <filesystem>
#include <string>
#include <string_view>

#include "dictionary/search_choices.hpp"

namespace tulvo::dictionary {

// The definitions of one character for one reading (numbered pinyin), one per
// line, each ending in CR LF. For the neutral tone, when the lines found all
// share one other tone, the first line is "**" and that tone digit.
std::string definitionsForReading(const std::filesystem::path& dictionaryPath,
                                  std::u16string_view character, std::string_view reading,
                                  CharForm charForm);

}  // namespace tulvo::dictionary
