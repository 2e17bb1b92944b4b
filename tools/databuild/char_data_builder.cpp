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

namespace tulvo::databuild {

namespace {

// Calls fn(line) for each line, LF or CR LF ended.
template <typename Fn>
void forEachLine(std::string_view text, Fn&& fn) {
    for (size_t start = 0; start < text.size();) {
        size_t end = text.find('\n', start);
        if (end == std::string_view::npos) end = text.size();
        std::string_view line = text.substr(start, end - start);
        if (!line.empty() && line.back() == '\r') line.remove_suffix(1);
        fn(line);
        start = end + 1;
    }
}

std::string_view firstValue(std::string_view value) { return value.substr(0, value.find(' ')); }

std::optional<char32_t> parseCodePoint(std::string_view text) {
    if (text.size() < 3 || text.substr(0, 2) != "U+") return std::nullopt;
    uint32_t code = 0;
    const auto [end, ec] = std::from_chars(text.data() + 2, text.data() + text.size(), code, 16);
    if (ec != std::errc() || end == text.data() + 2) return std::nullopt;
    return char32_t(code);
}

// The code points of UTF-8 text (well-formed text only: the sources are).
std::u32string codePoints(std::string_view utf8) {
    std::u32string out;
    for (size_t i = 0; i < utf8.size();) {
        const auto b = static_cast<unsigned char>(utf8[i]);
        const int extra = b < 0x80 ? 0 : b < 0xE0 ? 1 : b < 0xF0 ? 2 : 3;
        char32_t code = extra == 0 ? b : b & (0x3F >> extra);
        for (int k = 1; k <= extra && i + k < utf8.size(); ++k)
            code = (code << 6) | (static_cast<unsigned char>(utf8[i + k]) & 0x3F);
        out.push_back(code);
        i += size_t(extra) + 1;
    }
    return out;
}

std::string toUtf8(char32_t code) {
    std::string out;
    appendUtf8(out, code);
    return out;
}

bool holds(const std::vector<char32_t>& codes, char32_t code) {
    return std::find(codes.begin(), codes.end(), code) != codes.end();
}

}  // namespace

void addUnihanText(std::string_view text, UnihanData& data) {
    const std::map<std::string_view, std::map<char32_t, std::string>*> wanted = {
        {"kTotalStrokes", &data.totalStrokes},
        {"kRSUnicode", &data.radicalStrokes},
        {"kSimplifiedVariant", &data.simplifiedVariant},
        {"kTraditionalVariant", &data.traditionalVariant},
        {"kCompatibilityVariant", &data.compatibilityVariant},
        {"kMandarin", &data.mandarin},
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
        if (type == "ra" || type == "rd") copies = 2;
        else if (type.size() >= 2 && type[0] == 'r' && type[1] >= '2' && type[1] <= '9')
            copies = size_t(type[1] - '0');
        if (parts.size() == 1) parts.assign(copies, parts.front());
        result[std::string(line.substr(0, colon))] = std::move(parts);
    });
    return result;
}

namespace {

void expandParts(const Decompositions& decompositions, const std::string& key, char32_t self,
                 int depth, std::u16string& out) {
    const auto it = decompositions.find(key);
    if (it == decompositions.end() || depth > 8) return;
    for (const std::string& part : it->second) {
        if (!part.empty() && part[0] >= '0' && part[0] <= '9') {
            expandParts(decompositions, part, self, depth + 1, out);
            continue;
        }
        const std::u32string codes = codePoints(part);
        if (codes.size() != 1 || codes[0] == self || codes[0] > 0xFFFF) continue;
        out.push_back(char16_t(codes[0]));
    }
}

}  // namespace

std::u16string otherComponents(const Decompositions& decompositions, char32_t code, char32_t radical) {
    std::u16string parts;
    expandParts(decompositions, toUtf8(code), code, 0, parts);
    if (const size_t at = parts.find(char16_t(radical)); at != std::u16string::npos && radical <= 0xFFFF)
        parts.erase(at, 1);
    if (parts.size() > 32) parts.resize(32);
    return parts;
}

std::string componentsBytes(const UnihanData& data, const std::map<std::string, char32_t>& radicals,
                            const Decompositions& decompositions, size_t& records, std::string* error) {
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
            char16_t(radical->second), residual, otherComponents(decompositions, code, radical->second));
        if (characters::appendComponentRecord(bytes, char16_t(code), text)) ++records;
    }
    return bytes;
}

std::unordered_map<std::string, double> parseCounts(std::string_view text) {
    std::unordered_map<std::string, double> counts;
    forEachLine(text, [&](std::string_view line) {
        const size_t tab = line.find('\t');
        if (tab == 0 || tab == std::string_view::npos) return;
        std::string_view number = line.substr(tab + 1);
        number = number.substr(0, number.find('\t'));
        double count = 0;
        const auto [end, ec] = std::from_chars(number.data(), number.data() + number.size(), count);
        if (ec != std::errc() || count <= 0) return;
        counts[std::string(line.substr(0, tab))] += count;
    });
    return counts;
}

std::vector<std::vector<std::string>> parseHskLists(std::string_view js) {
    std::vector<std::vector<std::string>> lists;
    size_t at = js.find("hsk");
    if (at == std::string_view::npos) return lists;
    at = js.find('[', at);
    if (at == std::string_view::npos) return lists;
    int depth = 0;
    for (; at < js.size(); ++at) {
        const char c = js[at];
        if (c == '[') {
            if (++depth == 2) lists.emplace_back();
        } else if (c == ']') {
            if (--depth == 0) break;
        } else if (c == '"' && depth == 2) {
            const size_t end = js.find('"', at + 1);
            if (end == std::string_view::npos) return {};
            lists.back().emplace_back(js.substr(at + 1, end - at - 1));
            at = end;
        }
    }
    return depth == 0 ? lists : std::vector<std::vector<std::string>>{};
}

int characterClass(size_t rank) {
    static constexpr size_t kBounds[] = {500, 1000, 1500, 2000, 3000, 4000, 5000, 6500, 8000};
    for (int i = 0; i < 9; ++i)
        if (rank <= kBounds[i]) return i;
    return 9;
}

int wordClass(size_t rank) {
    static constexpr size_t kBounds[] = {1000, 2500, 5000, 8000, 12000, 17000, 25000, 35000, 50000};
    for (int i = 0; i < 9; ++i)
        if (rank <= kBounds[i]) return i;
    return 9;
}

std::string numberedReading(std::string_view marked) {
    std::string text = dictionary::markedToNumbered(utf8ToUtf16(marked));
    dictionary::replaceAll(text, "ü", "u:");
    if (text.empty() || text.back() < '1' || text.back() > '5') text.push_back('5');
    return text;
}

namespace {

// Ranks 1.. by the mean of the shares a word has in the two corpora.
std::unordered_map<std::string, size_t> ranks(const std::unordered_map<std::string, double>& a,
                                              const std::unordered_map<std::string, double>& b,
                                              bool singleCharacters) {
    double totalA = 0, totalB = 0;
    for (const auto& [_, count] : a) totalA += count;
    for (const auto& [_, count] : b) totalB += count;
    std::unordered_map<std::string, double> share;
    auto addShares = [&](const std::unordered_map<std::string, double>& counts, double total) {
        if (total <= 0) return;
        for (const auto& [word, count] : counts)
            if ((codePoints(word).size() == 1) == singleCharacters) share[word] += count / total / 2;
    };
    addShares(a, totalA);
    addShares(b, totalB);
    std::vector<std::pair<std::string, double>> order(share.begin(), share.end());
    std::sort(order.begin(), order.end(), [](const auto& x, const auto& y) {
        return x.second != y.second ? x.second > y.second : x.first < y.first;
    });
    std::unordered_map<std::string, size_t> rank;
    for (size_t i = 0; i < order.size(); ++i) rank[order[i].first] = i + 1;
    return rank;
}

struct FormInfo {
    bool simplified = false;                   // the simplified form of some entry
    std::vector<std::string> readings;         // distinct pinyin fields, in file order
    std::vector<std::string> simplifiedForms;  // of entries where this is the traditional form
};

}  // namespace

std::string freqBytes(const FreqSources& sources, size_t& words) {
    const auto charRank = ranks(sources.bookChars, sources.movieChars, true);
    const auto wordRank = ranks(sources.bookWords, sources.movieWords, false);
    // HSK: a word's level is the lowest list that holds it; a character's,
    // the lowest list with a word that holds the character.
    std::unordered_map<std::string, int> wordLevel, charLevel;
    for (size_t i = 0; i < sources.hsk.size() && i < 15; ++i) {
        const int level = int(i) + 1;
        for (const std::string& word : sources.hsk[i]) {
            wordLevel.emplace(word, level);
            for (char32_t code : codePoints(word)) charLevel.emplace(toUtf8(code), level);
        }
    }
    // The value of a simplified form from its own statistics, or -1.
    auto ownValue = [&](const std::string& form) {
        const bool single = codePoints(form).size() == 1;
        const auto& rankOf = single ? charRank : wordRank;
        const auto& levelOf = single ? charLevel : wordLevel;
        const auto rank = rankOf.find(form);
        const auto level = levelOf.find(form);
        const int hsk = level == levelOf.end() ? 0 : level->second;
        if (rank == rankOf.end() && hsk == 0) return -1;
        const int cls = rank == rankOf.end() ? 9 : single ? characterClass(rank->second)
                                                          : wordClass(rank->second);
        return int(characters::frequencyValue(cls, hsk));
    };

    std::map<std::string, FormInfo> forms;
    forEachLine(sources.cedict, [&](std::string_view line) {
        if (line.empty() || line[0] == '#') return;
        const std::string traditional(dictionary::spaceField(line, 1));
        const std::string simplified(dictionary::spaceField(line, 2));
        const std::string reading(dictionary::pinyinField(line));
        if (traditional.empty() || simplified.empty()) return;
        auto addReading = [&](FormInfo& info) {
            if (std::find(info.readings.begin(), info.readings.end(), reading) == info.readings.end())
                info.readings.push_back(reading);
        };
        FormInfo& simple = forms[simplified];
        simple.simplified = true;
        addReading(simple);
        if (traditional != simplified) {
            FormInfo& full = forms[traditional];
            addReading(full);
            full.simplifiedForms.push_back(simplified);
        }
    });

    characters::FreqFileWriter writer;
    for (const auto& [form, info] : forms) {
        int value = -1;
        if (info.simplified) {
            value = ownValue(form);
        } else {
            // A traditional-only form takes the value of its most frequent
            // simplified form.
            for (const std::string& simplified : info.simplifiedForms) {
                const int candidate = ownValue(simplified);
                if (candidate >= 0 &&
                    (value < 0 || characters::frequencyClass(candidate) < characters::frequencyClass(value)))
                    value = candidate;
            }
        }
        if (value < 0) continue;
        // A character's value belongs to its customary reading (kMandarin)
        // only, when the dictionary has it among several.
        std::vector<std::string> excluded;
        const std::u32string codes = codePoints(form);
        if (codes.size() == 1 && info.readings.size() > 1 && sources.unihan) {
            const auto it = sources.unihan->mandarin.find(codes[0]);
            if (it != sources.unihan->mandarin.end()) {
                const std::string customary = numberedReading(firstValue(it->second));
                if (std::find(info.readings.begin(), info.readings.end(), customary) !=
                    info.readings.end()) {
                    for (const std::string& reading : info.readings)
                        if (reading != customary && !reading.empty()) excluded.push_back(reading);
                }
            }
        }
        writer.add(utf8ToUtf16(form), uint8_t(value), std::move(excluded));
    }
    // Characters the corpora know beyond the dictionary's headwords, for the
    // character panel and the radical search.
    for (const auto& [character, rank] : charRank) {
        const char32_t code = codePoints(character)[0];
        if (forms.count(character) || code < 0x3400 || code > 0xFFFF) continue;
        const int value = ownValue(character);
        if (value >= 0) writer.add(utf8ToUtf16(character), uint8_t(value));
    }
    words = writer.size();
    return writer.bytes();
}

}  // namespace tulvo::databuild
