#include "tools/databuild/char_data_builder.hpp"

#include <algorithm>
#include <charconv>
#include <optional>
#include <tuple>

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

DictionaryForms parseDictionaryForms(std::string_view cedict) {
    DictionaryForms forms;
    std::set<std::pair<char32_t, char32_t>> seen;
    forEachLine(cedict, [&](std::string_view line) {
        if (line.empty() || line[0] == '#') return;
        const std::u32string traditional = codePoints(dictionary::spaceField(line, 1));
        const std::u32string simplified = codePoints(dictionary::spaceField(line, 2));
        forms.traditionalChars.insert(traditional.begin(), traditional.end());
        forms.simplifiedChars.insert(simplified.begin(), simplified.end());
        if (traditional.size() != simplified.size()) return;
        for (size_t i = 0; i < traditional.size(); ++i)
            forms.aligned.emplace(traditional[i], simplified[i]);
        if (traditional.size() == 1 && traditional != simplified &&
            seen.emplace(traditional[0], simplified[0]).second)
            forms.singlePairs.emplace_back(traditional[0], simplified[0]);
    });
    return forms;
}

int formTypeOf(const UnihanData& data, char32_t code, const DictionaryForms* dictionary) {
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
    // Unihan has no variants for some pairs the dictionary writes (遊→游):
    // a form that only one side of the dictionary's headwords uses belongs
    // to that side.
    if (dictionary) {
        bool traditionalForm = false, simplifiedForm = false;
        for (const auto& [t, s] : dictionary->singlePairs) {
            traditionalForm = traditionalForm || t == code;
            simplifiedForm = simplifiedForm || s == code;
        }
        if (traditionalForm && !dictionary->simplifiedChars.count(code))
            return characters::kFormTraditionalOnly;
        if (simplifiedForm && !dictionary->traditionalChars.count(code))
            return characters::kFormSimplifiedOnly;
    }
    return characters::kFormBoth;
}

std::string charTypesBytes(const UnihanData& data, const DictionaryForms* dictionary) {
    std::string bytes(characters::kCharTypesSize, '\0');
    for (char32_t code = characters::kCharTypesFirst; code <= 0xFFFF; ++code) {
        int strokes = 0;
        if (const auto it = data.totalStrokes.find(code); it != data.totalStrokes.end()) {
            const std::string_view value = firstValue(it->second);
            std::from_chars(value.data(), value.data() + value.size(), strokes);
        }
        bytes[code - characters::kCharTypesFirst] = char(characters::encodeCharType(
            strokes, static_cast<characters::FormType>(formTypeOf(data, code, dictionary))));
    }
    return bytes;
}

std::string typesBytes(const UnihanData& data, size_t& lines, const DictionaryForms* dictionary,
                       CounterpartCounts* counts) {
    // Per character, by code: its traditional counterparts (type 1), then its
    // simplified ones (type 2), Unihan's before the dictionary's. The
    // character itself and counterparts above U+FFFF are left out.
    CounterpartCounts made;
    std::map<char32_t, std::vector<std::pair<int, char32_t>>> byCode;
    std::set<std::tuple<char32_t, int, char32_t>> written;
    auto add = [&](char32_t code, int type, char32_t other) {
        if (code > 0xFFFF || other > 0xFFFF || other == code) return false;
        if (!written.emplace(code, type, other).second) return false;
        byCode[code].emplace_back(type, other);
        ++made.lines;
        return true;
    };
    // A Unihan pair of two characters the dictionary has, but never writes
    // one for the other, is not a counterpart a reader meets.
    auto contradicted = [&](char32_t traditional, char32_t simplified) {
        if (!dictionary) return false;
        auto known = [&](char32_t c) {
            return dictionary->traditionalChars.count(c) || dictionary->simplifiedChars.count(c);
        };
        return known(traditional) && known(simplified) &&
               !dictionary->aligned.count({traditional, simplified});
    };
    for (const auto& [code, value] : data.traditionalVariant)
        for (char32_t other : unihanCodes(value)) {
            if (other != code && contradicted(other, code)) {
                ++made.dropped;
                continue;
            }
            add(code, 1, other);
        }
    for (const auto& [code, value] : data.simplifiedVariant)
        for (char32_t other : unihanCodes(value)) {
            if (other != code && contradicted(code, other)) {
                ++made.dropped;
                continue;
            }
            add(code, 2, other);
        }
    if (dictionary) {
        // The one-character entries, then the traditional-only characters of
        // longer headwords (噁 in 噁心 恶心).
        std::vector<std::pair<char32_t, char32_t>> pairs = dictionary->singlePairs;
        for (const auto& [traditional, simplified] : dictionary->aligned)
            if (traditional != simplified && !dictionary->simplifiedChars.count(traditional))
                pairs.emplace_back(traditional, simplified);
        for (const auto& [traditional, simplified] : pairs) {
            // 么 is the simplified form of 麼; the dictionary's 么 for 幺
            // (an old variant) would make it a traditional form too.
            if (const auto it = data.traditionalVariant.find(traditional);
                it != data.traditionalVariant.end()) {
                const auto codes = unihanCodes(it->second);
                if (std::any_of(codes.begin(), codes.end(),
                                [&](char32_t c) { return c != traditional; }))
                    continue;
            }
            const bool a = add(simplified, 1, traditional);
            const bool b = add(traditional, 2, simplified);
            made.fromDictionary += a || b;
        }
    }
    std::string bytes;
    for (auto& [code, list] : byCode) {
        std::stable_sort(list.begin(), list.end(),
                         [](const auto& x, const auto& y) { return x.first < y.first; });
        for (const auto& [type, other] : list)
            bytes += characters::typesLine(char16_t(code), type, char16_t(other));
    }
    lines = made.lines;
    if (counts) *counts = made;
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
        // (林 = ra(木)), "rs" one inside another (回 = rs(囗)), "rrefl"/"rrefr"
        // two mirrored (北 = rrefl(匕)), "r3tr", "r4sq" ... that many. A
        // single reflection or rotation ("refh", "rot") stays one part.
        std::string_view type = line.substr(colon + 1, open - colon - 1);
        type = type.substr(0, type.find('/'));
        size_t copies = 1;
        if (type == "ra" || type == "rd" || type == "rs" || type == "rrefl" || type == "rrefr")
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

bool isOneStrokeCharacter(char32_t code) {
    return std::u32string_view(U"一丨丿丶乙亅乚乀").find(code) != std::u32string_view::npos;
}

// Appends the parts of `key` as characters. A part that is no character of
// the shown range (a numbered part, a part above U+FFFF, a radical form
// without an ideograph such as ⺀) is replaced by its own parts, down to
// characters. A decomposition of the character itself that names a stroke
// symbol without a character of its own describes strokes, not components:
// none of its parts is shown, and false is returned. Deeper down such a
// symbol is left out and its siblings stay (继 = 纟 + [㇗ 米]).
bool expandParts(const Decompositions& decompositions, const std::string& key,
                 const ComponentChecks& checks, int depth, std::u32string& out,
                 ComponentCorrections& counts) {
    const auto it = decompositions.find(key);
    if (it == decompositions.end() || depth > 8) return true;
    std::u32string own;
    for (const std::string& part : it->second) {
        if (!part.empty() && part[0] >= '0' && part[0] <= '9') {
            expandParts(decompositions, part, checks, depth + 1, own, counts);
            continue;
        }
        const std::u32string codes = codePoints(part);
        if (codes.size() != 1) continue;
        const char32_t shown = codes[0] > 0xFFFF ? 0 : shownPart(codes[0], checks.equivalents);
        if (shown == 0 && isStrokeSymbol(codes[0])) {
            if (depth == 0) {
                ++counts.strokesOnly;
                return false;
            }
            ++counts.deepStrokes;
            continue;
        }
        if (shown == 0) {
            if (decompositions.count(part)) {
                ++counts.expandedParts;
                expandParts(decompositions, part, checks, depth + 1, own, counts);
            } else {
                ++counts.notCharacters;
            }
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
    // Only single strokes left (马 = [㇕ ㇉] 一): made of strokes, no parts.
    if (found.deepStrokes > 0 && std::all_of(parts.begin(), parts.end(),
                                             [](char32_t c) { return isOneStrokeCharacter(c); })) {
        parts.clear();
        ++found.strokesOnly;
    }
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
    counts.expandedParts += found.expandedParts > 0 && found.strokesOnly == 0;
    counts.deepStrokes += found.deepStrokes > 0 && found.strokesOnly == 0;
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
