// The character data files from Unihan, the cjk-decomp decompositions and the
// chinese-lexicon word statistics: chartypes.txt, types.txt, components.dat
// and freq.dat. Every file is laid out by the same format code that the
// program reads it with (characters/).
#pragma once

#include <cstdint>
#include <map>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

namespace tulvo::databuild {

// The Unihan fields the character files are made from, by code point; each
// value as Unihan writes it (several values separated by spaces).
struct UnihanData {
    std::map<char32_t, std::string> totalStrokes;        // kTotalStrokes
    std::map<char32_t, std::string> radicalStrokes;      // kRSUnicode
    std::map<char32_t, std::string> simplifiedVariant;   // kSimplifiedVariant
    std::map<char32_t, std::string> traditionalVariant;  // kTraditionalVariant
    std::map<char32_t, std::string> compatibilityVariant;
    std::map<char32_t, std::string> mandarin;  // kMandarin
};

// Adds the wanted fields of one Unihan text file ("U+4E2D<TAB>kField<TAB>value").
void addUnihanText(std::string_view text, UnihanData& data);
// The code points of a variant value such as "U+4E7E U+5E72"; a source tag
// after "<" is ignored.
std::vector<char32_t> unihanCodes(std::string_view value);

// 0 both, 1 simplified only, 2 traditional only, 3 neither (see README).
int formTypeOf(const UnihanData& data, char32_t code);
// The 49,152 bytes of chartypes.txt.
std::string charTypesBytes(const UnihanData& data);
// The lines of types.txt; `lines` counts them.
std::string typesBytes(const UnihanData& data, size_t& lines);

// CJKRadicals.txt: radical number ("120", "120'") to its unified ideograph.
std::map<std::string, char32_t> parseCjkRadicals(std::string_view text);
// cjk-decomp: "好:a(女,子)" lines; key to its component tokens (characters or
// numbers of unencoded parts).
using Decompositions = std::unordered_map<std::string, std::vector<std::string>>;
Decompositions parseCjkDecomp(std::string_view text);
// The components of `code` as characters: numbered parts replaced by their
// own components, parts above U+FFFF and the character itself left out, the
// radical once left out.
std::u16string otherComponents(const Decompositions& decompositions, char32_t code, char32_t radical);
// The records of components.dat for every character up to U+FFFF with a
// kRSUnicode value. Empty with `error` set when a radical is unknown.
std::string componentsBytes(const UnihanData& data, const std::map<std::string, char32_t>& radicals,
                            const Decompositions& decompositions, size_t& records, std::string* error);

// Word counts of a chinese-lexicon statistics file ("word<TAB>count..." lines).
std::unordered_map<std::string, double> parseCounts(std::string_view text);
// The HSK word lists of chinese-lexicon's hsk.js, level 1 first.
std::vector<std::vector<std::string>> parseHskLists(std::string_view js);

// Frequency class from a rank (1 = most frequent) among single characters or
// among words of two or more characters.
int characterClass(size_t rank);
int wordClass(size_t rank);

// A kMandarin syllable ("zhōng", "le", "lǜ") as the dictionary writes it
// ("zhong1", "le5", "lu:4").
std::string numberedReading(std::string_view marked);

struct FreqSources {
    std::string cedict;                    // the dictionary file
    std::unordered_map<std::string, double> bookWords, movieWords, bookChars, movieChars;
    std::vector<std::vector<std::string>> hsk;
    const UnihanData* unihan = nullptr;    // kMandarin
};
// The bytes of freq.dat; `words` counts its records.
std::string freqBytes(const FreqSources& sources, size_t& words);

}  // namespace tulvo::databuild
