// The dictionary file from the CC-CEDICT text: every line as published, with
// CR LF line ends.
#pragma once

#include <optional>
#include <string>
#include <string_view>

namespace tulvo::databuild {

// Turns LF-separated CC-CEDICT text into the dictionary file's bytes. Counts
// the entry lines (not comments, not empty) into `entries`.
std::string cedictWithCrLf(std::string_view text, size_t& entries);

// Fewest entries a real CC-CEDICT has; fewer means a broken source.
inline constexpr size_t kMinimumCedictEntries = 120000;

}  // namespace tulvo::databuild
