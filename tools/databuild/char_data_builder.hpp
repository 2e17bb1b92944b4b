// The character data files from Unihan, the cjk-decomp decompositions and the
// chinese-lexicon word statistics: chartypes.txt, types.txt, components.dat
// and freq.dat. Every file is laid out by the same format code that the
// program reads it with (characters/).
#pragma once

#include <cstdint>
#include <map>
#include <set>
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
    std::map<char32_t, std::string> mandarin;    // kMandarin
    std::map<char32_t, std::string> hanyuPinlu;  // kHanyuPinlu
    std::map<char32_t, std::string> cangjie;     // kCangjie
};

// Adds the wanted fields of one Unihan text file ("U+4E2D<TAB>kField<TAB>value").
void addUnihanText(std::string_view text, UnihanData& data);
// The code points of a variant value such as "U+4E7E U+5E72"; a source tag
// after "<" is ignored.
std::vector<char32_t> unihanCodes(std::string_view value);

// What the dictionary's headwords tell about the two forms of writing.
struct DictionaryForms {
    // (traditional, simplified) at every position of the headword pairs of
    // equal length, identical ones included.
    std::set<std::pair<char32_t, char32_t>> aligned;
    // The one-character entries whose two forms differ, (traditional,
    // simplified), each pair once, in file order.
    std::vector<std::pair<char32_t, char32_t>> singlePairs;
    std::set<char32_t> traditionalChars, simplifiedChars;  // in any headword
};
DictionaryForms parseDictionaryForms(std::string_view cedict);

// 0 both, 1 simplified only, 2 traditional only, 3 neither (see README).
// With the dictionary, a character Unihan calls "both" is traditional only
// when it is the traditional form of a one-character entry and no
// simplified headword holds it (遊, 週, 裏), and simplified only likewise.
int formTypeOf(const UnihanData& data, char32_t code, const DictionaryForms* dictionary = nullptr);
// The 49,152 bytes of chartypes.txt.
std::string charTypesBytes(const UnihanData& data, const DictionaryForms* dictionary = nullptr);

// How types.txt was made from its two sources.
struct CounterpartCounts {
    size_t lines = 0;
    size_t fromDictionary = 0;  // pairs Unihan lacks, added from the dictionary
    size_t dropped = 0;         // Unihan pairs the dictionary contradicts
};
// The lines of types.txt; `lines` counts them. Unihan's variants without
// the pairs the dictionary never writes although it has both characters
// (只→戠, 采→埰), then the dictionary's one-character pairs Unihan lacks
// (裏→里) and the traditional-only characters its longer headwords write
// for a simplified one (噁心 恶心), except where Unihan makes the traditional side a simplified
// form itself (么→幺).
std::string typesBytes(const UnihanData& data, size_t& lines,
                       const DictionaryForms* dictionary = nullptr,
                       CounterpartCounts* counts = nullptr);

// CJKRadicals.txt: radical number ("120", "120'") to its unified ideograph.
std::map<std::string, char32_t> parseCjkRadicals(std::string_view text);
// cjk-decomp: "好:a(女,子)" lines; key to its component tokens (characters or
// numbers of unencoded parts).
using Decompositions = std::unordered_map<std::string, std::vector<std::string>>;
Decompositions parseCjkDecomp(std::string_view text);
// EquivalentUnifiedIdeograph.txt: radical forms (⺙, ⺮ ...) to the unified
// ideograph they stand for (攵, 竹 ...).
std::map<char32_t, char32_t> parseEquivalentIdeographs(std::string_view text);

// What a character's parts are checked against (any may be empty).
struct ComponentChecks {
    const UnihanData* unihan = nullptr;        // kTotalStrokes, kCangjie
    std::map<char32_t, char32_t> equivalents;  // parseEquivalentIdeographs
};
// A decomposition part as a learner reads it: an ideograph as it is, a
// radical form as its ideograph, a stroke symbol of a one-stroke character
// (㇐ ㇑ ㇒ ㇔ ㇠ ...) as that character; 0 for anything else (other stroke
// symbols, katakana, unmapped forms).
char32_t shownPart(char32_t part, const std::map<char32_t, char32_t>& equivalents);

// How many characters each correction of otherComponents touched.
struct ComponentCorrections {
    size_t womanForRap = 0;       // 女 written for 攵
    size_t womanDropped = 0;      // 女 that the character's shape does not hold
    size_t strokeCharacters = 0;  // stroke symbols shown as their one-stroke character
    size_t strokesOnly = 0;       // made of other stroke symbols: no parts shown
    size_t radicalForms = 0;      // radical forms shown as their ideograph
    size_t notCharacters = 0;     // parts left out that no character stands for
    size_t largerParts = 0;       // parts of more strokes than the character
    size_t expandedParts = 0;     // parts above U+FFFF or unmapped forms shown as their parts
    size_t deepStrokes = 0;       // stroke symbols left out inside a part
};

// The components of `code` as characters: numbered parts replaced by their
// own components, each part as shownPart gives it, parts above U+FFFF, the
// character itself and parts of more strokes than the character left out,
// 女 corrected where the source writes it for 攵 (see README), the radical
// once left out.
std::u16string otherComponents(const Decompositions& decompositions, char32_t code,
                               char32_t radical, const ComponentChecks& checks = {});
std::u16string otherComponents(const Decompositions& decompositions, char32_t code,
                               char32_t radical, const ComponentChecks& checks,
                               ComponentCorrections& counts);
// The records of components.dat for every character up to U+FFFF with a
// kRSUnicode value. Empty with `error` set when a radical is unknown.
std::string componentsBytes(const UnihanData& data, const std::map<std::string, char32_t>& radicals,
                            const Decompositions& decompositions, size_t& records,
                            std::string* error,
                            const std::map<char32_t, char32_t>& equivalents = {},
                            ComponentCorrections* corrections = nullptr);

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

// A reading keeps its character's frequency value when it makes up at least
// this share of the character's kHanyuPinlu counts (see README).
constexpr double kReadingShare = 0.03;

// The readings of a kHanyuPinlu value ("zhǎng(1879) cháng(1179)") as the
// dictionary writes them ("zhang3"), each with its share of the counts.
std::vector<std::pair<std::string, double>> readingShares(std::string_view value);
// The text of readinguse.txt: how often each counted reading of each
// character is used as a word of its own, by the word counts of speech
// (the film subtitles).
std::string readingUseText(const UnihanData& unihan,
                           const std::unordered_map<std::string, double>& spokenWords);
// Which of a single character's dictionary readings its value does not apply
// to: those used rarely by kHanyuPinlu, or where its counts list none of
// them, every one but the first kMandarin reading; none when that too would
// leave no reading listed.
std::vector<std::string> excludedReadings(const UnihanData& unihan, char32_t code,
                                          const std::vector<std::string>& readings);

struct FreqSources {
    std::string cedict;  // the dictionary file
    std::unordered_map<std::string, double> bookWords, movieWords, bookChars, movieChars;
    std::vector<std::vector<std::string>> hsk;
    const UnihanData* unihan = nullptr;  // kHanyuPinlu, kMandarin
};
// The bytes of freq.dat; `words` counts its records.
std::string freqBytes(const FreqSources& sources, size_t& words);

}  // namespace tulvo::databuild
