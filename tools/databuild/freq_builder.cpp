// freq.dat from the word statistics, the HSK lists and the readings' shares
// of use (see README).
#include <algorithm>
#include <optional>

#include "characters/freq_file.hpp"
#include "dictionary/dictionary_file.hpp"
#include "dictionary/pinyin.hpp"
#include "tools/databuild/char_data_builder.hpp"
#include "tools/databuild/text_helpers.hpp"

namespace tulvo::databuild {

using namespace source_text;

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

std::vector<std::pair<std::string, double>> readingShares(std::string_view value) {
    std::vector<std::pair<std::string, double>> shares;
    double total = 0;
    for (size_t start = 0; start < value.size();) {
        size_t end = value.find(' ', start);
        if (end == std::string_view::npos) end = value.size();
        const std::string_view token = value.substr(start, end - start);
        start = end + 1;
        const size_t open = token.find('(');
        if (open == 0 || open == std::string_view::npos || token.back() != ')') continue;
        const std::string_view number = token.substr(open + 1, token.size() - open - 2);
        double count = 0;
        const auto [at, ec] = std::from_chars(number.data(), number.data() + number.size(), count);
        if (ec != std::errc() || at != number.data() + number.size() || count < 0) continue;
        // Neutral tones are written without a mark ("de"): de5 in the dictionary.
        shares.emplace_back(numberedReading(token.substr(0, open)), count);
        total += count;
    }
    for (auto& [reading, share] : shares) share = total > 0 ? share / total : 0;
    return shares;
}

std::vector<std::string> excludedReadings(const UnihanData& unihan, char32_t code,
                                          const std::vector<std::string>& readings) {
    // The readings `listed` leaves out, or nothing when it lists none of
    // the dictionary's.
    auto allBut = [&](auto&& listed) -> std::optional<std::vector<std::string>> {
        std::vector<std::string> excluded;
        bool anyListed = false;
        for (const std::string& reading : readings) {
            if (reading.empty()) continue;
            if (listed(reading))
                anyListed = true;
            else
                excluded.push_back(reading);
        }
        if (!anyListed) return std::nullopt;
        return excluded;
    };
    // Readings compare byte for byte: a surname entry (Zhang3) is not the
    // common word and stays excluded.
    if (const auto it = unihan.hanyuPinlu.find(code); it != unihan.hanyuPinlu.end()) {
        const auto shares = readingShares(it->second);
        const auto excluded = allBut([&](const std::string& reading) {
            return std::any_of(shares.begin(), shares.end(), [&](const auto& share) {
                return share.first == reading && share.second >= kReadingShare;
            });
        });
        if (excluded) return *excluded;
    }
    // Without counts that match (伍 is counted only as the neutral wu of
    // 队伍): the first kMandarin reading, the customary one.
    if (const auto it = unihan.mandarin.find(code); it != unihan.mandarin.end()) {
        const std::string customary = numberedReading(firstValue(it->second));
        const auto excluded =
            allBut([&](const std::string& reading) { return reading == customary; });
        if (excluded) return *excluded;
    }
    // A value that would apply to no reading applies to all.
    return {};
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
            if ((codePoints(word).size() == 1) == singleCharacters)
                share[word] += count / total / 2;
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
        const int cls = rank == rankOf.end() ? 9
                        : single             ? characterClass(rank->second)
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
            if (std::find(info.readings.begin(), info.readings.end(), reading) ==
                info.readings.end())
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
                if (candidate >= 0 && (value < 0 || characters::frequencyClass(candidate) <
                                                        characters::frequencyClass(value)))
                    value = candidate;
            }
        }
        if (value < 0) continue;
        // A character's value belongs to the readings it is commonly read
        // with; a word of several characters applies to every reading, as
        // the corpora count words by their characters only.
        std::vector<std::string> excluded;
        const std::u32string codes = codePoints(form);
        if (codes.size() == 1 && info.readings.size() > 1 && sources.unihan)
            excluded = excludedReadings(*sources.unihan, codes[0], info.readings);
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
