#include "characters/word_values.hpp"

#include "platform/unicode_text.hpp"

namespace tulvo::characters {

int wordFrequency(const FreqFile& freq, favorites::FavoritesStore* favorites,
                  std::u16string_view word, std::string_view reading) {
    int value = freq.lookup(word, reading);
    if (favorites && favorites->test(word) == 1) value -= dictionary::kFavoriteMark;
    return value;
}

int WordValues::wordValue(std::string_view form, int, std::string_view pinyin) const {
    return wordFrequency(freq_, favorites_, utf8ToUtf16(form), pinyin);
}

favorites::WordClasses listWordClasses(const FreqFile& freq) {
    // Without the data every ideograph counts alike.
    if (!freq.isOpen()) return {};
    return [&freq](std::u16string_view word) {
        const int value = freq.lookup(word, "");
        return value < 0 ? -1 : frequencyClass(value);
    };
}

}  // namespace tulvo::characters
