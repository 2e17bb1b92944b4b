// Pinyin with tone digits and pinyin with tone marks: the two conversions,
// the set of tone-marked vowels, and the normalisation of a typed query.
#pragma once

#include <string>
#include <string_view>

namespace tulvo::dictionary {

// Dictionary pinyin (UTF-8, tone digits) to tone-marked pinyin (UTF-16).
std::u16string numberedToMarked(std::string_view numbered);
// The same text as UTF-8, made without UTF-16 for ASCII input.
std::string numberedToMarkedUtf8(std::string_view numbered);
// The same, appended to `out` (a row written straight into the output).
void appendNumberedToMarkedUtf8(std::string& out, std::string_view numbered);

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

// Every vowel with every tone, in the order of kAllMarkedVowels.
inline constexpr std::string_view kAllVowelsNumbered =
    "a1a2a3a4e1e2e3e4i1i2i3i4o1o2o3o4u1u2u3u4u:1u:2u:3u:4A1A2A3A4E1E2E3E4O1O2O3O4";
// What numberedToMarked makes of them: the 36 tone-marked vowels.
inline constexpr std::u16string_view kAllMarkedVowels = u"āáǎàēéěèīíǐìōóǒòūúǔùǖǘǚǜĀÁǍÀĒÉĚÈŌÓǑÒ";

// The tone-marked vowels as a set. The query classification asks it whether
// a text is marked pinyin.
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
