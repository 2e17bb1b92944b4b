// Where a result row gets its word value from: the frequency data with the
// favorite mark; NoWordValues stands in where there is neither.
#pragma once

#include <string_view>

namespace tulvo::dictionary {

// A favorite's word value is its value (0 to 255, or -1 when not listed)
// less this mark. The mark lies beyond the whole value range, so every
// marked value is below -1 and every value keeps its mark, 255 included.
inline constexpr int kFavoriteMark = 1000;

inline constexpr bool isFavoriteValue(int wordValue) {
    return wordValue < -1;
}
// The frequency value without the favorite mark: 0 to 255, or -1.
inline constexpr int unmarkedValue(int wordValue) {
    return isFavoriteValue(wordValue) ? wordValue + kFavoriteMark : wordValue;
}
// The value after a favorite toggle: marked when it was not, and back.
inline constexpr int toggledFavorite(int wordValue) {
    return isFavoriteValue(wordValue) ? wordValue + kFavoriteMark : wordValue - kFavoriteMark;
}

class WordValueLookup {
  public:
    virtual ~WordValueLookup() = default;
    // The word's frequency byte (0 to 255), or -1 when it is not listed; in
    // both cases kFavoriteMark less when the word is a favorite. `form` is UTF-8,
    // `lengthInCharacters` its length in characters, `pinyin` the
    // dictionary's numbered pinyin of the entry (may be empty).
    virtual int wordValue(std::string_view form, int lengthInCharacters,
                          std::string_view pinyin) const = 0;
    // How often a single character is used in the reading `pinyin`, for the
    // order among characters of one frequency class; 0 when not known.
    virtual int readingUse(std::string_view, std::string_view) const { return 0; }
};

// No frequency data and no favorites: every word is unlisted.
class NoWordValues final : public WordValueLookup {
  public:
    int wordValue(std::string_view, int, std::string_view) const override { return -1; }
};

}  // namespace tulvo::dictionary
