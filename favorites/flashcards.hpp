// The favorite words as flashcards: each word with its marked pinyin, its
// definitions and its HSK level, written as the tab-separated lines of
// tulvo-lookup --favorites, as a file that Anki imports as it is, or as CSV.
#pragma once

#include <filesystem>
#include <string>
#include <string_view>
#include <vector>

namespace tulvo::characters {
class FreqFile;
}

namespace tulvo::favorites {

// The words of a favorites store's bytes, in the store's order. A damaged
// tail is left out.
std::vector<std::u16string> storedWords(std::string_view storeBytes);

struct Flashcard {
    std::string word;         // UTF-8
    std::string pinyin;       // marked; several readings joined by " / "
    std::string definitions;  // "; " between definitions, " | " between readings
    int hskLevel = 0;         // 0: not in the HSK lists
};

// One card per word, from every dictionary entry whose traditional or
// simplified form is the word; a word the dictionary lacks keeps empty
// pinyin and definitions.
std::vector<Flashcard> makeFlashcards(const std::vector<std::u16string>& words,
                                      const std::filesystem::path& dictionary,
                                      const characters::FreqFile& freq);

// word TAB pinyin TAB definitions TAB HSK level (empty when none), one card
// a line ended by LF.
std::string flashcardsTsv(const std::vector<Flashcard>& cards);

// Anki's text import: its header lines (tab separator, plain text, column
// names), then one tab-separated note a line; fields quoted as in CSV where
// they hold a quote.
std::string flashcardsAnki(const std::vector<Flashcard>& cards);

// RFC 4180 CSV with a header row, lines ended by CR LF.
std::string flashcardsCsv(const std::vector<Flashcard>& cards);

}  // namespace tulvo::favorites
