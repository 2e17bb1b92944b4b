#include "dictionary/definitions.hpp"

#include <algorithm>
#include <vector>

#include "dictionary/dictionary_file.hpp"
#include "platform/unicode_text.hpp"

namespace tulvo::dictionary {

std::string definitionsForReading(const std::filesystem::path& dictionaryPath,
                                  std::u16string_view character, std::string_view reading,
                                  CharForm charForm) {
    if (character.empty()) return {};
    const std::string target = utf16ToUtf8(character.substr(0, 1));
    std::string wanted(reading);
    if (wanted.empty() || wanted.back() < '1' || wanted.back() > '5') wanted.push_back('5');
    const char tone = wanted.back();
    const std::string_view syllable = std::string_view(wanted).substr(0, wanted.size() - 1);

    enum class State { Empty, Digit, ExactFound, SeveralPossible };
    State state = State::Empty;
    char stateDigit = 0;
    // The definitions of lines in lower-case pinyin come first: a learner
    // asks for the common reading, not the surname or a place name that
    // the dictionary may list before it.
    std::vector<std::string> common, names;
    const auto clear = [&] {
        common.clear();
        names.clear();
    };
    std::string pinyin;

    const auto add = [&](std::string_view line) {
        const std::string_view field = pinyinField(line);
        const bool name = !field.empty() && field.front() >= 'A' && field.front() <= 'Z';
        forEachDefinition(definitionText(line), [&](std::string_view definition) {
            if (std::find(common.begin(), common.end(), definition) == common.end() &&
                std::find(names.begin(), names.end(), definition) == names.end())
                (name ? names : common).emplace_back(definition);
            return true;
        });
    };

    scanLines(dictionaryPath, [&](std::string_view line) {
        const bool takesPart = (charForm != kSimplifiedOnly && spaceField(line, 1) == target) ||
                               (charForm != kTraditionalOnly && spaceField(line, 2) == target);
        if (!takesPart) return true;
        pinyin.assign(pinyinField(line));
        asciiLowerInPlace(pinyin);
        if (tone != '5') {
            if (pinyin == wanted) add(line);
            return true;
        }
        if (pinyin == wanted) {
            // An exact neutral-tone reading wins over every toned one, also
            // when it comes first.
            if (state != State::ExactFound) {
                state = State::ExactFound;
                clear();
            }
            add(line);
        } else if (state != State::ExactFound && pinyin.size() == wanted.size() &&
                   pinyin.starts_with(syllable) && pinyin.back() >= '1' && pinyin.back() <= '5') {
            const char digit = pinyin.back();
            if (state == State::Empty || (state == State::Digit && stateDigit == digit)) {
                state = State::Digit;
                stateDigit = digit;
                add(line);
            } else {
                state = State::SeveralPossible;
                clear();
            }
        }
        return true;
    });

    std::string text;
    if (state == State::Digit) text += std::string("**") + stateDigit + "\r\n";
    for (const std::string& line : common) text += line + "\r\n";
    for (const std::string& line : names) text += line + "\r\n";
    return text;
}

}  // namespace tulvo::dictionary
