#include "dictionary/search.hpp"

#include <algorithm>
#include <array>
#include <unordered_map>
#include <unordered_set>
#include <vector>

#include "dictionary/dictionary_file.hpp"
#include "platform/unicode_text.hpp"

namespace tulvo::dictionary {
namespace {

bool isChineseUnit(char16_t u) {
    return u >= 0x4E00 && u <= 0x9FFF;
}

void trimSpaces(std::u16string& text) {
    const size_t first = text.find_first_not_of(u' ');
    if (first == std::u16string::npos) {
        text.clear();
        return;
    }
    text.erase(0, first);
    text.erase(text.find_last_not_of(u' ') + 1);
}

// Deletes each "(" with the first ")" after it and everything between.
void removeBracketedRemarks(std::u16string& text) {
    size_t pos = 0;
    while ((pos = text.find(u'(', pos)) != std::u16string::npos) {
        const size_t close = text.find(u')', pos + 1);
        if (close == std::u16string::npos) break;
        text.erase(pos, close - pos + 1);
    }
}

// A typed character code: hexadecimal 4000 to A000, or else decimal 16384 to
// 65535, never a surrogate. Returns 0 when the text is not one.
char16_t characterCode(std::string_view lowered) {
    if (lowered.find_first_not_of("0123456789abcdef") != std::string_view::npos) return 0;
    // Leading zeros do not count towards the length.
    const size_t first = lowered.find_first_not_of('0');
    if (first == std::string_view::npos) return 0;
    lowered.remove_prefix(first);
    if (lowered.size() > 8) return 0;
    unsigned long value = std::stoul(std::string(lowered), nullptr, 16);
    const auto usable = [](unsigned long v) { return v < 0xD800 || v > 0xDFFF; };
    if (value >= 0x4000 && value <= 0xA000 && usable(value)) return char16_t(value);
    if (lowered.find_first_not_of("0123456789") != std::string_view::npos) return 0;
    value = std::stoul(std::string(lowered), nullptr, 10);
    if (value >= 16384 && value <= 65535 && usable(value)) return char16_t(value);
    return 0;
}

bool startsWith(std::string_view text, std::string_view key) {
    return text.size() >= key.size() && text.compare(0, key.size(), key) == 0;
}

bool endsWith(std::string_view text, std::string_view key) {
    return text.size() >= key.size() &&
           text.compare(text.size() - key.size(), key.size(), key) == 0;
}

// Bytes that every matching line must contain (ignoring ASCII case): the
// key, or a wildcard pattern's longest literal run. Pinyin keys have none,
// since the field is compared without its spaces.
std::string requiredText(const Query& keyed) {
    if (keyed.kind != QueryKind::Chinese && keyed.kind != QueryKind::English) return {};
    if (keyed.matchPart != kWildcard) return asciiLowered(keyed.key);
    std::string_view longest, pattern = keyed.key;
    size_t start = 0;
    for (size_t i = 0; i <= pattern.size(); ++i) {
        if (i == pattern.size() || pattern[i] == '*' || pattern[i] == '?') {
            if (i - start > longest.size()) longest = pattern.substr(start, i - start);
            start = i + 1;
        }
    }
    return asciiLowered(longest);
}

}  // namespace

std::optional<Query> prepareTextQuery(std::u16string_view typed, MatchPart matchPart,
                                      const MarkedVowels& markedVowels) {
    std::u16string text(typed.substr(0, kMaxQueryUnits));
    if (text.empty()) return std::nullopt;

    for (char16_t& u : text) {
        if (u == 0x3000)
            u = u' ';
        else if (u == 0xFF0A)
            u = u'*';
        else if (u == 0xFF1F)
            u = u'?';
    }
    while (!text.empty() && text.front() == u' ') {
        text.erase(0, 1);
        matchPart = kAnywhere;
    }
    while (!text.empty() && text.back() == u' ') {
        text.pop_back();
        matchPart = kExact;
    }
    removeBracketedRemarks(text);
    trimSpaces(text);

    size_t chinese = 0, others = 0;
    for (char16_t u : text) {
        if (isChineseUnit(u))
            ++chinese;
        else if (u != u' ' && u != u'*' && u != u'?')
            ++others;
    }
    // A "?" among Chinese characters stands for one character: the text is a
    // pattern, its "*" included.
    const size_t firstNonStar = text.find_first_not_of(u'*');
    const bool chineseText =
        chinese > others || (firstNonStar != std::u16string::npos && text[firstNonStar] >= 0x100 &&
                             !markedVowels.contains(text[firstNonStar]));
    const bool chinesePattern =
        chinese > 0 && chineseText && text.find(u'?') != std::u16string::npos;

    const size_t innerStar = text.size() > 2 ? text.find(u'*', 1) : std::u16string::npos;
    if (chinesePattern || (innerStar != std::u16string::npos && innerStar < text.size() - 1)) {
        matchPart = kWildcard;
    } else {
        bool leading = false;
        while (!text.empty() && text.front() == u'*') {
            text.erase(0, 1);
            matchPart = kEnd;
            leading = true;
        }
        if (!text.empty() && text.back() == u'*') {
            while (!text.empty() && text.back() == u'*') text.pop_back();
            matchPart = leading ? kAnywhere : kBeginning;
        }
    }
    if (text.empty()) return std::nullopt;

    Query query;
    query.matchPart = matchPart;
    if (chinese > others || (text.front() >= 0x100 && !markedVowels.contains(text.front()))) {
        query.kind = QueryKind::Chinese;
    } else {
        const std::string utf8 = utf16ToUtf8(text);
        if (const char16_t code = characterCode(asciiLowered(utf8))) {
            text.assign(1, code);
            query.kind = QueryKind::Chinese;
            query.fromCharacterCode = true;
        } else if (markedVowels.containsAny(text)) {
            query.kind = QueryKind::Pinyin;
            query.key = normalizeQuery(markedToNumbered(text));
        } else if (utf8.find_first_of("123450?") != std::string::npos) {
            query.kind = QueryKind::Pinyin;
            query.key = normalizeQuery(utf8);
        } else {
            query.kind = QueryKind::English;
            query.key = utf8;
            if (readsAsTonelessPinyin(utf8)) {
                std::string syllables = utf8;
                std::erase(syllables, '\'');
                query.tonelessKey = normalizeQuery(syllables);
            }
        }
    }
    query.length = static_cast<int>(text.size());
    query.text = std::move(text);
    return query;
}

bool patternMatch(std::string_view pattern, std::string_view text, bool characters) {
    // Iterative glob match: the same answer as trying the rest of the pattern
    // at every position after a "*", without the exponential cost.
    const auto next = [&](size_t at) {
        ++at;
        if (characters)
            while (at < text.size() && (static_cast<unsigned char>(text[at]) & 0xC0) == 0x80) ++at;
        return at;
    };
    size_t p = 0, t = 0;
    size_t starP = std::string_view::npos, starT = 0;
    while (t < text.size()) {
        if (p < pattern.size() && pattern[p] == '*') {
            starP = ++p;
            starT = t;
        } else if (p < pattern.size() && pattern[p] == '?') {
            ++p;
            t = next(t);
        } else if (p < pattern.size() && pattern[p] == text[t]) {
            ++p;
            ++t;
        } else if (starP != std::string_view::npos) {
            p = starP;
            t = starT = next(starT);
        } else {
            return false;
        }
    }
    while (p < pattern.size() && pattern[p] == '*') ++p;
    return p == pattern.size();
}

bool pinyinCompare(std::string_view key, std::string_view field, MatchPart matchPart) {
    size_t attempt = 0;  // where the current attempt began in the field
    size_t k = 0, f = 0;
    for (;;) {
        if (k == key.size()) return f == field.size() || matchPart == kAnywhere;
        if (f == field.size()) return false;
        const char kc = key[k], fc = field[f];
        const bool passes = kc == '?' ? (fc >= '0' && fc <= '9') : kc == fc;
        if (passes) {
            ++k;
            ++f;
        } else if (matchPart == kAnywhere) {
            k = 0;
            f = ++attempt;
        } else {
            return false;
        }
    }
}

int displayedForm(const SearchSettings& s) {
    if (!s.preferTraditional) return s.charForm == kTraditionalOnly ? 1 : 2;
    return s.charForm == kSimplifiedOnly ? 2 : 1;
}

std::string keyForScan(const Query& query) {
    if (query.kind == QueryKind::Chinese) return utf16ToUtf8(query.text);
    return asciiLowered(query.key);
}

namespace {

// The query with its keys as the scan compares them.
Query keyedForScan(const Query& query) {
    Query keyed = query;
    keyed.key = keyForScan(query);
    keyed.tonelessKey = asciiLowered(query.tonelessKey);
    return keyed;
}

}  // namespace

LineMatcher::LineMatcher(const Query& query, const SearchSettings& settings)
    : query_(query), settings_(settings), shownForm_(displayedForm(settings)) {}

bool LineMatcher::matchText(std::string_view text) const {
    const std::string& key = query_.key;
    switch (query_.matchPart) {
        case kBeginning:
            return startsWith(text, key);
        case kEnd:
            return endsWith(text, key);
        case kAnywhere:
            return text.find(key) != std::string_view::npos;
        case kExact:
            return text == key;
        default:
            return patternMatch(key, text, query_.kind == QueryKind::Chinese);
    }
}

int LineMatcher::matchChinese(std::string_view line) const {
    int result = 0;
    if (settings_.charForm != kSimplifiedOnly && matchText(matchFormTraditional(line))) result = 1;
    if (settings_.charForm != kTraditionalOnly && matchText(matchFormSimplified(line))) result = 2;
    return result;
}

namespace {

// Bytes that the pinyin comparison leaves out of the field.
inline bool skippedInPinyin(char c, bool toneless) {
    return c == ' ' || (toneless && ((c >= '1' && c <= '5') || c == '0'));
}

inline bool pinyinBytePasses(char keyByte, char fieldByte) {
    return keyByte == '?' ? (fieldByte >= '0' && fieldByte <= '9') : keyByte == fieldByte;
}

// The bytes a pinyin field may start with when `key` is to match it from
// the field's first byte on: those that pass for the key's first byte in
// either case, and those the comparison leaves out.
std::array<bool, 256> fieldStartBytes(char keyFirst, bool toneless) {
    std::array<bool, 256> wanted{};
    for (int b = 0; b < 256; ++b) {
        const char c = static_cast<char>(b);
        wanted[size_t(b)] =
            skippedInPinyin(c, toneless) || pinyinBytePasses(keyFirst, asciiLower(c));
    }
    return wanted;
}

// Which lines a query can match at all. A line that matches holds the
// query's required text, or has a pinyin field that may begin with the
// pinyin key; the scan compares only those lines, in file order.
struct CandidateLines {
    bool everyLine = true;
    std::optional<NeedleFinder> needle;
    std::optional<FieldStartFinder> fieldStart;
};

CandidateLines candidateLines(const Query& keyed) {
    CandidateLines lines;
    // Pinyin compared from the field's first byte; under a pattern only
    // when that byte is no wildcard.
    const auto fromFieldStart = [&](const std::string& key, bool toneless) {
        const MatchPart part = keyed.matchPart;
        const bool anchored = part == kBeginning || part == kExact ||
                              (part == kWildcard && !key.empty() && key[0] != '*' && key[0] != '?');
        if (!anchored || key.empty()) return false;
        lines.fieldStart.emplace(fieldStartBytes(key[0], toneless));
        return true;
    };
    switch (keyed.kind) {
        case QueryKind::Chinese:
        case QueryKind::English: {
            const std::string needle = requiredText(keyed);
            if (needle.empty()) return lines;
            // An English text that reads as pinyin matches lines by either.
            if (!keyed.tonelessKey.empty() && !fromFieldStart(keyed.tonelessKey, true))
                return lines;
            lines.needle.emplace(needle);
            lines.everyLine = false;
            return lines;
        }
        case QueryKind::Pinyin:
        case QueryKind::TonelessPinyin:
            lines.everyLine = !fromFieldStart(keyed.key, keyed.kind == QueryKind::TonelessPinyin);
            return lines;
    }
    return lines;
}

// Hands each candidate line of `bytes` (whole lines) to `fn` in file order,
// each once; stops when `fn` returns false, and returns false then.
template <typename Fn>
bool forEachCandidateLine(std::string_view bytes, const CandidateLines& lines, Fn&& fn) {
    if (lines.everyLine) return forEachLine(bytes, fn);
    const size_t none = bytes.size();
    // The next line that each finder points at, at or after `from`.
    size_t byNeedle = lines.needle ? nextLineContaining(bytes, *lines.needle, 0) : none;
    size_t byField = lines.fieldStart ? lines.fieldStart->nextLine(bytes, 0) : none;
    for (;;) {
        const size_t start = std::min(byNeedle, byField);
        if (start >= none) return true;
        const size_t end = findLineEnd(bytes, start);
        if (!fn(bytes.substr(start, end - start))) return false;
        const size_t from = end + 2;
        if (from >= none) return true;
        if (byNeedle < from) byNeedle = nextLineContaining(bytes, *lines.needle, from);
        if (byField < from) byField = lines.fieldStart->nextLine(bytes, from);
    }
}

}  // namespace

bool LineMatcher::matchPinyin(std::string_view line, const std::string& key, bool toneless,
                              MatchPart part) {
    if (part == kBeginning || part == kExact || part == kEnd) {
        // Walk the field in place, leaving out the skipped bytes, and stop at
        // the first byte that differs: most lines differ at their first.
        const size_t open = line.find('[');
        const size_t start = open == std::string_view::npos ? 0 : open + 1;
        const char* p = line.data();
        if (part == kEnd) {
            const size_t close = line.find(']', start);
            size_t f = close == std::string_view::npos ? line.size() : close;
            for (size_t k = key.size(); k > 0;) {
                if (f == start) return false;
                const char c = p[--f];
                if (skippedInPinyin(c, toneless)) continue;
                if (!pinyinBytePasses(key[--k], asciiLower(c))) return false;
            }
            return true;
        }
        const size_t n = line.size();
        size_t f = start;
        for (size_t k = 0; k < key.size(); ++f) {
            if (f == n || p[f] == ']') return false;
            const char c = p[f];
            if (skippedInPinyin(c, toneless)) continue;
            if (!pinyinBytePasses(key[k], asciiLower(c))) return false;
            ++k;
        }
        if (part == kBeginning) return true;
        for (; f < n && p[f] != ']'; ++f)
            if (!skippedInPinyin(p[f], toneless)) return false;
        return true;
    }

    scratch_.clear();
    for (char c : pinyinField(line)) {
        if (skippedInPinyin(c, toneless)) continue;
        scratch_.push_back(asciiLower(c));
    }
    if (part == kWildcard) return patternMatch(key, scratch_);
    return pinyinCompare(key, scratch_, part);
}

namespace {

// `text` lower-cased (ASCII letters) equals `lowerKey`.
inline bool equalsLowered(std::string_view text, std::string_view lowerKey) {
    if (text.size() != lowerKey.size()) return false;
    for (size_t i = 0; i < text.size(); ++i)
        if (asciiLower(text[i]) != lowerKey[i]) return false;
    return true;
}

}  // namespace

bool LineMatcher::matchEnglish(std::string_view line) {
    const std::string& key = query_.key;
    const MatchPart part = query_.matchPart;
    return !forEachDefinition(definitionText(line), [&](std::string_view definition) {
        // Beginning, End and Exact compare the definition's own bytes; the
        // others search a lower-cased copy.
        switch (part) {
            case kBeginning:
                return !(definition.size() >= key.size() &&
                         equalsLowered(definition.substr(0, key.size()), key));
            case kEnd:
                return !(definition.size() >= key.size() &&
                         equalsLowered(definition.substr(definition.size() - key.size()), key));
            case kExact:
                return !equalsLowered(definition, key);
            default:
                scratch_.assign(definition);
                asciiLowerInPlace(scratch_);
                return !matchText(scratch_);
        }
    });
}

namespace {

inline bool isAsciiLetter(char c) {
    return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z');
}

}  // namespace

int LineMatcher::englishRank(std::string_view line) {
    const std::string& key = query_.key;
    const MatchPart part = query_.matchPart;
    int rank = 2;
    forEachDefinition(definitionText(line), [&](std::string_view definition) {
        scratch_.assign(definition);
        asciiLowerInPlace(scratch_);
        // One of the synonyms of the definition, remarks in brackets left
        // out, is the text itself.
        for (size_t start = 0; start <= scratch_.size();) {
            const size_t end = std::min(scratch_.find(';', start), scratch_.size());
            std::string piece;
            int depth = 0;
            for (size_t i = start; i < end; ++i) {
                const char c = scratch_[i];
                if (c == '(') ++depth;
                if (depth == 0 && !(c == ' ' && (piece.empty() || piece.back() == ' ')))
                    piece.push_back(c);
                if (c == ')' && depth > 0) --depth;
            }
            while (!piece.empty() && piece.back() == ' ') piece.pop_back();
            if (piece == key) {
                rank = 0;
                return false;
            }
            start = end + 1;
        }
        for (size_t at = scratch_.find(key); at != std::string::npos;
             at = scratch_.find(key, at + 1)) {
            if ((part == kBeginning && at != 0) ||
                (part == kEnd && at + key.size() != scratch_.size()))
                continue;
            const bool openBefore = at == 0 || !isAsciiLetter(scratch_[at - 1]);
            const bool openAfter =
                at + key.size() == scratch_.size() || !isAsciiLetter(scratch_[at + key.size()]);
            if (openBefore && openAfter) rank = 1;
        }
        return true;
    });
    return rank;
}

int LineMatcher::match(std::string_view line) {
    rank_ = 0;
    if (line.empty()) return 0;
    switch (query_.kind) {
        case QueryKind::Chinese:
            return matchChinese(line);
        case QueryKind::Pinyin:
        case QueryKind::TonelessPinyin: {
            const bool toneless = query_.kind == QueryKind::TonelessPinyin;
            if (!matchPinyin(line, query_.key, toneless, query_.matchPart)) return 0;
            rank_ = matchPinyin(line, query_.key, toneless, kExact) ? 0 : 1;
            return shownForm_;
        }
        case QueryKind::English: {
            const bool english = matchEnglish(line);
            const bool pinyin = !query_.tonelessKey.empty() &&
                                matchPinyin(line, query_.tonelessKey, true, query_.matchPart);
            if (!english && !pinyin) return 0;
            rank_ = english ? englishRank(line) : 2;
            if (pinyin)
                rank_ =
                    std::min(rank_, matchPinyin(line, query_.tonelessKey, true, kExact) ? 0 : 1);
            return shownForm_;
        }
    }
    return 0;
}

Search::Search(std::filesystem::path dictionaryPath, const MarkedVowels& markedVowels,
               SearchHost& host)
    : path_(std::move(dictionaryPath)), markedVowels_(markedVowels), host_(host) {}

void Search::textSearch(std::u16string_view boxText, const SearchSettings& settings,
                        bool fromHistoryPick) {
    historyPick_ = fromHistoryPick;
    std::optional<Query> query = prepareTextQuery(boxText, settings.matchPart, markedVowels_);
    if (!query) {
        historyPick_ = false;
        return;
    }
    if (query->fromCharacterCode) host_.searchTextReplaced(query->text);
    scan(*query, settings);
    // A text that does not read as pinyin syllables gets the toneless
    // reading only when nothing matched it as English.
    if (query->kind == QueryKind::English && query->tonelessKey.empty() &&
        host_.resultCount() == 0) {
        query->key = normalizeQuery(query->key);
        query->kind = QueryKind::TonelessPinyin;
        scan(*query, settings);
    }
    dictionary_.release();
}

void Search::singleCharacterSearch(char16_t character, const SearchSettings& settings) {
    Query query;
    query.text.assign(1, character);
    query.kind = QueryKind::Chinese;
    query.length = 1;
    query.matchPart = settings.matchPart;
    scan(query, settings);
    dictionary_.release();
}

void Search::scan(const Query& query, const SearchSettings& settings) {
    host_.queryScanned(query.text, historyPick_);
    historyPick_ = false;
    host_.clearResults();

    const Query keyed = keyedForScan(query);
    LineMatcher matcher(keyed, settings);
    host_.pause(30);
    const bool readable = reader_.open(path_);
    host_.pause(30);
    const auto onLine = [&](std::string_view line) {
        if (!line.empty() && line.front() == '#') return true;
        const int form = matcher.match(line);
        if (form == 0) return true;
        // Pinyin and English rows come in three groups: what the text names
        // whole (the pinyin typed to its end, a definition that is the
        // text), what begins with it in whole words, and what holds it only
        // inside a longer word.
        if (keyed.kind != QueryKind::Chinese && keyed.matchPart != kExact &&
            keyed.matchPart != kWildcard)
            return host_.addResultInGroup(line, form, matcher.lastMatchRank());
        return host_.addResult(line, form);
    };
    if (readable) {
        const CandidateLines candidates = candidateLines(keyed);
        reader_.forEachBlock([&](std::string_view block) {
            return forEachCandidateLine(block, candidates, onLine);
        });
    }
    // A Chinese text that matches nothing as a whole (a sentence from the
    // hotkey) lists the words it is made of.
    if (readable && host_.resultCount() == 0 && query.kind == QueryKind::Chinese &&
        keyed.matchPart != kWildcard && query.text.size() > 1)
        listWordsOfText(keyed.key, settings);
    host_.resultsFinished();
    if (host_.resultCount() == 0 && query.kind == QueryKind::Chinese && keyed.key.size() == 3)
        host_.showCharacterWithoutRow(query.text.front());
}

void Search::listWordsOfText(std::string_view text, const SearchSettings& settings) {
    if (!dictionary_.load(path_)) return;
    // Every entry whose form occurs in the text, by form.
    std::unordered_map<std::string_view, std::vector<std::pair<std::string_view, int>>> linesOf;
    forEachLine(dictionary_.bytes(), [&](std::string_view line) {
        if (line.empty() || line.front() == '#') return true;
        const std::string_view traditional =
            settings.charForm != kSimplifiedOnly ? matchFormTraditional(line) : std::string_view();
        const std::string_view simplified =
            settings.charForm != kTraditionalOnly ? matchFormSimplified(line) : std::string_view();
        // A line whose two forms are the same shows form 2, as in the search.
        if (!traditional.empty() && traditional != simplified &&
            text.find(traditional) != std::string_view::npos)
            linesOf[traditional].emplace_back(line, 1);
        if (!simplified.empty() && text.find(simplified) != std::string_view::npos)
            linesOf[simplified].emplace_back(line, 2);
        return true;
    });
    std::unordered_set<std::string_view> listed;
    int word = 0;
    for (size_t at = 0; at < text.size();) {
        size_t longest = 0;
        for (const auto& entry : linesOf) {
            const std::string_view form = entry.first;
            if (form.size() > longest && text.substr(at, form.size()) == form)
                longest = form.size();
        }
        if (longest == 0) {
            // No word starts here: on to the next character.
            do ++at;
            while (at < text.size() && (static_cast<unsigned char>(text[at]) & 0xC0) == 0x80);
            continue;
        }
        const std::string_view form = text.substr(at, longest);
        at += longest;
        if (!listed.insert(form).second) continue;
        for (const auto& [line, formIndex] : linesOf[form])
            if (!host_.addResultInGroup(line, formIndex, word)) return;
        ++word;
    }
}

}  // namespace tulvo::dictionary
