// The word frequency lookup with its favorite mark: the value a result row,
// the character panel and the radical search read for a word. A favorite's
// value carries dictionary::kFavoriteMark, so every reader takes a value
// below -1 as a favorite.
#pragma once

#include <string_view>

#include "characters/freq_file.hpp"
#include "characters/reading_use.hpp"
#include "dictionary/word_value.hpp"
#include "favorites/favorites_store.hpp"
#include "favorites/list_detector.hpp"

namespace tulvo::characters {

// The frequency value of `word` for `reading` (-1 when not listed), marked
// (dictionary::kFavoriteMark less) when the store holds the word. `favorites` may be null: no
// favorites.
int wordFrequency(const FreqFile& freq, favorites::FavoritesStore* favorites,
                  std::u16string_view word, std::string_view reading);

// The frequency classes the list import's encoding detection scores with;
// none when the file is not open.
favorites::WordClasses listWordClasses(const FreqFile& freq);

// The result list's word values from the open frequency file and the store,
// and the characters' use by reading when `readingUse` is given.
class WordValues final : public dictionary::WordValueLookup {
  public:
    WordValues(const FreqFile& freq, favorites::FavoritesStore* favorites,
               const ReadingUse* readingUse = nullptr)
        : freq_(freq), favorites_(favorites), readingUse_(readingUse) {}

    // The whole shown form is looked up, whatever `lengthInCharacters` says:
    // that count (bytes / 3) is short for forms with Latin letters, and a
    // shortened form would take the value of another word (阿Q that of 阿).
    int wordValue(std::string_view form, int lengthInCharacters,
                  std::string_view pinyin) const override;
    int readingUse(std::string_view character, std::string_view pinyin) const override {
        return readingUse_ ? readingUse_->count(character, pinyin) : 0;
    }

  private:
    const FreqFile& freq_;
    favorites::FavoritesStore* favorites_;
    const ReadingUse* readingUse_;
};

}  // namespace tulvo::characters
