#include "dictionary/pinyin.hpp"

#include <algorithm>
#include <array>
#include <cstdint>
#include <cstring>
#include <string>
#include <utility>
#include <vector>

#include "platform/unicode_text.hpp"

namespace tulvo::dictionary {
namespace {

// Which pattern bytes (ASCII letters, digits, ":" and "|": every byte the
// rules look for) a text holds, one bit each; a rule whose pattern needs a
// byte the text lacks cannot match and is skipped without searching.
constexpr int patternBit(unsigned char c) {
    if (c >= 'a' && c <= 'z') return c - 'a';
    if (c >= 'A' && c <= 'Z') return 26 + (c - 'A');
    if (c >= '0' && c <= '9') return 52 + (c - '0');
    if (c == ':') return 62;
    if (c == '|') return 63;
    return -1;
}

struct ByteSet {
    uint64_t bits = 0;
    void add(std::string_view text) {
        for (unsigned char c : text)
            if (const int bit = patternBit(c); bit >= 0) bits |= uint64_t(1) << bit;
    }
    bool within(const ByteSet& other) const { return (bits & ~other.bits) == 0; }
};

struct Rule {
    Rule(std::string f, std::string t) : from(std::move(f)), to(std::move(t)) { needs.add(from); }
    std::string from, to;
    ByteSet needs;
};

// Expands a rule written for tone 1 into the rules for tones 1 to 4, in that
// order: every "1" in both sides becomes the tone digit.
void addForTones(std::vector<Rule>& rules, std::string_view from, std::string_view to) {
    for (char digit = '1'; digit <= '4'; ++digit) {
        std::string f(from), t(to);
        for (char& c : f)
            if (c == '1') c = digit;
        for (char& c : t)
            if (c == '1') c = digit;
        rules.emplace_back(std::move(f), std::move(t));
    }
}

// Steps 2 to 5 of numbered-to-marked, on UTF-8 bytes. Placeholders are
// Latin-1 letters (and "*") that the UTF-16 pass below turns into the final
// marked letters.
std::vector<Rule> makeNumberedToMarkedRules() {
    std::vector<Rule> rules = {{"A", "|a"}, {"O", "|o"}, {"E", "|e"}};
    const char* moves[][2] = {
        {"ai1", "a1i"},   {"ao1", "a1o"},   {"ei1", "e1i"},   {"ou1", "o1u"},   {"u:e1", "u:1e"},
        {"an1", "a1n"},   {"en1", "e1n"},   {"in1", "i1n"},   {"un1", "u1n"},   {"ang1", "a1ng"},
        {"eng1", "e1ng"}, {"ing1", "i1ng"}, {"ong1", "o1ng"}, {"ung1", "u1ng"}, {"er1", "e1r"},
        {"ar1", "a1r"},   {"ir1", "i1r"},   {"anr1", "a1nr"}, {"inr1", "i1nr"},
    };
    for (auto& m : moves) addForTones(rules, m[0], m[1]);
    const Rule capitals[] = {
        {"|a1", "Ä"}, {"|a2", "Á"}, {"|a3", "Â"}, {"|a4", "À"}, {"|a", "A"},
        {"|e1", "Ē"}, {"|e2", "É"}, {"|e3", "Ě"}, {"|e4", "È"}, {"|e", "E"},
        {"|o1", "Ö"}, {"|o2", "Ó"}, {"|o3", "Ô"}, {"|o4", "Ò"}, {"|o", "O"},
    };
    rules.insert(rules.end(), std::begin(capitals), std::end(capitals));
    const Rule vowels[] = {
        {"a1", "ä"}, {"a2", "á"}, {"a3", "â"},  {"a4", "*"},  {"e1", "ë"},  {"e2", "é"},
        {"e3", "ê"}, {"e4", "è"}, {"i1", "ï"},  {"i2", "í"},  {"i3", "î"},  {"i4", "ì"},
        {"o1", "ö"}, {"o2", "ó"}, {"o3", "ô"},  {"o4", "ò"},  {"u1", "ü"},  {"u2", "ú"},
        {"u3", "û"}, {"u4", "ù"}, {"u:1", "ǖ"}, {"u:2", "ǘ"}, {"u:3", "ǚ"}, {"u:4", "ǜ"},
    };
    rules.insert(rules.end(), std::begin(vowels), std::end(vowels));
    return rules;
}

// Step 7: placeholder units to final marked letters, on UTF-16.
constexpr std::array<std::pair<char16_t, char16_t>, 19> kPlaceholders = {{
    {u'ä', u'ā'}, {u'â', u'ǎ'}, {u'Ä', u'Ā'}, {u'Â', u'Ǎ'}, {u'ë', u'ē'},
    {u'ê', u'ě'}, {u'ï', u'ī'}, {u'î', u'ǐ'}, {u'ö', u'ō'}, {u'ô', u'ǒ'},
    {u'Ö', u'Ō'}, {u'Ô', u'Ǒ'}, {u'ü', u'ū'}, {u'û', u'ǔ'}, {u'ÿ', u'ǖ'},
    {u'Ü', u'ǘ'}, {u'ç', u'ǚ'}, {u'Ç', u'ǜ'}, {u'*', u'à'},
}};

// Steps 2 to 6 of marked-to-numbered, split where the final-syllable clean-up
// goes in between.
struct MarkedToNumberedRules {
    std::vector<Rule> letters;   // step 2
    std::vector<Rule> vowels;    // step 4
    std::vector<Rule> moves;     // step 5
    std::vector<Rule> capitals;  // step 6
};

MarkedToNumberedRules makeMarkedToNumberedRules() {
    MarkedToNumberedRules r;
    r.letters = {
        {"ǖ", "u:1"}, {"ǘ", "u:2"}, {"ǚ", "u:3"}, {"ǜ", "u:4"}, {"Ā", "|a1"},
        {"Á", "|a2"}, {"Ǎ", "|a3"}, {"À", "|a4"}, {"A", "|a"},  {"Ē", "|e1"},
        {"É", "|e2"}, {"Ě", "|e3"}, {"È", "|e4"}, {"E", "|e"},  {"Ō", "|o1"},
        {"Ó", "|o2"}, {"Ǒ", "|o3"}, {"Ò", "|o4"}, {"O", "|o"},
    };
    r.vowels = {
        {"ā", "a1"}, {"á", "a2"}, {"ǎ", "a3"}, {"`", "a4"}, {"ē", "e1"}, {"é", "e2"}, {"ě", "e3"},
        {"è", "e4"}, {"ī", "i1"}, {"í", "i2"}, {"ǐ", "i3"}, {"ì", "i4"}, {"ō", "o1"}, {"ó", "o2"},
        {"ǒ", "o3"}, {"ò", "o4"}, {"ū", "u1"}, {"ú", "u2"}, {"ǔ", "u3"}, {"ù", "u4"},
    };
    const char* moves[][2] = {
        {"a1ng", "ang1"}, {"e1ng", "eng1"}, {"i1ng", "ing1"}, {"o1ng", "ong1"}, {"u1ng", "ung1"},
        {"e1r", "er1"},   {"a1nr", "anr1"}, {"i1nr", "inr1"}, {"a1n", "an1"},   {"e1n", "en1"},
        {"i1n", "in1"},   {"u1n", "un1"},   {"a1i", "ai1"},   {"a1o", "ao1"},   {"e1i", "ei1"},
        {"o1u", "ou1"},   {"u:1e", "u:e1"},
    };
    for (auto& m : moves) addForTones(r.moves, m[0], m[1]);
    r.capitals = {{"|a", "A"}, {"|o", "O"}, {"|e", "E"}};
    return r;
}

// The rules for a text by the tone digits it holds: index 0 for a text
// without one, 1 to 4 for a text whose only digit that is, 5 for any other
// text. No rule brings in a digit its pattern lacks, so a rule whose pattern
// needs another digit can never match and is left out of the shorter lists.
const std::vector<Rule>& numberedToMarkedRules(std::string_view text) {
    static const std::array<std::vector<Rule>, 6> lists = [] {
        std::array<std::vector<Rule>, 6> made;
        const std::vector<Rule> all = makeNumberedToMarkedRules();
        made[5] = all;
        for (char only = '0'; only <= '4'; ++only) {
            for (const Rule& rule : all) {
                const bool otherDigit =
                    std::any_of(rule.from.begin(), rule.from.end(),
                                [&](char c) { return c >= '1' && c <= '4' && c != only; });
                if (!otherDigit) made[size_t(only - '0')].push_back(rule);
            }
        }
        return made;
    }();
    char only = '0';
    for (char c : text) {
        if (c < '1' || c > '4' || c == only) continue;
        if (only != '0') return lists[5];
        only = c;
    }
    return lists[size_t(only - '0')];
}

const MarkedToNumberedRules& markedToNumberedRules() {
    static const MarkedToNumberedRules rules = makeMarkedToNumberedRules();
    return rules;
}

// replaceAll for the short texts the rules work on: in place, the search
// going on after each inserted text, over bytes that are still the original's.
void replaceInPlace(std::string& text, std::string_view from, std::string_view to) {
    // A plain byte loop: on a few bytes it beats a library search.
    const auto findFrom = [&](size_t at) {
        for (; at + from.size() <= text.size(); ++at)
            if (std::string_view(text).substr(at, from.size()) == from) return at;
        return std::string::npos;
    };
    for (size_t pos = findFrom(0); pos != std::string::npos; pos = findFrom(pos + to.size()))
        text.replace(pos, from.size(), to);
}

void applyRules(std::string& text, const std::vector<Rule>& rules) {
    ByteSet present;
    present.add(text);
    for (const Rule& rule : rules) {
        if (!rule.needs.within(present)) continue;
        // A long text (a whole pasted paragraph) is rebuilt once per rule
        // instead, which stays linear.
        if (text.size() <= 64)
            replaceInPlace(text, rule.from, rule.to);
        else
            replaceAll(text, rule.from, rule.to);
        present.add(rule.to);  // stays a superset of the bytes present
    }
}

constexpr std::string_view kFinalEndings[] = {
    "ang5", "eng5", "ing5", "ong5", "ung5", "er5", "ar5", "ir5", "anr5", "inr5",
    "an5",  "en5",  "in5",  "on5",  "un5",  "a5",  "e5",  "i5",  "o5",   "u5",
};

}  // namespace

void replaceAll(std::string& text, std::string_view from, std::string_view to) {
    size_t pos = text.find(from);
    if (pos == std::string::npos) return;
    std::string out;
    out.reserve(text.size() + 8);
    size_t start = 0;
    for (; pos != std::string::npos; pos = text.find(from, start)) {
        out.append(text, start, pos - start);
        out.append(to);
        start = pos + from.size();
    }
    out.append(text, start, std::string::npos);
    text.swap(out);
}

namespace {

// Steps 1 to 6: the text with its placeholders.
std::string withPlaceholders(std::string_view numbered) {
    std::string text;
    text.reserve(numbered.size() + 8);
    for (char c : numbered)
        if (c != '5' && c != '0') text.push_back(c);
    // A text without a byte the rules look for (a "·" or "," of its own)
    // stays as it is, without the rules being made for it.
    ByteSet present;
    present.add(text);
    if (present.bits != 0) applyRules(text, numberedToMarkedRules(text));
    return text;
}

// An ASCII syllable to marked UTF-8: step 7 on the UTF-8 bytes, where the
// placeholders are "*" and two-byte Latin-1 letters; the text is well-formed
// since the input was ASCII.
std::string convertAsciiSyllable(std::string_view numbered) {
    const std::string text = withPlaceholders(numbered);
    std::string marked;
    marked.reserve(text.size() + 4);
    for (size_t i = 0; i < text.size(); ++i) {
        const auto byte = static_cast<unsigned char>(text[i]);
        // Letters and every other ASCII byte but the "*" placeholder stay.
        if (byte < 0x80 && byte != '*') {
            marked.push_back(text[i]);
            continue;
        }
        char16_t unit = byte;
        if (byte >= 0x80 && i + 1 < text.size())
            unit = char16_t((byte & 0x1F) << 6 | (static_cast<unsigned char>(text[i + 1]) & 0x3F));
        const bool twoBytes = byte >= 0xC0;
        const auto placeholder = std::find_if(kPlaceholders.begin(), kPlaceholders.end(),
                                              [&](const auto& pair) { return pair.first == unit; });
        if ((byte == '*' || (byte == 0xC3 && twoBytes)) && placeholder != kPlaceholders.end()) {
            appendUtf8(marked, placeholder->second);
        } else {
            marked.push_back(text[i]);
            if (twoBytes) marked.push_back(text[i + 1]);
        }
        if (twoBytes) ++i;
    }
    return marked;
}

std::u16string convertNumberedToMarked(std::string_view numbered) {
    std::u16string marked = utf8ToUtf16(withPlaceholders(numbered));
    for (char16_t& unit : marked) {
        for (const auto& [from, to] : kPlaceholders) {
            if (unit == from) {
                unit = to;
                break;
            }
        }
    }
    return marked;
}

}  // namespace

namespace {

// What the rules make of a syllable of letters and at most one tone digit at
// its end, found directly: the rules that apply to such text are the moves,
// the capitals A, E and O and the vowels (other capitals are left as they
// are). Each move, in the rules' order, looks at the letters before the
// digit and may put the digit further forward (after the first letter of
// what it matched, or after u: for u:e), where a later move may see it again;
// the vowel before the digit then takes the mark. "u:" is one vowel, ü. A
// capital A, E or O is marked when the digit follows it, else stays. 5
// drops out. False for any other text (a capital A, E or O after the first
// letter, a ":" not after u, other digits), which the rules convert. Checked
// against the rules on every short text.
bool markPlainSyllable(std::string_view syllable, std::string& marked) {
    if (syllable.empty()) return false;
    const char last = syllable.back();
    const bool digit = last >= '1' && last <= '5';
    const std::string_view letters = digit ? syllable.substr(0, syllable.size() - 1) : syllable;
    for (size_t i = 0; i < letters.size(); ++i) {
        const char c = letters[i];
        const bool fits =
            (c >= 'a' && c <= 'z') ||
            (c >= 'A' && c <= 'Z' && (i == 0 || (c != 'A' && c != 'E' && c != 'O'))) ||
            (c == ':' && i > 0 && letters[i - 1] == 'u');
        if (!fits) return false;
    }
    marked.assign(letters);
    if (!digit || last == '5') return true;
    // The moves look at lower-case letters; a capital vowel first is one.
    const char first = letters.empty() ? 0 : letters[0];
    const bool capital = first == 'A' || first == 'E' || first == 'O';
    if (capital) marked[0] = char(first - 'A' + 'a');
    const std::string_view lower = marked;
    // The moves, in the rules' order: the letters before the digit that each
    // looks for and how many of them end up after the digit.
    static constexpr std::pair<std::string_view, size_t> kMoves[] = {
        {"ai", 1}, {"ao", 1}, {"ei", 1},  {"ou", 1},  {"u:e", 1}, {"an", 1},  {"en", 1},
        {"in", 1}, {"un", 1}, {"ang", 2}, {"eng", 2}, {"ing", 2}, {"ong", 2}, {"ung", 2},
        {"er", 1}, {"ar", 1}, {"ir", 1},  {"anr", 2}, {"inr", 2},
    };
    size_t at = lower.size();  // where the digit stands
    for (const auto& [ending, after] : kMoves) {
        // Compared from the last letter, where most moves already differ.
        if (ending.size() > at || lower[at - 1] != ending.back()) continue;
        if (lower.substr(at - ending.size(), ending.size() - 1) ==
            ending.substr(0, ending.size() - 1))
            at -= after;
    }
    // Tone-marked vowels in tone order: a e i o u ü, then the capitals A E O.
    static constexpr std::string_view kMarked[9][4] = {
        {"ā", "á", "ǎ", "à"}, {"ē", "é", "ě", "è"}, {"ī", "í", "ǐ", "ì"},
        {"ō", "ó", "ǒ", "ò"}, {"ū", "ú", "ǔ", "ù"}, {"ǖ", "ǘ", "ǚ", "ǜ"},
        {"Ā", "Á", "Ǎ", "À"}, {"Ē", "É", "Ě", "È"}, {"Ō", "Ó", "Ǒ", "Ò"},
    };
    size_t vowel = std::string_view::npos, width = 1;
    if (at >= 2 && lower[at - 1] == ':') {
        vowel = 5;  // u:
        width = 2;
    } else if (at >= 1) {
        vowel = std::string_view("aeiou").find(lower[at - 1]);
        if (capital && at == 1 && vowel != std::string_view::npos)
            vowel = std::string_view("aeo").find(lower[0]) + 6;
    }
    if (capital && !(at == 1 && vowel != std::string_view::npos)) marked[0] = first;
    if (vowel == std::string_view::npos) {
        marked.insert(at, 1, last);  // nothing to mark: the digit stays
        return true;
    }
    marked.replace(at - width, width, kMarked[vowel][last - '1']);
    return true;
}

// Marked syllables already converted, by their numbered text: a dictionary
// has a few thousand different syllables, and a search meets each again and
// again. Open addressing on the syllable's bytes packed in one word, the
// marked texts one after another in a pool. The table starts at one page
// and doubles as it fills, since every page of it costs a fault in a short
// run that meets a few syllables. A syllable longer than a word is converted
// every time.
class SyllableCache {
  public:
    // The marked UTF-8 of an ASCII syllable without spaces or NUL bytes.
    std::string_view marked(std::string_view syllable) {
        if (syllable.size() > sizeof(uint64_t)) return convert(syllable);
        // The bytes in memory order: on a big-endian machine the packing
        // differs, and only its being one-to-one matters.
        uint64_t key = 0;
        std::memcpy(&key, syllable.data(), syllable.size());
        if (slots_.empty()) slots_.resize(kFirstSlots);
        if (const Slot& slot = slots_[find(key)]; slot.key == key)
            return std::string_view(pool_).substr(slot.start, slot.length);
        const std::string_view text = convert(syllable);
        if (used_ + 1 > slots_.size() / 4 * 3) {
            if (slots_.size() >= kMostSlots) {
                // Full: start again rather than probe long runs.
                std::fill(slots_.begin(), slots_.end(), Slot());
                pool_.clear();
                used_ = 0;
                return text;
            }
            grow();
        }
        Slot& slot = slots_[find(key)];
        ++used_;
        slot.key = key;
        slot.start = static_cast<uint32_t>(pool_.size());
        slot.length = static_cast<uint32_t>(text.size());
        pool_ += text;
        return std::string_view(pool_).substr(slot.start, slot.length);
    }

  private:
    static constexpr size_t kFirstSlots = 256;  // one page
    static constexpr size_t kMostSlots = 4096;
    struct Slot {
        uint64_t key = 0;  // no syllable packs to 0: it has no NUL bytes
        uint32_t start = 0, length = 0;
    };

    // The slot holding `key`, or the free one where it would go.
    size_t find(uint64_t key) const {
        const size_t mask = slots_.size() - 1;
        size_t at = size_t((key * 0x9E3779B97F4A7C15u) >> 32) & mask;
        while (slots_[at].key != key && slots_[at].key != 0) at = (at + 1) & mask;
        return at;
    }

    void grow() {
        std::vector<Slot> old(slots_.size() * 2);
        old.swap(slots_);
        for (const Slot& slot : old)
            if (slot.key != 0) slots_[find(slot.key)] = slot;
    }

    std::string_view convert(std::string_view syllable) {
        if (!markPlainSyllable(syllable, scratch_)) scratch_ = convertAsciiSyllable(syllable);
        return scratch_;
    }

    std::vector<Slot> slots_;
    size_t used_ = 0;
    std::string pool_;
    std::string scratch_;
};

}  // namespace

void appendNumberedToMarkedUtf8(std::string& out, std::string_view numbered) {
    // No rule reaches across a space, so the text converts syllable by
    // syllable: ASCII ones remembered as UTF-8, others (a "·" between names)
    // through UTF-16. The marked letters are all in the BMP, so the pieces
    // join as the whole text's UTF-16 would.
    thread_local SyllableCache known;
    for (size_t start = 0;;) {
        size_t space = start;
        bool ascii = true;
        for (; space < numbered.size() && numbered[space] != ' '; ++space)
            if (static_cast<unsigned char>(numbered[space]) >= 0x80 || numbered[space] == '\0')
                ascii = false;
        const std::string_view syllable = numbered.substr(start, space - start);
        if (!syllable.empty())
            out += ascii ? known.marked(syllable)
                         : std::string_view(utf16ToUtf8(convertNumberedToMarked(syllable)));
        if (space == numbered.size()) return;
        out.push_back(' ');
        start = space + 1;
    }
}

std::string numberedToMarkedUtf8(std::string_view numbered) {
    std::string marked;
    marked.reserve(numbered.size() + 8);
    appendNumberedToMarkedUtf8(marked, numbered);
    return marked;
}

std::u16string numberedToMarked(std::string_view numbered) {
    for (char c : numbered)
        if (static_cast<unsigned char>(c) >= 0x80) return convertNumberedToMarked(numbered);
    return utf8ToUtf16(numberedToMarkedUtf8(numbered));
}

std::string markedToNumbered(std::u16string_view marked, bool cleanFinalSyllable) {
    std::u16string units(marked);
    for (char16_t& unit : units)
        if (unit == u'à') unit = u'`';
    std::string text = utf16ToUtf8(units);
    const auto& rules = markedToNumberedRules();
    applyRules(text, rules.letters);
    if (cleanFinalSyllable) {
        for (std::string_view ending : kFinalEndings) {
            if (text.size() >= ending.size() &&
                std::string_view(text).substr(text.size() - ending.size()) == ending)
                text.erase(text.size() - 1);
        }
    }
    applyRules(text, rules.vowels);
    applyRules(text, rules.moves);
    applyRules(text, rules.capitals);
    return text;
}

std::string normalizeQuery(std::string_view numbered) {
    std::string text;
    text.reserve(numbered.size() + 4);
    for (char c : numbered) {
        if (c == ' ') continue;
        text.push_back(c == '0' ? '5' : c);
    }
    replaceAll(text, "v", "u:");
    // ü typed as a letter is the dictionary's u: too.
    replaceAll(text, "\xC3\xBC", "u:");
    replaceAll(text, "\xC3\x9C", "u:");
    return text;
}

namespace {

// Every syllable of standard Mandarin, "v" written for ü.
// clang-format off
constexpr std::string_view kSyllables[] = {
    "a", "ai", "an", "ang", "ao", "ba", "bai", "ban", "bang", "bao", "bei", "ben", "beng", "bi",
    "bian", "biao", "bie", "bin", "bing", "bo", "bu", "ca", "cai", "can", "cang", "cao", "ce",
    "cen", "ceng", "cha", "chai", "chan", "chang", "chao", "che", "chen", "cheng", "chi", "chong",
    "chou", "chu", "chua", "chuai", "chuan", "chuang", "chui", "chun", "chuo", "ci", "cong", "cou",
    "cu", "cuan", "cui", "cun", "cuo", "da", "dai", "dan", "dang", "dao", "de", "dei", "den",
    "deng", "di", "dia", "dian", "diao", "die", "ding", "diu", "dong", "dou", "du", "duan", "dui",
    "dun", "duo", "e", "ei", "en", "eng", "er", "fa", "fan", "fang", "fei", "fen", "feng", "fo",
    "fou", "fu", "ga", "gai", "gan", "gang", "gao", "ge", "gei", "gen", "geng", "gong", "gou",
    "gu", "gua", "guai", "guan", "guang", "gui", "gun", "guo", "ha", "hai", "han", "hang", "hao",
    "he", "hei", "hen", "heng", "hong", "hou", "hu", "hua", "huai", "huan", "huang", "hui", "hun",
    "huo", "ji", "jia", "jian", "jiang", "jiao", "jie", "jin", "jing", "jiong", "jiu", "ju",
    "juan", "jue", "jun", "ka", "kai", "kan", "kang", "kao", "ke", "kei", "ken", "keng", "kong",
    "kou", "ku", "kua", "kuai", "kuan", "kuang", "kui", "kun", "kuo", "la", "lai", "lan", "lang",
    "lao", "le", "lei", "leng", "li", "lia", "lian", "liang", "liao", "lie", "lin", "ling", "liu",
    "lo", "long", "lou", "lu", "luan", "lun", "luo", "lv", "lve", "ma", "mai", "man", "mang",
    "mao", "me", "mei", "men", "meng", "mi", "mian", "miao", "mie", "min", "ming", "miu", "mo",
    "mou", "mu", "na", "nai", "nan", "nang", "nao", "ne", "nei", "nen", "neng", "ni", "nian",
    "niang", "niao", "nie", "nin", "ning", "niu", "nong", "nou", "nu", "nuan", "nuo", "nv", "nve",
    "o", "ou", "pa", "pai", "pan", "pang", "pao", "pei", "pen", "peng", "pi", "pian", "piao",
    "pie", "pin", "ping", "po", "pou", "pu", "qi", "qia", "qian", "qiang", "qiao", "qie", "qin",
    "qing", "qiong", "qiu", "qu", "quan", "que", "qun", "ran", "rang", "rao", "re", "ren", "reng",
    "ri", "rong", "rou", "ru", "rua", "ruan", "rui", "run", "ruo", "sa", "sai", "san", "sang",
    "sao", "se", "sen", "seng", "sha", "shai", "shan", "shang", "shao", "she", "shei", "shen",
    "sheng", "shi", "shou", "shu", "shua", "shuai", "shuan", "shuang", "shui", "shun", "shuo",
    "si", "song", "sou", "su", "suan", "sui", "sun", "suo", "ta", "tai", "tan", "tang", "tao",
    "te", "teng", "ti", "tian", "tiao", "tie", "ting", "tong", "tou", "tu", "tuan", "tui", "tun",
    "tuo", "wa", "wai", "wan", "wang", "wei", "wen", "weng", "wo", "wu", "xi", "xia", "xian",
    "xiang", "xiao", "xie", "xin", "xing", "xiong", "xiu", "xu", "xuan", "xue", "xun", "ya", "yan",
    "yang", "yao", "ye", "yi", "yin", "ying", "yo", "yong", "you", "yu", "yuan", "yue", "yun",
    "za", "zai", "zan", "zang", "zao", "ze", "zei", "zen", "zeng", "zha", "zhai", "zhan", "zhang",
    "zhao", "zhe", "zhei", "zhen", "zheng", "zhi", "zhong", "zhou", "zhu", "zhua", "zhuai",
    "zhuan", "zhuang", "zhui", "zhun", "zhuo", "zi", "zong", "zou", "zu", "zuan", "zui", "zun",
    "zuo"};
// clang-format on

bool isSyllable(std::string_view text) {
    for (std::string_view syllable : kSyllables)
        if (syllable == text) return true;
    return false;
}

}  // namespace

bool readsAsTonelessPinyin(std::string_view text) {
    // Letters only, "v" for ü; the places where a syllable must end or may.
    std::string letters;
    std::vector<bool> mustBreak;  // after a space or apostrophe
    for (size_t i = 0; i < text.size(); ++i) {
        const char c = asciiLower(text[i]);
        if (c == ' ' || c == '\'') {
            if (!mustBreak.empty()) mustBreak.back() = true;
        } else if (c >= 'a' && c <= 'z') {
            const bool umlaut = c == 'u' && i + 1 < text.size() && text[i + 1] == ':';
            if (umlaut) ++i;
            letters.push_back(umlaut ? 'v' : c);
            mustBreak.push_back(false);
        } else if (c == '\xC3' && i + 1 < text.size() &&
                   (text[i + 1] == '\xBC' || text[i + 1] == '\x9C')) {
            ++i;
            letters.push_back('v');
            mustBreak.push_back(false);
        } else {
            return false;
        }
        if (letters.size() > 200) return false;
    }
    if (letters.empty()) return false;
    // reachable[i]: the first i letters split into whole syllables.
    std::vector<bool> reachable(letters.size() + 1, false);
    reachable[0] = true;
    for (size_t end = 1; end <= letters.size(); ++end) {
        for (size_t length = 1; length <= 6 && length <= end && !reachable[end]; ++length) {
            const size_t start = end - length;
            if (!reachable[start]) continue;
            bool crossesBreak = false;
            for (size_t i = start; i + 1 < end; ++i) crossesBreak = crossesBreak || mustBreak[i];
            if (!crossesBreak && isSyllable(std::string_view(letters).substr(start, length)))
                reachable[end] = true;
        }
    }
    return reachable[letters.size()];
}

MarkedVowels::MarkedVowels() : set_(kAllMarkedVowels) {}

bool MarkedVowels::containsAny(std::u16string_view text) const {
    for (char16_t unit : text)
        if (contains(unit)) return true;
    return false;
}

}  // namespace tulvo::dictionary
