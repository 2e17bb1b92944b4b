#include "tools/databuild/char_data_builder.hpp"

#include <algorithm>
#include <charconv>
#include <optional>

#include "characters/char_types.hpp"
#include "characters/components.hpp"
#include "characters/counterparts.hpp"
#include "characters/freq_file.hpp"
#include "dictionary/dictionary_file.hpp"
#include "dictionary/pinyin.hpp"
#include "platform/unicode_text.hpp"
#include "tools/databuild/text_helpers.hpp"

namespace tulvo::databuild {

using namespace source_text;

void addUnihanText(std::string_view text, UnihanData& data) {
    const std::map<std::string_view, std::map<char32_t, std::string>*> wanted = {
        {"kTotalStrokes", &data.totalStrokes},
        {"kRSUnicode", &data.radicalStrokes},
        {"kSimplifiedVariant", &data.simplifiedVariant},
        {"kTraditionalVariant", &data.traditionalVariant},
        {"kCompatibilityVariant", &data.compatibilityVariant},
        {"kMandarin", &data.mandarin},
        {"kHanyuPinlu", &data.hanyuPinlu},
        {"kCangjie", &data.cangjie},
    };
    forEachLine(text, [&](std::string_view line) {
        if (line.empty() || line[0] == '#') return;
        const size_t tab1 = line.find('\t');
        const size_t tab2 = tab1 == std::string_view::npos ? tab1 : line.find('\t', tab1 + 1);
        if (tab2 == std::string_view::npos) return;
        const auto field = wanted.find(line.substr(tab1 + 1, tab2 - tab1 - 1));
        if (field == wanted.end()) return;
        const auto code = parseCodePoint(line.substr(0, tab1));
        if (code) (*field->second)[*code] = std::string(line.substr(tab2 + 1));
    });
}

std::vector<char32_t> unihanCodes(std::string_view value) {
    std::vector<char32_t> codes;
    for (size_t start = 0; start < value.size();) {
        size_t end = value.find(' ', start);
        if (end == std::string_view::npos) end = value.size();
        std::string_view token = value.substr(start, end - start);
        token = token.substr(0, token.find('<'));
        if (const auto code = parseCodePoint(token)) codes.push_back(*code);
        start = end + 1;
    }
    return codes;
}

int formTypeOf(const UnihanData& data, char32_t code) {
    // Compatibility ideographs duplicate a unified one: hidden under both
    // preferences.
    if (data.compatibilityVariant.count(code)) return characters::kFormNeither;
    // A character is left out of simplified writing when it has simplified
    // variants and is not one of them itself, and of traditional writing
    // likewise.
    auto replaced = [code](const std::map<char32_t, std::string>& field) {
        const auto it = field.find(code);
        if (it == field.end()) return false;
        const auto codes = unihanCodes(it->second);
        return !codes.empty() && !holds(codes, code);
    };
    const bool notSimplified = replaced(data.simplifiedVariant);
    const bool notTraditional = replaced(data.traditionalVariant);
    if (notSimplified && notTraditional) return characters::kFormNeither;
    if (notSimplified) return characters::kFormTraditionalOnly;
    if (notTraditional) return characters::kFormSimplifiedOnly;
    return characters::kFormBoth;
}

std::string charTypesBytes(const UnihanData& data) {
    std::string bytes(characters::kCharTypesSize, '\0');
    for (char32_t code = characters::kCharTypesFirst; code <= 0xFFFF; ++code) {
        int strokes = 0;
        if (const auto it = data.totalStrokes.find(code); it != data.totalStrokes.end()) {
            const std::string_view value = firstValue(it->second);
            std::from_chars(value.data(), value.data() + value.size(), strokes);
        }
        bytes[code - characters::kCharTypesFirst] = char(characters::encodeCharType(
            strokes, static_cast<characters::FormType>(formTypeOf(data, code))));
    }
    return bytes;
}

std::string typesBytes(const UnihanData& data, size_t& lines) {
    // Per character, by code: its traditional counterparts (type 1), then its
    // simplified ones (type 2). The character itself and counterparts above
    // U+FFFF are left out.
    std::map<char32_t, std::string> byCode;
    auto add = [&](const std::map<char32_t, std::string>& field, int type) {
        for (const auto& [code, value] : field) {
            if (code > 0xFFFF) continue;
            for (char32_t other : unihanCodes(value)) {
                if (other == code || other > 0xFFFF) continue;
                byCode[code] += characters::typesLine(char16_t(code), type, char16_t(other));
                ++lines;
            }
        }
    };
    lines = 0;
    add(data.traditionalVariant, 1);
    add(data.simplifiedVariant, 2);
    std::string bytes;
    for (const auto& [code, text] : byCode) bytes += text;
    return bytes;
}

std::map<std::string, char32_t> parseCjkRadicals(std::string_view text) {
    std::map<std::string, char32_t> radicals;
    forEachLine(text, [&](std::string_view line) {
        if (line.empty() || line[0] == '#') return;
        const size_t semi1 = line.find(';');
        const size_t semi2 = semi1 == std::string_view::npos ? semi1 : line.find(';', semi1 + 1);
        if (semi2 == std::string_view::npos) return;
        std::string_view ideograph = line.substr(semi2 + 1);
        while (!ideograph.empty() && ideograph.front() == ' ') ideograph.remove_prefix(1);
        uint32_t code = 0;
        const auto [end, ec] =
            std::from_chars(ideograph.data(), ideograph.data() + ideograph.size(), code, 16);
        if (ec != std::errc()) return;
        radicals[std::string(line.substr(0, semi1))] = char32_t(code);
    });
    return radicals;
}

Decompositions parseCjkDecomp(std::string_view text) {
    Decompositions result;
    forEachLine(text, [&](std::string_view line) {
        const size_t colon = line.find(':');
        const size_t open = line.find('(', colon == std::string_view::npos ? 0 : colon);
        const size_t close = line.rfind(')');
        if (colon == std::string_view::npos || open == std::string_view::npos ||
            close == std::string_view::npos || close < open)
            return;
        std::vector<std::string> parts;
        const std::string_view inside = line.substr(open + 1, close - open - 1);
        for (size_t start = 0; start < inside.size();) {
            size_t end = inside.find(',', start);
            if (end == std::string_view::npos) end = inside.size();
            if (end > start) parts.emplace_back(inside.substr(start, end - start));
            start = end + 1;
        }
        // Repetitions name their part once: "ra"/"rd" two across or down
        // (林 = ra(木)), "r3tr", "r4sq" ... that many. Reflections and
        // rotations ("rrefl", "rot") stay one part.
        std::string_view type = line.substr(colon + 1, open - colon - 1);
        type = type.substr(0, type.find('/'));
        size_t copies = 1;
        if (type == "ra" || type == "rd")
            copies = 2;
        else if (type.size() >= 2 && type[0] == 'r' && type[1] >= '2' && type[1] <= '9')
            copies = size_t(type[1] - '0');
        if (parts.size() == 1) parts.assign(copies, parts.front());
        result[std::string(line.substr(0, colon))] = std::move(parts);
    });
    return result;
}

std::map<char32_t, char32_t> parseEquivalentIdeographs(std::string_view text) {
    // "2E99       ; 6535  # CJK RADICAL RAP", or a range "2E8C..2E8D ; 5C0F".
    std::map<char32_t, char32_t> equivalents;
    auto hex = [](std::string_view t) {
        while (!t.empty() && t.front() == ' ') t.remove_prefix(1);
        uint32_t code = 0;
        const auto [end, ec] = std::from_chars(t.data(), t.data() + t.size(), code, 16);
        return ec == std::errc() ? code : 0u;
    };
    forEachLine(text, [&](std::string_view line) {
        if (line.empty() || line[0] == '#') return;
        const size_t semi = line.find(';');
        if (semi == std::string_view::npos) return;
        const std::string_view range = line.substr(0, semi);
        const size_t dots = range.find("..");
        const uint32_t first = hex(range.substr(0, dots));
        const uint32_t last = dots == std::string_view::npos ? first : hex(range.substr(dots + 2));
        const uint32_t ideograph = hex(line.substr(semi + 1));
        if (first == 0 || ideograph == 0 || last < first || last - first > 64) return;
        for (uint32_t code = first; code <= last; ++code) equivalents[code] = ideograph;
    });
    return equivalents;
}

char32_t shownPart(char32_t part, const std::map<char32_t, char32_t>& equivalents) {
    // The stroke symbols that are a one-stroke character of their own.
    static const std::map<char32_t, char32_t> kStrokeCharacters = {
        {U'\u31D0', U'一'}, {U'\u31D1', U'丨'}, {U'\u31D2', U'丿'}, {U'\u31D4', U'丶'},
        {U'\u31E0', U'乙'}, {U'\u31DA', U'亅'}, {U'\u31DF', U'乚'}, {U'\u31CF', U'乀'},
    };
    if ((part >= 0x3400 && part <= 0x4DBF) || (part >= 0x4E00 && part <= 0x9FFF) || part == U'〇')
        return part;
    if (const auto it = kStrokeCharacters.find(part); it != kStrokeCharacters.end())
        return it->second;
    if (part >= 0x2E80 && part <= 0x2FDF)
        if (const auto it = equivalents.find(part); it != equivalents.end())
            return shownPart(it->second, {});
    return 0;
}

namespace {

bool isStrokeSymbol(char32_t code) {
    return code >= 0x31C0 && code <= 0x31EF;
}

int totalStrokes(const UnihanData* unihan, char32_t code) {
    if (!unihan) return 0;
    const auto it = unihan->totalStrokes.find(code);
    if (it == unihan->totalStrokes.end()) return 0;
    int strokes = 0;
    const std::string_view value = firstValue(it->second);
    std::from_chars(value.data(), value.data() + value.size(), strokes);
    return strokes;
}

// Appends the parts of `key` as characters. A decomposition that names a
// stroke symbol without a character of its own, itself or through a numbered
// part, describes strokes, not components: none of its parts is shown, and
// false is returned.
bool expandParts(const Decompositions& decompositions, const std::string& key,
                 const ComponentChecks& checks, int depth, std::u32string& out,
                 ComponentCorrections& counts) {
    const auto it = decompositions.find(key);
    if (it == decompositions.end() || depth > 8) return true;
    std::u32string own;
    for (const std::string& part : it->second) {
        if (!part.empty() && part[0] >= '0' && part[0] <= '9') {
            if (!expandParts(decompositions, part, checks, depth + 1, own, counts)) return false;
            continue;
        }
        const std::u32string codes = codePoints(part);
        if (codes.size() != 1 || codes[0] > 0xFFFF) continue;
        const char32_t shown = shownPart(codes[0], checks.equivalents);
        if (shown == 0 && isStrokeSymbol(codes[0])) {
            ++counts.strokesOnly;
            return false;
        }
        if (shown == 0) {
            ++counts.notCharacters;
            continue;
        }
        if (isStrokeSymbol(codes[0])) ++counts.strokeCharacters;
        if (shown != codes[0] && !isStrokeSymbol(codes[0])) ++counts.radicalForms;
        own.push_back(shown);
    }
    out += own;
    return true;
}

}  // namespace

std::u16string otherComponents(const Decompositions& decompositions, char32_t code,
                               char32_t radical, const ComponentChecks& checks) {
    ComponentCorrections ignored;
    return otherComponents(decompositions, code, radical, checks, ignored);
}

std::u16string otherComponents(const Decompositions& decompositions, char32_t code,
                               char32_t radical, const ComponentChecks& checks,
                               ComponentCorrections& counts) {
    ComponentCorrections found;
    std::u32string parts;
    expandParts(decompositions, toUtf8(code), checks, 0, parts, found);
    const int strokes = totalStrokes(checks.unihan, code);
    std::u32string kept;
    for (char32_t part : parts) {
        if (part == code || part > 0xFFFF) continue;
        // A part cannot have more strokes than the whole character.
        if (strokes > 0 && totalStrokes(checks.unihan, part) > strokes) {
            ++found.largerParts;
            continue;
        }
        kept.push_back(part);
    }
    // The source writes 女 for the 攵 shape in a few numbered parts (倣 "亻方女").
    // Cangjie codes describe the shape independently: a character whose code
    // has no V (女) holds no 女; ending in K (攵 is OK) its right part is 攵.
    if (checks.unihan && kept.find(U'女') != std::u32string::npos) {
        const auto cj = checks.unihan->cangjie.find(code);
        if (cj != checks.unihan->cangjie.end() && cj->second.find('V') == std::string::npos) {
            const bool rap = !cj->second.empty() && cj->second.back() == 'K';
            for (char32_t& part : kept)
                if (part == U'女') part = rap ? U'攵' : 0;
            kept.erase(std::remove(kept.begin(), kept.end(), 0), kept.end());
            ++(rap ? found.womanForRap : found.womanDropped);
        }
    }
    std::u16string out;
    for (char32_t part : kept) out.push_back(char16_t(part));
    if (const size_t at = out.find(char16_t(radical));
        at != std::u16string::npos && radical <= 0xFFFF)
        out.erase(at, 1);
    if (out.size() > 32) out.resize(32);
    // Counted once per character.
    counts.womanForRap += found.womanForRap;
    counts.womanDropped += found.womanDropped;
    counts.strokeCharacters += found.strokeCharacters > 0 && found.strokesOnly == 0;
    counts.strokesOnly += found.strokesOnly > 0;
    counts.radicalForms += found.radicalForms > 0 && found.strokesOnly == 0;
    counts.notCharacters += found.notCharacters > 0 && found.strokesOnly == 0;
    counts.largerParts += found.largerParts > 0;
    return out;
}

std::string componentsBytes(const UnihanData& data, const std::map<std::string, char32_t>& radicals,
                            const Decompositions& decompositions, size_t& records,
                            std::string* error, const std::map<char32_t, char32_t>& equivalents,
                            ComponentCorrections* corrections) {
    const ComponentChecks checks{&data, equivalents};
    ComponentCorrections counts;
    std::string bytes;
    records = 0;
    for (const auto& [code, value] : data.radicalStrokes) {
        if (code > 0xFFFF) break;
        // The first radical-stroke value: "38.3", or "120'.5" for a
        // simplified form of the radical.
        const std::string_view first = firstValue(value);
        const size_t dot = first.find('.');
        if (dot == std::string_view::npos) continue;
        std::string number(first.substr(0, dot));
        auto radical = radicals.find(number);
        if (radical == radicals.end()) {
            number.erase(std::remove(number.begin(), number.end(), '\''), number.end());
            radical = radicals.find(number);
        }
        if (radical == radicals.end() || radical->second > 0xFFFF) {
            if (error) *error = "no radical character for " + std::string(first);
            return {};
        }
        int residual = 0;
        const std::string_view strokes = first.substr(dot + 1);
        std::from_chars(strokes.data(), strokes.data() + strokes.size(), residual);
        const std::u16string text = characters::makeComponentText(
            char16_t(radical->second), residual,
            otherComponents(decompositions, code, radical->second, checks, counts));
        if (characters::appendComponentRecord(bytes, char16_t(code), text)) ++records;
    }
    if (corrections) *corrections = counts;
    return bytes;
}

}  // namespace tulvo::databuild
