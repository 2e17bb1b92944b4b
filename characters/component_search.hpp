// Component search: every character built on a chosen one, shown in the
// result list as the chosen character's own dictionary entries, then the
// entries of the characters built on it, then those of them the dictionary
// lacks as bare characters. Also the "children" line of the search history.
#pragma once

#include <filesystem>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "dictionary/result_list.hpp"
#include "dictionary/search_choices.hpp"

namespace tulvo::characters {

inline constexpr std::string_view kNoCharacterBasedOn =
    "Sorry, I could find no character based on this one.";
inline constexpr int kUtf8CodePage = 65001;

// One row to add: a dictionary line shown in form 1 or 2, or a bare
// character (form -1).
struct EntryTriple {
    std::string line;  // UTF-8
    int formField = -1;
    int codePage = kUtf8CodePage;
    bool operator==(const EntryTriple&) const = default;
};

// The rows of the component search for `chosen` under the character-form
// preference, or nothing when no character is built on it (the caller shows
// kNoCharacterBasedOn and leaves the list as it is).
std::optional<std::vector<EntryTriple>> componentSearch(const std::filesystem::path& components,
                                                        const std::filesystem::path& dictionary,
                                                        char16_t chosen,
                                                        dictionary::CharForm preference);

// Empties the list and adds the rows in order, the first with an empty sort
// key, until the list refuses one. Returns the number added.
size_t showComponentRows(dictionary::ResultList& list, const std::vector<EntryTriple>& rows);

// The history line of a component search: "children P XXXX".
std::string childrenHistoryLine(dictionary::CharForm preference, char16_t chosen);

struct ChildrenEntry {
    dictionary::CharForm preference = dictionary::kBothForms;
    char16_t chosen = 0;
};
// The values a "children" line replays, or nothing for another line.
std::optional<ChildrenEntry> parseChildrenHistoryLine(std::string_view line);

}  // namespace tulvo::characters
