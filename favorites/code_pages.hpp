// Code-page numbers as the word-list files name their encodings (0 is
// UTF-16 little-endian), converted with ICU, and the detection of a byte
// text's code page.
#pragma once

#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace tulvo::favorites {

inline constexpr int kUtf16 = 0;
inline constexpr int kUtf8 = 65001;
inline constexpr int kUtf7 = 65000;
inline constexpr int kGbk = 936;
inline constexpr int kBig5 = 950;
inline constexpr int kShiftJis = 932;

// The ICU converter name for a code page; empty when ICU has none for it.
std::string converterName(int codePage);

// Decodes `bytes` to UTF-16 units; invalid sequences become substitution
// characters. Code page 0 takes the bytes as UTF-16LE units (an odd last
// byte is dropped). Empty when the code page is unknown. At most
// `maxUnits` units are returned, never half of a surrogate pair; a lone
// surrogate becomes U+FFFD, so that the result is valid UTF-16.
std::optional<std::u16string> decode(std::string_view bytes, int codePage,
                                     size_t maxUnits = std::u16string::npos);

// Decodes `bytes` refusing anything the code page does not define: empty on
// the first invalid or unassigned sequence. With `complete` false the bytes
// are a sample cut from a longer text, and a sequence cut at its end is not
// an error. Code page 0 refuses unpaired surrogates.
std::optional<std::u16string> decodeStrict(std::string_view bytes, int codePage,
                                           bool complete = true);

// Encodes UTF-16 units in the code page; empty when it is unknown. With
// `strict`, also empty when the code page cannot hold one of the characters
// (instead of a substitute such as "?").
std::optional<std::string> encode(std::u16string_view units, int codePage, bool strict = false);

// The code page that ICU's charset detector finds most likely for `bytes`.
// Its weak UTF-16 and UTF-32 guesses are passed over, so that bytes that are
// not text do not decode as ideographs. 0 when the detector is unavailable.
int detectCodePage(std::string_view bytes);

// The code pages ICU's charset detector suggests for `bytes`, most likely
// first, each once.
std::vector<int> charsetCandidates(std::string_view bytes);

// The code page of one of the detector's charset names; -1 when unknown.
int codePageOfCharset(std::string_view name);

}  // namespace tulvo::favorites
