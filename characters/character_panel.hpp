// What the character panel shows: the texts of the entry information box and
// of the per-character area, the display colours, the favorite toggle's
// arithmetic and the argument handed to the companion program. The widgets
// only put these texts on screen.
#pragma once

#include <cstdint>
#include <filesystem>
#include <string>
#include <string_view>
#include <vector>

#include "dictionary/result_list.hpp"
#include "dictionary/search_choices.hpp"
#include "dictionary/word_value.hpp"

namespace tulvo::characters {

// A piece of rich text: its units (CR ends a paragraph) and whether it is in
// italics. A paragraph takes the indent of the run that starts it.
struct TextRun {
    std::u16string text;
    bool italic = false;
    bool indented = false;
    bool operator==(const TextRun&) const = default;
};

using RichText = std::vector<TextRun>;

// Appends `text` as a run; joins the previous run when the style is the same.
void write(RichText& out, std::u16string_view text, bool italic = false, bool indented = false);
// The units of every run, for tests and plain-text views.
std::u16string plainText(const RichText& text);

// Display colours as 0xRRGGBB.
inline constexpr uint32_t kPanelFavorite = 0xF68A00;
uint32_t headwordDisplayColour(int value);
uint32_t characterDisplayColour(int value);

// The entry the panel shows: a result row's cells, or a bare character.
struct PanelEntry {
    std::u16string headword;     // Character column, or the bare character
    std::u16string pinyin;       // Pinyin column (tone marks)
    std::u16string translation;  // Translation column, "/" between definitions
    std::u16string equivalent;   // marker "1" or "2" and the other form, or empty
    int value = -1;              // the word frequency result stored with the row
    bool bareCharacter = false;

    static PanelEntry ofRow(const dictionary::ResultRow& row) {
        return {row.character, row.pinyin, row.translation, row.equivalent, row.wordValue, false};
    }
    static PanelEntry ofCharacter(char16_t character) {
        return {std::u16string(1, character), {}, {}, {}, -1, true};
    }
};

// Where the panel reads its data: the program directory's lookup files, the
// word frequency lookup and the character-form preference.
struct PanelData {
    std::filesystem::path directory;
    const dictionary::WordValueLookup* values = nullptr;
    dictionary::CharForm charForm = dictionary::kBothForms;
};

// The translation renderer. It remembers the last unit it handled across
// translations: a Chinese character at the start of a translation gets its
// leading space from that unit.
class TranslationRenderer {
  public:
    // `traditional` picks the form that references to other entries show.
    void render(std::u16string_view translation, RichText& out, bool traditional = false);

  private:
    char16_t previous_ = 0;
};

// The dictionary's markup made readable: "CL:個|个[ge4]" reads "measure
// word: 个 gè"; a reference "個|个[ge4]" or "个[ge4]" becomes the form (the
// traditional one with `traditional`) and its tone-marked pinyin, "個|个"
// the form alone, and other bracketed pinyin takes tone marks.
std::u16string readableMarkup(std::u16string_view text, bool traditional);

// "frequency of use: 90%, HSK: 2" and CR, or nothing for a value below 0.
std::u16string frequencyLine(int value);

// The entry information box: counterpart line, radical/components line (one
// character only), frequency line and the translation.
RichText entryInformation(const PanelEntry& entry, const PanelData& data,
                          TranslationRenderer& renderer);

bool isSeparator(char16_t unit);
// Syllable number k of marked pinyin (spaces and commas separate syllables),
// where k counts the non-separator characters before `index`.
std::u16string syllableAt(std::u16string_view headword, std::u16string_view pinyin, size_t index);

// The per-character area for character `index` of the headword.
struct CharacterView {
    char16_t character = 0;
    std::u16string syllable;  // shown in the character pinyin line
    std::string reading;      // numbered, lower case, as looked up
    int value = -1;           // word frequency result of the character alone
    RichText information;
};

// Nothing (character 0) when the index lies outside the headword.
CharacterView characterView(std::u16string_view headword, std::u16string_view pinyin, size_t index,
                            const PanelData& data, TranslationRenderer& renderer);

// The value after a favorite toggle: below -1 means a favorite, and the
// toggle moves it by the favorite mark either way.
inline int toggledValue(int value) {
    return dictionary::toggledFavorite(value);
}

// The companion program's argument: units below U+0020 dropped, units up to
// U+00FF as %XX, others as the %XX%XX of their two code page 936 bytes. A
// unit without a code page 936 form is dropped.
std::string companionArgument(std::u16string_view text);

}  // namespace tulvo::characters
