// Finds the encoding of a Chinese word list. Short lists give a generic
// charset detector too little to go on, and several Chinese encodings accept
// the same bytes, so every candidate is tried: the bytes are decoded strictly
// with each (a decoding error rules it out) and each decoding is scored by how
// much it reads like Chinese: common ideographs and known words score high,
// rare ideographs low, control, private-use and other scripts' characters
// count against it. The best decoding wins; the generic detector is asked
// only when no candidate reads as Chinese.
#pragma once

#include <functional>
#include <string_view>

namespace tulvo::favorites {

// The frequency class of a word or character, 0 (most common) to 9, or -1
// when it is not known. The program's frequency data answers it.
using WordClasses = std::function<int(std::u16string_view)>;

struct ListScore {
    double score = 0;    // higher reads more like Chinese
    int ideographs = 0;  // CJK unified ideographs U+4E00..U+9FFF
    int foreign = 0;     // characters no Chinese list holds
    bool chinese() const;
};

// How Chinese `text` reads. Without `classes` every ideograph counts as of
// middling frequency.
ListScore scoreText(std::u16string_view text, const WordClasses& classes);

// The code page of a word list without byte-order mark (see code_pages.hpp
// for the numbers). Text that reads as no Chinese at all gets the generic
// detector's answer, or 1252 (which yields no ideographs) when that answer
// would still decode to ideographs.
int detectListCodePage(std::string_view bytes, const WordClasses& classes);

}  // namespace tulvo::favorites
