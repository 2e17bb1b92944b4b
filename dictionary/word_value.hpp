// Where a result row gets its word value from: the frequency data with the
// favorite mark; NoWordValues stands in where there is neither.
#pragma once

#include <string_view>

namespace tulvo::dictionary {

class WordValueLookup {
  public:
    virtual ~WordValueLookup() = default;
    // The word's frequency byte (0 to 255), or -1 when it is not listed; in
    // both cases 100 less when the word is a favorite. `form` is UTF-8,
    // `lengthInCharacters` its length in characters, `pinyin` the
    // dictionary's numbered pinyin of the entry (may be empty).
    virtual int wordValue(std::string_view form, int lengthInCharacters,
                          std::string_view pinyin) const = 0;
};

// No frequency data and no favorites: every word is unlisted.
class NoWordValues final : public WordValueLookup {
  public:
    int wordValue(std::string_view, int, std::string_view) const override { return -1; }
};

}  // namespace tulvo::dictionary
