// The dictionary file: reading it line by line, and cutting the fields out of
// an entry line. Every reader of the dictionary uses these, so that all
// lookups see the same fields.
#pragma once

#include <filesystem>
#include <functional>
#include <string_view>

namespace tulvo::dictionary {

// Where the dictionary lives, relative to the program directory.
inline const std::filesystem::path kDictionaryPath = std::filesystem::path("data") / "CEDICT_ts.u8";

// Reads the file from its first byte and hands each line, without its CR LF,
// to `onLine`; stops early when `onLine` returns false. Lines end only at
// CR LF (a lone LF is part of the line). A missing file is created empty
// (open-or-create) and yields no lines. Returns false when the file could be
// neither opened nor created.
bool scanLines(const std::filesystem::path& path,
               const std::function<bool(std::string_view line)>& onLine);

// Like scanLines, but hands over only the lines that contain `needle`
// compared ignoring ASCII case (`needle` given in lower case); every other
// line cannot match a query whose key contains it. An empty needle hands
// over every line.
bool scanLinesContaining(const std::filesystem::path& path, std::string_view needle,
                         const std::function<bool(std::string_view line)>& onLine);

// Form 1 for matching: the bytes before the first space (the whole line when
// there is none).
std::string_view matchFormTraditional(std::string_view line);

// Form 2 for matching: as many bytes as form 1 has, starting right after the
// first space, whatever the second space says (the whole line when there is
// no space).
std::string_view matchFormSimplified(std::string_view line);

// Form `index` (1 traditional, 2 simplified) for matching.
std::string_view matchForm(std::string_view line, int index);

// The k-th field (1-based) of the line split at single spaces, as shown and
// as used by the reading lookup. Field 1 of a line without a space is the
// whole line, and so is field 2.
std::string_view spaceField(std::string_view line, int k);

// The bytes after the first "[" up to the byte before the first "]" after it.
// Without "[" the field starts at the line's first byte; without "]" it runs
// to the end of the line.
std::string_view pinyinField(std::string_view line);

// The bytes after the first "/" to the end of the line (the whole line when
// there is no "/").
std::string_view definitionText(std::string_view line);

// Calls `fn` with each definition of a definition text: the pieces before
// each "/" (the piece after the last "/" is not one). Stops when `fn`
// returns false; returns false then.
template <typename Fn>
bool forEachDefinition(std::string_view definitionText, Fn&& fn) {
    size_t start = 0;
    for (size_t slash = definitionText.find('/'); slash != std::string_view::npos;
         slash = definitionText.find('/', start)) {
        if (!fn(definitionText.substr(start, slash - start))) return false;
        start = slash + 1;
    }
    return true;
}

}  // namespace tulvo::dictionary
