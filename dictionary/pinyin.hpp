// Pinyin with tone digits and pinyin with tone marks: the two conversions,
// the set of tone-marked vowels, and the normalisation of a typed query.
#pragma once

#include <string>
#include <string_view>

namespace tulvo::dictionary {

// Dictionary pinyin (UTF-8, tone digits) to tone-marked pinyin (UTF-16).
std::u16string numberedToMarked(std::string_view numbered);

// Tone-marked text (UTF-16) to pinyin with tone digits (UTF-8). With
// `cleanFinalSyllable`, a neutral-tone "5" ending the whole text is dropped.
std::string markedToNumbered(std::u16string_view marked, bool cleanFinalSyllable = false);

// Spaces removed, "0" to "5", "v" and "ü" to "u:": the form the search
// compares with the dictionary's pinyin field.
std::string normalizeQuery(std::string_view numbered);

// Whether a text without tone digits reads as a run of whole pinyin
// syllables (xuexi, shui, ni hao, lü, nv): letters only, any case, spaces
// and apostrophes between syllables; "v", "ü" and "u:" stand for ü.
bool readsAsTonelessPinyin(std::string_view text);

// The 36 tone-marked vowels, made once by converting every vowel with every
// tone. The query classification asks it whether a text is marked pinyin.
class MarkedVowels {
  public:
    MarkedVowels();
    bool contains(char16_t unit) const { return set_.find(unit) != std::u16string::npos; }
    bool containsAny(std::u16string_view text) const;
    const std::u16string& all() const { return set_; }

  private:
    std::u16string set_;
};

// Replaces every occurrence of `from` by `to`, left to right, without overlaps.
void replaceAll(std::string& text, std::string_view from, std::string_view to);

}  // namespace tulvo::dictionary
