#include "characters/word_values.hpp"

#include <iterator>

#include "platform/unicode_text.hpp"

namespace tulvo::characters {

int wordFrequency(const FreqFile& freq, favorites::FavoritesStore* favorites,
                  std::u16string_view word, std::string_view reading) {
    int value = freq.lookup(word, reading);
    if (favorites && favorites->test(word) == 1) value -= dictionary::kFavoriteMark;
    return value;
}

int WordValues::wordValue(std::string_view form, int, std::string_view pinyin) const {
    // A result row asks for every row: a form of ASCII and well-formed
    // three-byte sequences (nearly all) is decoded here without a buffer
    // from the heap.
    char16_t units[32];
    size_t count = 0;
    for (size_t i = 0; i < form.size() && count < std::size(units); ++count) {
        const auto b0 = static_cast<unsigned char>(form[i]);
        if (b0 < 0x80) {
            units[count] = b0;
            ++i;
            continue;
        }
        if (b0 < 0xE1 || b0 > 0xEF || b0 == 0xED || i + 2 >= form.size()) break;
        const auto b1 = static_cast<unsigned char>(form[i + 1]);
        const auto b2 = static_cast<unsigned char>(form[i + 2]);
        if ((b1 & 0xC0) != 0x80 || (b2 & 0xC0) != 0x80) break;
        units[count] = char16_t((b0 & 0x0F) << 12 | (b1 & 0x3F) << 6 | (b2 & 0x3F));
        i += 3;
    }
    size_t bytes = 0;
    for (size_t k = 0; k < count; ++k) bytes += units[k] < 0x80 ? 1 : 3;
    if (bytes == form.size())
        return wordFrequency(freq_, favorites_, std::u16string_view(units, count), pinyin);
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
