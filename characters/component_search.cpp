#include "characters/component_search.hpp"

#include <charconv>
#include <cstdio>

#include "characters/components.hpp"
#include "dictionary/dictionary_file.hpp"
#include "platform/unicode_text.hpp"

namespace tulvo::characters {

std::optional<std::vector<EntryTriple>> componentSearch(const std::filesystem::path& components,
                                                        const std::filesystem::path& dictionary,
                                                        char16_t chosen,
                                                        dictionary::CharForm preference) {
    const std::vector<char16_t> built = charactersBuiltOn(components, chosen);
    if (built.empty()) return std::nullopt;

    // The character list, line 0 the chosen character, as UTF-8 lines; the
    // leftover list starts as a copy and loses each character whose entry
    // is taken.
    std::vector<std::string> characters;
    characters.push_back(utf16ToUtf8(std::u16string(1, chosen)));
    for (char16_t code : built) characters.push_back(utf16ToUtf8(std::u16string(1, code)));
    std::vector<bool> left(characters.size(), true);

    // Headwords compared: simplified only, both (traditional first), or
    // traditional only.
    std::vector<int> fields;
    if (preference != 0) fields.push_back(1);
    if (preference != 2) fields.push_back(2);

    std::vector<EntryTriple> own, others;
    dictionary::scanLines(dictionary, [&](std::string_view line) {
        // Only lines whose first headword is one three-byte character.
        if (line.size() < 4 || line[3] != ' ') return true;
        std::string_view previous;
        for (int field : fields) {
            if (field == 2 && line.size() < 7) continue;
            const std::string_view character = line.substr(field == 1 ? 0 : 4, 3);
            if (character == previous) continue;
            previous = character;
            size_t found = 0;
            while (found < characters.size() && characters[found] != character) ++found;
            if (found == characters.size()) continue;
            (found == 0 ? own : others).push_back({std::string(line), field, kUtf8CodePage});
            for (size_t i = 0; i < characters.size(); ++i)
                if (characters[i] == character) left[i] = false;
        }
        return true;
    });

    std::vector<EntryTriple> rows;
    if (own.empty() && left[0]) {
        // The chosen character alone stands for its missing entries; it is
        // not listed again with the other bare characters.
        rows.push_back({characters[0], -1, kUtf8CodePage});
        left[0] = false;
    }
    rows.insert(rows.end(), own.begin(), own.end());
    rows.insert(rows.end(), others.begin(), others.end());
    for (size_t i = 0; i < characters.size(); ++i)
        if (left[i] && !characters[i].empty()) rows.push_back({characters[i], -1, kUtf8CodePage});
    return rows;
}

size_t showComponentRows(dictionary::ResultList& list, const std::vector<EntryTriple>& rows) {
    list.clear();
    size_t added = 0;
    for (const EntryTriple& row : rows) {
        if (list.add(row.line, row.formField, /*emptySortKey=*/added == 0) == 0) break;
        ++added;
    }
    list.sortNewRows();
    return added;
}

std::string childrenHistoryLine(dictionary::CharForm preference, char16_t chosen) {
    char buffer[32];
    std::snprintf(buffer, sizeof buffer, "children %d %04X", preference, unsigned(chosen));
    return buffer;
}

std::optional<ChildrenEntry> parseChildrenHistoryLine(std::string_view line) {
    constexpr std::string_view kWord = "children ";
    if (line.substr(0, kWord.size()) != kWord) return std::nullopt;
    line.remove_prefix(kWord.size());
    const size_t space = line.find(' ');
    if (space == std::string_view::npos) return std::nullopt;
    ChildrenEntry entry;
    const std::string_view preference = line.substr(0, space);
    int form = -1;
    const auto [pEnd, pError] =
        std::from_chars(preference.data(), preference.data() + preference.size(), form);
    if (pError != std::errc() || pEnd != preference.data() + preference.size() ||
        !dictionary::isCharForm(form))
        return std::nullopt;
    entry.preference = dictionary::CharForm(form);
    const std::string_view hex = line.substr(space + 1);
    unsigned code = 0;
    const auto [hEnd, hError] = std::from_chars(hex.data(), hex.data() + hex.size(), code, 16);
    if (hError != std::errc() || hEnd != hex.data() + hex.size() || hex.size() > 4)
        return std::nullopt;
    entry.chosen = char16_t(code);
    return entry;
}

}  // namespace tulvo::characters
