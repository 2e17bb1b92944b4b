#include "favorites/list_detector.hpp"

#include <algorithm>
#include <string>
#include <vector>

#include "favorites/code_pages.hpp"

namespace tulvo::favorites {
namespace {

// The candidates in order of preference: on equal scores the earlier wins
// (GBK before GB18030, of which it is the common part).
constexpr int kCandidates[] = {kUtf8, kGbk, kBig5, kUtf16, 1201, 54936, kUtf7};

// Detection looks at the start of long files only.
constexpr size_t kSample = 64 * 1024;

enum class Kind { Ideograph, RareIdeograph, Neutral, Unusual, Foreign };

Kind kindOf(char32_t c) {
    if (c >= 0x4E00 && c <= 0x9FFF) return Kind::Ideograph;
    if ((c >= 0x3400 && c <= 0x4DBF) || (c >= 0xF900 && c <= 0xFAFF) ||
        (c >= 0x20000 && c <= 0x3FFFF))
        return Kind::RareIdeograph;
    if (c == u'\t' || c == u'\n' || c == u'\r' || c == 0x0C) return Kind::Neutral;
    if (c < 0x20 || (c >= 0x7F && c < 0xA0)) return Kind::Foreign;  // control characters
    if (c < 0x250) return Kind::Neutral;  // ASCII, Latin letters of pinyin, Latin-1 marks
    if ((c >= 0x2C7 && c <= 0x2DD) || (c >= 0x300 && c <= 0x36F))
        return Kind::Neutral;                              // tone marks
    if (c >= 0x2000 && c <= 0x206F) return Kind::Neutral;  // general punctuation
    if (c >= 0x2460 && c <= 0x24FF) return Kind::Neutral;  // circled numbers
    if (c >= 0x2100 && c <= 0x27BF) return Kind::Unusual;  // symbols, arrows, box drawing
    if (c >= 0x3000 && c <= 0x303F) return Kind::Neutral;  // CJK punctuation
    if (c >= 0x3100 && c <= 0x312F) return Kind::Unusual;  // bopomofo
    if (c >= 0x3200 && c <= 0x33FF) return Kind::Unusual;  // enclosed and squared CJK
    if (c >= 0xFE30 && c <= 0xFE4F) return Kind::Neutral;  // vertical punctuation
    if ((c >= 0xFF01 && c <= 0xFF60) || (c >= 0xFFE0 && c <= 0xFFE6) || c == 0xFEFF)
        return Kind::Neutral;  // full-width forms, byte-order mark
    // Other scripts (kana, Hangul, Greek, Cyrillic ...), private use,
    // replacement and unassigned characters.
    return Kind::Foreign;
}

// A character's weight from its frequency class: the most common +6, the
// rarest class -3, unknown -4.
double characterWeight(int frequencyClass) {
    return frequencyClass < 0 ? -4.0 : 6.0 - frequencyClass;
}

}  // namespace

bool ListScore::chinese() const {
    // Mostly common ideographs, hardly anything foreign.
    return ideographs > 0 && score >= 1.0 * ideographs && foreign * 8 <= ideographs;
}

ListScore scoreText(std::u16string_view text, const WordClasses& classes) {
    ListScore result;
    size_t runStart = 0, runLength = 0;
    auto endRun = [&] {
        // A run of ideographs that is a known word is worth more than its
        // characters: mojibake rarely forms words.
        if (classes && runLength >= 2 && runLength <= 8 &&
            classes(text.substr(runStart, runLength)) >= 0)
            result.score += 2.0 * double(runLength);
        runLength = 0;
    };
    for (size_t i = 0; i < text.size(); ++i) {
        char32_t c = text[i];
        if (c >= 0xD800 && c <= 0xDBFF && i + 1 < text.size() && text[i + 1] >= 0xDC00 &&
            text[i + 1] <= 0xDFFF) {
            c = 0x10000 + ((c - 0xD800) << 10) + (text[i + 1] - 0xDC00);
            ++i;
        }
        const Kind kind = kindOf(c);
        if (kind == Kind::Ideograph) {
            if (runLength == 0) runStart = i;
            ++runLength;
            ++result.ideographs;
            const char16_t unit = char16_t(c);
            result.score += classes ? characterWeight(classes(std::u16string_view(&unit, 1))) : 1.0;
            continue;
        }
        endRun();
        switch (kind) {
            case Kind::RareIdeograph:
                result.score -= 4;
                break;
            case Kind::Unusual:
                result.score -= 1;
                break;
            case Kind::Foreign:
                result.score -= 8;
                ++result.foreign;
                break;
            default:
                break;
        }
    }
    endRun();
    return result;
}

int detectListCodePage(std::string_view bytes, const WordClasses& classes) {
    const std::string_view sample = bytes.substr(0, kSample);
    const bool complete = sample.size() == bytes.size();
    std::vector<int> candidates(std::begin(kCandidates), std::end(kCandidates));
    // The generic detector's suggestions come last (Shift-JIS is read as GBK
    // by the import anyway).
    for (int codePage : charsetCandidates(sample))
        if (codePage != kShiftJis &&
            std::find(candidates.begin(), candidates.end(), codePage) == candidates.end())
            candidates.push_back(codePage);

    int best = -1;
    double bestScore = 0;
    for (int codePage : candidates) {
        const auto text = decodeStrict(sample, codePage, complete);
        if (!text) continue;
        const ListScore score = scoreText(*text, classes);
        if (score.chinese() && (best == -1 || score.score > bestScore)) {
            best = codePage;
            bestScore = score.score;
        }
    }
    if (best != -1) return best;

    // Not Chinese in any candidate: the generic answer, unless it would make
    // ideographs out of what is no Chinese text.
    const int generic = detectCodePage(sample);
    // The import reads a Shift-JIS answer as GBK.
    const auto text = decode(sample, generic == kShiftJis ? kGbk : generic);
    if (!text) return 1252;
    for (char16_t unit : *text)
        if (unit >= 0x4E00 && unit <= 0x9FFF) return 1252;
    return generic;
}

}  // namespace tulvo::favorites
