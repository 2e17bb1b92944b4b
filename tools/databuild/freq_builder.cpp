// freq.dat from the word statistics, the HSK lists and the readings' shares
// of use (see README).
#include <algorithm>
#include <cctype>
#include <cmath>
#include <functional>
#include <map>
#include <optional>
#include <set>

#include "characters/freq_file.hpp"
#include "characters/reading_use.hpp"
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

std::string readingUseText(const UnihanData& unihan,
                           const std::unordered_map<std::string, double>& spokenWords) {
    // A learner who types one syllable means a word of one character, so a
    // character's use is how often it stands as a word of its own in speech:
    // its share of the words of the film subtitles (per ten million words),
    // given to its readings by their shares of kHanyuPinlu's counts. 试 (a
    // word: "to try") comes before 视 (seen in 电视), which the character
    // counts put first; the book corpus would put literary words (亦, 之)
    // before the spoken ones a learner meets first.
    double total = 0;
    for (const auto& [word, count] : spokenWords) total += count;
    auto wordShare = [&](const std::string& word) {
        const auto it = spokenWords.find(word);
        return it == spokenWords.end() || total <= 0 ? 0.0 : it->second / total;
    };
    // Sorted by their bytes, as the reader searches them.
    std::vector<std::string> lines;
    for (const auto& [code, value] : unihan.hanyuPinlu) {
        const std::string character = toUtf8(code);
        // The corpora are simplified text: a traditional form (會) that has
        // counts of its own is used as its one simplified form (会) is. A
        // character of both scripts (乾: 干 and 乾) keeps its own use.
        std::string word = character;
        if (const auto simplified = unihan.simplifiedVariant.find(code);
            simplified != unihan.simplifiedVariant.end())
            if (const auto codes = unihanCodes(simplified->second);
                codes.size() == 1 && codes[0] != code)
                word = toUtf8(codes[0]);
        const double perTenMillion = 1e7 * wordShare(word);
        for (const auto& [reading, part] : readingShares(value)) {
            const int64_t count = std::min<int64_t>(std::llround(perTenMillion * part),
                                                    tulvo::characters::ReadingUse::kMaxCount);
            if (count > 0)
                lines.push_back(character + "\t" + reading + "\t" + std::to_string(count) + "\n");
        }
    }
    std::sort(lines.begin(), lines.end());
    std::string text;
    for (const std::string& line : lines) text += line;
    return text;
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

// The mean of the shares each word (or character) has in the two corpora;
// words of one character only or of several only.
std::unordered_map<std::string, double> meanShares(const std::unordered_map<std::string, double>& a,
                                                   const std::unordered_map<std::string, double>& b,
                                                   std::optional<bool> singleCharacters) {
    double totalA = 0, totalB = 0;
    for (const auto& [_, count] : a) totalA += count;
    for (const auto& [_, count] : b) totalB += count;
    std::unordered_map<std::string, double> share;
    auto addShares = [&](const std::unordered_map<std::string, double>& counts, double total) {
        if (total <= 0) return;
        for (const auto& [word, count] : counts)
            if (!singleCharacters || (codePoints(word).size() == 1) == *singleCharacters)
                share[word] += count / total / 2;
    };
    addShares(a, totalA);
    addShares(b, totalB);
    return share;
}

// Ranks 1.. by share, the larger first.
std::unordered_map<std::string, size_t> ranks(
    const std::unordered_map<std::string, double>& share) {
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

// How the characters of the dictionary's headwords are used, weighted by
// the corpus share of each headword's simplified form: the corpora count
// simplified text only, so this is what tells a traditional form (髮, 發)
// or a character of both scripts (乾, 著) its own share of use.
struct OwnUse {
    // Weight of the positions where traditional t stands for simplified s,
    // and of all positions of simplified s.
    std::map<std::pair<char32_t, char32_t>, double> aligned;
    std::unordered_map<char32_t, double> simplifiedTotal;
    // Reading weights from the words of several characters, by the
    // character in the traditional and in the simplified headword.
    std::unordered_map<char32_t, std::map<std::string, double>> traditionalReadings,
        simplifiedReadings;
    // Traditional characters that each simplified one stands for, and the
    // readings of the one-character entries of each such pair (髮 发: fa4).
    std::unordered_map<char32_t, std::set<char32_t>> traditionalForms;
    std::map<std::pair<char32_t, char32_t>, std::set<std::string>> formReadings;
    // The HSK level through the words written with the character in either
    // form: the lowest list with a word whose headword (of either form)
    // holds it.
    std::unordered_map<char32_t, int> level;
};

// Whether every definition of an entry only points to another form
// ("variant of 克服"): such a spelling is not how the word is written.
bool variantOnly(std::string_view line) {
    const size_t open = line.find('/');
    if (open == std::string_view::npos) return false;
    bool any = false;
    for (size_t start = open + 1; start < line.size();) {
        size_t end = line.find('/', start);
        if (end == std::string_view::npos) end = line.size();
        const std::string_view definition = line.substr(start, end - start);
        start = end + 1;
        if (definition.empty()) continue;
        if (definition.find("variant of") == std::string_view::npos) return false;
        any = true;
    }
    return any;
}

OwnUse ownUse(const std::string& cedict, const std::unordered_map<std::string, double>& wordShare,
              const std::vector<std::vector<std::string>>& hsk) {
    std::unordered_map<std::string, int> hskLevel;
    for (size_t i = 0; i < hsk.size() && i < 15; ++i)
        for (const std::string& word : hsk[i]) hskLevel.emplace(word, int(i) + 1);
    struct Pair {
        std::u32string traditional, simplified;
        std::vector<std::string> readings;
        bool variant = true;  // every line only "variant of ..."
    };
    std::map<std::pair<std::string, std::string>, Pair> pairs;
    forEachLine(cedict, [&](std::string_view line) {
        if (line.empty() || line[0] == '#') return;
        const std::string traditional(dictionary::spaceField(line, 1));
        const std::string simplified(dictionary::spaceField(line, 2));
        Pair& pair = pairs[{traditional, simplified}];
        pair.traditional = codePoints(traditional);
        pair.simplified = codePoints(simplified);
        pair.readings.emplace_back(dictionary::pinyinField(line));
        pair.variant = pair.variant && variantOnly(line);
    });
    // A word written in several ways (克服, and 剋服 "variant of 克服") is
    // counted for its ordinary spellings only.
    std::unordered_map<std::string, bool> ordinarySpelling;
    for (const auto& [key, pair] : pairs)
        if (!pair.variant) ordinarySpelling[key.second] = true;
    std::unordered_map<std::string, std::set<std::string>> spellings;
    for (const auto& [key, pair] : pairs)
        if (!pair.variant || !ordinarySpelling.count(key.second))
            spellings[key.second].insert(key.first);

    OwnUse use;
    auto giveLevel = [&](char32_t c, int level) {
        auto [at, added] = use.level.emplace(c, level);
        if (!added) at->second = std::min(at->second, level);
    };
    std::map<char32_t, int> ambiguousLevels;
    for (const auto& [key, pair] : pairs) {
        const auto& [traditional, simplified] = key;
        if (pair.variant && ordinarySpelling.count(simplified)) continue;
        if (pair.traditional.size() != pair.simplified.size()) continue;
        // A word's corpus share goes to its spellings in equal parts; a word
        // of one character with several spellings (了: 了 le, 瞭 liao3) is
        // not told apart by the counts and tells nothing.
        const size_t ways = spellings[simplified].size();
        double weight = 0;
        if (const auto it = wordShare.find(simplified);
            it != wordShare.end() && (pair.simplified.size() > 1 || ways == 1))
            weight = it->second / double(std::max<size_t>(ways, 1));
        // The HSK lists are simplified: a word gives its level to the
        // characters of its spellings; a one-character word with several
        // (了 is also 瞭 [liao3], 发 also 髮) to the one most used, below.
        if (const auto it = hskLevel.find(simplified); it != hskLevel.end()) {
            if (pair.simplified.size() > 1 || ways == 1) {
                for (const std::u32string* form : {&pair.traditional, &pair.simplified})
                    for (char32_t c : *form) giveLevel(c, it->second);
            } else {
                ambiguousLevels.emplace(pair.simplified[0], it->second);
            }
        }
        for (size_t i = 0; i < pair.traditional.size(); ++i) {
            use.aligned[{pair.traditional[i], pair.simplified[i]}] += weight;
            use.simplifiedTotal[pair.simplified[i]] += weight;
            if (pair.traditional[i] != pair.simplified[i])
                use.traditionalForms[pair.simplified[i]].insert(pair.traditional[i]);
        }
        if (pair.traditional.size() == 1 && pair.traditional != pair.simplified)
            for (const std::string& reading : pair.readings)
                if (!reading.empty() && !std::isupper(static_cast<unsigned char>(reading[0])))
                    use.formReadings[{pair.traditional[0], pair.simplified[0]}].insert(reading);
        // A word's readings tell its characters' readings; a word read in
        // several ways shares its weight among them.
        if (pair.traditional.size() < 2 || weight <= 0) continue;
        for (const std::string& pinyin : pair.readings) {
            std::vector<std::string> syllables;
            for (size_t start = 0; start <= pinyin.size();) {
                size_t end = pinyin.find(' ', start);
                if (end == std::string::npos) end = pinyin.size();
                std::string syllable = pinyin.substr(start, end - start);
                std::transform(syllable.begin(), syllable.end(), syllable.begin(),
                               [](unsigned char c) { return char(std::tolower(c)); });
                syllables.push_back(std::move(syllable));
                start = end + 1;
            }
            if (syllables.size() != pair.traditional.size()) continue;
            const double share = weight / double(pair.readings.size());
            for (size_t i = 0; i < syllables.size(); ++i) {
                use.traditionalReadings[pair.traditional[i]][syllables[i]] += share;
                use.simplifiedReadings[pair.simplified[i]][syllables[i]] += share;
            }
        }
    }
    for (const auto& [simplified, level] : ambiguousLevels) {
        giveLevel(simplified, level);
        char32_t most = simplified;
        double mostWeight = -1;
        for (const auto& [forms, weight] : use.aligned)
            if (forms.second == simplified && weight > mostWeight) {
                most = forms.first;
                mostWeight = weight;
            }
        giveLevel(most, level);
    }
    return use;
}

// Whether the character is written for another one in traditional text.
bool standsForAnother(const OwnUse& use, char32_t code) {
    for (auto it = use.aligned.lower_bound({code, 0});
         it != use.aligned.end() && it->first.first == code; ++it)
        if (it->first.second != code) return true;
    return false;
}

// The readings below kReadingShare of the weights, when the weights list
// one of the dictionary's readings; nothing otherwise.
std::optional<std::vector<std::string>> rarelyRead(const std::map<std::string, double>& weights,
                                                   const std::vector<std::string>& readings,
                                                   const std::set<std::string>& alsoKept = {}) {
    double total = 0;
    for (const auto& [_, w] : weights) total += w;
    if (total <= 0) return std::nullopt;
    std::vector<std::string> excluded;
    bool anyListed = false;
    for (const std::string& reading : readings) {
        const auto it = weights.find(reading);
        if ((it != weights.end() && it->second / total >= kReadingShare) || alsoKept.count(reading))
            anyListed = true;
        else
            excluded.push_back(reading);
    }
    if (!anyListed) return std::nullopt;
    return excluded;
}

}  // namespace

std::string freqBytes(const FreqSources& sources, size_t& words) {
    const auto charShare = meanShares(sources.bookChars, sources.movieChars, true);
    const auto charRank = ranks(charShare);
    const auto wordRank = ranks(meanShares(sources.bookWords, sources.movieWords, false));
    const OwnUse use =
        ownUse(sources.cedict, meanShares(sources.bookWords, sources.movieWords, {}), sources.hsk);
    // The character shares, largest first, to rank a share of own use.
    std::vector<double> shares;
    for (const auto& [_, share] : charShare) shares.push_back(share);
    std::sort(shares.begin(), shares.end(), std::greater<>());
    auto rankOfShare = [&](double share) {
        return size_t(std::upper_bound(shares.begin(), shares.end(), share, std::greater<>()) -
                      shares.begin()) +
               1;
    };
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
    // The share of a character in traditional text: of each simplified
    // character it stands for, the part of that character's words written
    // with it (髮 takes 发's share of 头发, 理发 ...; 發 the rest).
    auto traditionalShare = [&](char32_t code) {
        double share = 0;
        for (auto it = use.aligned.lower_bound({code, 0});
             it != use.aligned.end() && it->first.first == code; ++it) {
            const auto total = use.simplifiedTotal.find(it->first.second);
            const auto own = charShare.find(toUtf8(it->first.second));
            if (total == use.simplifiedTotal.end() || total->second <= 0 || own == charShare.end())
                continue;
            share += own->second * it->second / total->second;
        }
        return share;
    };
    // A character of traditional text (a traditional form, or a character
    // of both scripts that also stands for another): its value from its own
    // use in either script, its HSK level through the words written with it.
    auto characterValue = [&](char32_t code, bool simplifiedForm) {
        double share = traditionalShare(code);
        if (simplifiedForm)
            if (const auto it = charShare.find(toUtf8(code)); it != charShare.end())
                share = std::max(share, it->second);
        const auto level = use.level.find(code);
        const int hsk = level == use.level.end() ? 0 : level->second;
        if (share <= 0 && hsk == 0) return -1;
        return int(
            characters::frequencyValue(share > 0 ? characterClass(rankOfShare(share)) : 9, hsk));
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
        const std::u32string codes = codePoints(form);
        const bool single = codes.size() == 1;
        // A character that stands for another in traditional text (發, 乾).
        const bool traditionalUse = single && standsForAnother(use, codes[0]);
        int value = -1;
        if (single && (traditionalUse || !info.simplified)) {
            // A traditional form only ever written as a variant (齣 for 出)
            // has no use of its own to value.
            value = characterValue(codes[0], info.simplified);
        } else if (info.simplified) {
            value = ownValue(form);
        } else {
            // A traditional word takes the value of its most frequent
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
        if (single && info.readings.size() > 1 && sources.unihan) {
            // Unihan's reading counts are of simplified text: a character
            // that stands for another in traditional text (著 for 着) and a
            // simplified one that stands for several (发 for 發 and 髮) are
            // read as the words written with them are.
            const auto merged = use.traditionalForms.find(codes[0]);
            const bool several =
                merged != use.traditionalForms.end() &&
                merged->second.size() + use.aligned.count({codes[0], codes[0]}) >= 2;
            std::optional<std::vector<std::string>> own;
            if (traditionalUse) {
                if (const auto it = use.traditionalReadings.find(codes[0]);
                    it != use.traditionalReadings.end() &&
                    (info.simplified || !sources.unihan->hanyuPinlu.count(codes[0])))
                    own = rarelyRead(it->second, info.readings);
            } else if (several) {
                // 发 is written for 髮 in enough of its uses for 髮's fa4
                // to be one of its readings.
                std::set<std::string> formsRead;
                const double total = use.simplifiedTotal.at(codes[0]);
                for (char32_t form : merged->second) {
                    const auto weight = use.aligned.find({form, codes[0]});
                    const auto read = use.formReadings.find({form, codes[0]});
                    if (total > 0 && weight != use.aligned.end() &&
                        weight->second / total >= kReadingShare && read != use.formReadings.end())
                        formsRead.insert(read->second.begin(), read->second.end());
                }
                if (const auto it = use.simplifiedReadings.find(codes[0]);
                    it != use.simplifiedReadings.end())
                    own = rarelyRead(it->second, info.readings, formsRead);
            }
            excluded = excludedReadings(*sources.unihan, codes[0], info.readings);
            if (own && traditionalUse) {
                excluded = *own;
            } else if (own) {
                // Unihan's counts of simplified text still hold for 只 zhi1:
                // a reading either keeps is kept.
                std::vector<std::string> both;
                for (const std::string& reading : *own)
                    if (std::find(excluded.begin(), excluded.end(), reading) != excluded.end())
                        both.push_back(reading);
                excluded = std::move(both);
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
