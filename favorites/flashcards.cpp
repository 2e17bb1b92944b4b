#include "favorites/flashcards.hpp"

#include <cstdint>
#include <cstring>
#include <map>

#include "characters/freq_file.hpp"
#include "dictionary/dictionary_file.hpp"
#include "dictionary/pinyin.hpp"
#include "favorites/favorites_store.hpp"
#include "platform/unicode_text.hpp"

namespace tulvo::favorites {

namespace {

int32_t int32At(std::string_view bytes, size_t at) {
    uint32_t value = 0;
    for (int i = 3; i >= 0; --i) value = (value << 8) | uint8_t(bytes[at + size_t(i)]);
    return static_cast<int32_t>(value);
}

// A field without the characters that would end it: tabs and line breaks
// become spaces.
std::string oneLine(std::string text) {
    for (char& c : text)
        if (c == '\t' || c == '\r' || c == '\n') c = ' ';
    return text;
}

std::string quoted(const std::string& field, std::string_view special) {
    if (field.find_first_of(special) == std::string::npos) return field;
    std::string out = "\"";
    for (char c : field) {
        if (c == '"') out += '"';
        out += c;
    }
    return out + "\"";
}

std::string hskText(int level) {
    return level > 0 ? std::to_string(level) : std::string();
}

void append(std::string& text, std::string_view separator, std::string_view piece) {
    if (!text.empty()) text += separator;
    text += piece;
}

}  // namespace

std::vector<std::u16string> storedWords(std::string_view bytes) {
    std::vector<std::u16string> words;
    size_t at = 0;
    while (at + 8 <= bytes.size()) {
        const int32_t length = int32At(bytes, at);
        const int32_t count = int32At(bytes, at + 4);
        at += 8;
        if (length <= 0 || length > kMaxWordLength || count < 0) break;
        const size_t wordBytes = size_t(length) * 2;
        if (size_t(count) > (bytes.size() - at) / wordBytes) break;
        for (int32_t i = 0; i < count; ++i, at += wordBytes) {
            std::u16string word(size_t(length), u'\0');
            for (size_t k = 0; k < size_t(length); ++k)
                word[k] =
                    char16_t(uint8_t(bytes[at + 2 * k]) | uint8_t(bytes[at + 2 * k + 1]) << 8);
            words.push_back(std::move(word));
        }
    }
    return words;
}

std::vector<Flashcard> makeFlashcards(const std::vector<std::u16string>& words,
                                      const std::filesystem::path& dictionary,
                                      const characters::FreqFile& freq) {
    std::vector<Flashcard> cards(words.size());
    std::map<std::string, size_t, std::less<>> index;
    for (size_t i = 0; i < words.size(); ++i) {
        cards[i].word = utf16ToUtf8(words[i]);
        index.emplace(cards[i].word, i);
        const int value = freq.lookup(words[i], {});
        cards[i].hskLevel = value < 0 ? 0 : characters::hskLevel(value);
    }
    // Per card, each reading's definitions in file order.
    std::vector<std::vector<std::pair<std::string, std::string>>> readings(words.size());
    dictionary::scanLines(dictionary, [&](std::string_view line) {
        if (line.empty() || line.front() == '#') return true;
        auto found = index.find(dictionary::spaceField(line, 1));
        if (found == index.end()) found = index.find(dictionary::spaceField(line, 2));
        if (found == index.end()) return true;
        const std::string marked =
            utf16ToUtf8(dictionary::numberedToMarked(dictionary::pinyinField(line)));
        std::string definitions;
        dictionary::forEachDefinition(dictionary::definitionText(line), [&](std::string_view d) {
            if (!d.empty()) append(definitions, "; ", d);
            return true;
        });
        readings[found->second].emplace_back(marked, definitions);
        return true;
    });
    for (size_t i = 0; i < cards.size(); ++i) {
        std::vector<std::string> shown;  // distinct readings, first seen first
        for (const auto& [marked, definitions] : readings[i]) {
            bool seen = false;
            for (const std::string& s : shown) seen = seen || s == marked;
            if (!seen) shown.push_back(marked);
        }
        for (const std::string& s : shown) append(cards[i].pinyin, " / ", s);
        for (const auto& [marked, definitions] : readings[i])
            append(cards[i].definitions, " | ",
                   shown.size() > 1 ? "[" + marked + "] " + definitions : definitions);
        cards[i].pinyin = oneLine(cards[i].pinyin);
        cards[i].definitions = oneLine(cards[i].definitions);
    }
    return cards;
}

std::string flashcardsTsv(const std::vector<Flashcard>& cards) {
    std::string out;
    for (const Flashcard& c : cards)
        out += c.word + '\t' + c.pinyin + '\t' + c.definitions + '\t' + hskText(c.hskLevel) + '\n';
    return out;
}

std::string flashcardsAnki(const std::vector<Flashcard>& cards) {
    std::string out =
        "#separator:tab\n#html:false\n#columns:Word\tPinyin\tDefinitions\tHSK level\n";
    for (const Flashcard& c : cards)
        out += quoted(c.word, "\"") + '\t' + quoted(c.pinyin, "\"") + '\t' +
               quoted(c.definitions, "\"") + '\t' + hskText(c.hskLevel) + '\n';
    return out;
}

std::string flashcardsCsv(const std::vector<Flashcard>& cards) {
    std::string out = "word,pinyin,definitions,hsk_level\r\n";
    for (const Flashcard& c : cards)
        out += quoted(c.word, "\",") + ',' + quoted(c.pinyin, "\",") + ',' +
               quoted(c.definitions, "\",") + ',' + hskText(c.hskLevel) + "\r\n";
    return out;
}

}  // namespace tulvo::favorites
