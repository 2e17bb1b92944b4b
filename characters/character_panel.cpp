#include "characters/character_panel.hpp"

#include <unicode/ucnv.h>

#include <memory>

#include "characters/components.hpp"
#include "characters/counterparts.hpp"
#include "characters/freq_file.hpp"
#include "dictionary/definitions.hpp"
#include "dictionary/dictionary_file.hpp"
#include "dictionary/pinyin.hpp"
#include "platform/app_paths.hpp"
#include "platform/unicode_text.hpp"

namespace tulvo::characters {
namespace {

constexpr char16_t kBullet[] = u"\u00B7 ";

}  // namespace

void write(RichText& out, std::u16string_view text, bool italic, bool indented) {
    if (text.empty()) return;
    if (!out.empty() && out.back().italic == italic && out.back().indented == indented) {
        out.back().text.append(text);
        return;
    }
    out.push_back(TextRun{std::u16string(text), italic, indented});
}

std::u16string plainText(const RichText& text) {
    std::u16string all;
    for (const TextRun& run : text) all += run.text;
    return all;
}

uint32_t headwordDisplayColour(int value) {
    if (dictionary::isFavoriteValue(value)) return kPanelFavorite;
    switch (frequencyClass(value)) {
        case 0:
            return 0x2030FF;
        case 1:
            return 0x000080;
        default:
            return 0x000000;
    }
}

uint32_t characterDisplayColour(int value) {
    if (dictionary::isFavoriteValue(value)) return kPanelFavorite;
    switch (frequencyClass(value)) {
        case 0:
            return 0x2035FF;
        case 1:
            return 0x000080;
        default:
            return 0x000000;
    }
}

namespace {

// Units of a written form inside a definition: Chinese characters (with
// the surrogates of the rarer ones) and the name separator.
bool isFormUnit(char16_t unit) {
    return (unit >= 0x3400 && unit <= 0x9FFF) || (unit >= 0xD800 && unit <= 0xDFFF) ||
           (unit >= 0xF900 && unit <= 0xFAFF) || unit == 0x3007 || unit == 0x00B7;
}

// Pinyin with tone digits as the dictionary writes it inside brackets.
bool isNumberedPinyin(std::u16string_view text) {
    bool letter = false, digit = false;
    for (const char16_t unit : text) {
        const bool isLetter = (unit >= u'a' && unit <= u'z') || (unit >= u'A' && unit <= u'Z');
        letter = letter || isLetter;
        digit = digit || (unit >= u'1' && unit <= u'5');
        if (!isLetter && !(unit >= u'0' && unit <= u'5') && unit != u' ' && unit != u':' &&
            unit != u',' && unit != u'-')
            return false;
    }
    return letter && digit;
}

// The start of the run of form units that ends at `end` in `text`.
size_t formStart(std::u16string_view text, size_t end) {
    while (end > 0 && isFormUnit(text[end - 1])) --end;
    return end;
}

}  // namespace

std::u16string readableMarkup(std::u16string_view text, bool traditional) {
    std::u16string out;
    out.reserve(text.size() + 16);
    // "A|B" just written at the end of `out`: keep the chosen form of it.
    const auto chooseForm = [&] {
        const size_t second = formStart(out, out.size());
        if (second == out.size() || second == 0 || out[second - 1] != u'|') return false;
        const size_t first = formStart(out, second - 1);
        if (first == second - 1) return false;
        const std::u16string chosen =
            traditional ? out.substr(first, second - 1 - first) : out.substr(second);
        out.resize(first);
        out += chosen;
        return true;
    };
    for (size_t i = 0; i < text.size();) {
        const bool definitionStart =
            i == 0 || text[i - 1] == u'/' || text[i - 1] == u'\r' || text[i - 1] == u'\n';
        if (definitionStart && text.substr(i, 3) == u"CL:") {
            const size_t end = std::min(text.find_first_of(u"/\r\n", i), text.size());
            out += text.substr(i, end - i).find(u',') != std::u16string_view::npos
                       ? u"measure words: "
                       : u"measure word: ";
            i += 3;
            continue;
        }
        if (text[i] == u'[') {
            const size_t close = text.find(u']', i);
            if (close != std::u16string_view::npos &&
                isNumberedPinyin(text.substr(i + 1, close - i - 1))) {
                const std::u16string marked =
                    dictionary::numberedToMarked(utf16ToUtf8(text.substr(i + 1, close - i - 1)));
                chooseForm();
                if (!out.empty() && isFormUnit(out.back()))
                    out += u' ' + marked;
                else
                    out += u'[' + marked + u']';
                i = close + 1;
                continue;
            }
        }
        // A reference without pinyin: "A|B" followed by anything else.
        if (!isFormUnit(text[i]) && !out.empty() && isFormUnit(out.back())) chooseForm();
        out.push_back(text[i]);
        ++i;
    }
    if (!out.empty() && isFormUnit(out.back())) chooseForm();
    return out;
}

void TranslationRenderer::render(std::u16string_view original, RichText& out, bool traditional) {
    const std::u16string translation = readableMarkup(original, traditional);
    write(out, kBullet, true, true);
    std::u16string pending;
    const auto flush = [&] {
        write(out, pending, true, true);
        pending.clear();
    };
    for (const char16_t unit : translation) {
        if (unit == u'/' || unit == u'\r') {
            flush();
            write(out, u"\r", true, true);
            write(out, kBullet, true, true);
        } else if (unit == u'\n') {
            // line feeds of CR LF text carry nothing
        } else if (unit == u'|') {
            write(out, u" ", true, true);
            pending.push_back(unit);
        } else if (unit >= 0x4E00) {
            flush();
            if (previous_ < 0x4E00 && previous_ != u'0' && previous_ != u':' && previous_ != u';' &&
                previous_ != u'(' && previous_ != u'[' && previous_ != u' ')
                write(out, u" ", true, true);
            write(out, std::u16string_view(&unit, 1), false, true);
        } else {
            pending.push_back(unit);
        }
        previous_ = unit;
    }
    flush();
}

std::u16string frequencyLine(int value) {
    value = dictionary::unmarkedValue(value);
    if (value < 0) return {};
    std::string line =
        "frequency of use: " + std::to_string(100 - 10 * frequencyClass(value)) + "%";
    if (hskLevel(value) != 0) line += ", HSK: " + std::to_string(hskLevel(value));
    line += "\r";
    return utf8ToUtf16(line);
}

RichText entryInformation(const PanelEntry& entry, const PanelData& data,
                          TranslationRenderer& renderer) {
    RichText out;
    if (!entry.bareCharacter) {
        if (!entry.equivalent.empty()) {
            const char16_t marker = entry.equivalent[0];
            std::u16string line = marker == u'2'   ? u"simplified:"
                                  : marker == u'1' ? u"traditional:"
                                                   : u"";
            line += u' ';
            line.append(entry.equivalent, 1);
            write(out, line + u"  \r");
        }
    } else if (!entry.headword.empty()) {
        const Counterparts found = counterparts(data.directory / kTypesPath, entry.headword[0]);
        if (!found.simplified.empty())
            write(out, u"simplified: " + found.simplified + u"  \r");
        else if (!found.traditional.empty())
            write(out, u"traditional: " + found.traditional + u"  \r");
    }
    if (entry.headword.size() == 1) {
        if (const auto components =
                componentText(data.directory / kComponentsPath, entry.headword[0]))
            write(out, u"radical/components: " + *components + u"\r");
    }
    write(out, frequencyLine(entry.value));
    // References show the script of the headword; with the same form in
    // both, the one the character-form selector asks for.
    const bool traditional = entry.equivalent.empty()
                                 ? data.charForm == dictionary::kTraditionalOnly
                                 : entry.equivalent[0] == u'2';
    if (!entry.translation.empty()) renderer.render(entry.translation, out, traditional);
    return out;
}

bool isSeparator(char16_t unit) {
    switch (unit) {
        case 0xFE4D:
        case 0x00B7:
        case 0x0020:
        case 0x3000:
        case 0xFF0C:
        case 0x002C:
        case 0x002E:
            return true;
        default:
            return false;
    }
}

std::u16string syllableAt(std::u16string_view headword, std::u16string_view pinyin, size_t index) {
    if (index >= headword.size() || isSeparator(headword[index])) return {};
    size_t k = 0;
    for (size_t i = 0; i < index; ++i)
        if (!isSeparator(headword[i])) ++k;
    size_t number = 0;
    size_t start = 0;
    for (size_t i = 0; i <= pinyin.size(); ++i) {
        if (i == pinyin.size() || pinyin[i] == u' ' || pinyin[i] == u',') {
            // A separator written as a syllable of its own ("·" between the
            // parts of a name) stands for a headword separator, which is not
            // counted either.
            const bool separatorOnly = i == start + 1 && isSeparator(pinyin[start]);
            if (i > start && !separatorOnly) {
                if (number == k) return std::u16string(pinyin.substr(start, i - start));
                ++number;
            }
            start = i + 1;
        }
    }
    return {};
}

CharacterView characterView(std::u16string_view headword, std::u16string_view pinyin, size_t index,
                            const PanelData& data, TranslationRenderer& renderer) {
    CharacterView view;
    if (index >= headword.size()) return view;
    view.character = headword[index];
    const std::u16string character(1, view.character);
    view.syllable = syllableAt(headword, pinyin, index);

    std::string reading = dictionary::markedToNumbered(view.syllable, /*cleanFinalSyllable=*/true);
    reading = asciiLowered(reading.substr(0, reading.find(' ')));

    std::string definitions;
    if (!view.syllable.empty())
        definitions = dictionary::definitionsForReading(
            platform::AppPaths(data.directory).dictionaryFile(), character, reading, data.charForm);
    if (definitions.size() >= 3 && definitions.compare(0, 2, "**") == 0) {
        reading.push_back(definitions[2]);
        const size_t lineEnd = definitions.find('\n');
        definitions.erase(0, lineEnd == std::string::npos ? definitions.size() : lineEnd + 1);
        view.syllable = dictionary::numberedToMarked(reading);
    }
    view.reading = reading;

    view.value = data.values ? data.values->wordValue(utf16ToUtf8(character), 1, reading) : -1;
    write(view.information, frequencyLine(view.value));

    const Counterparts found = counterparts(data.directory / kTypesPath, view.character);
    if (!found.simplified.empty())
        write(view.information, u"simplified: " + found.simplified + u"  ");
    if (!found.traditional.empty()) write(view.information, u"traditional: " + found.traditional);
    if (!found.simplified.empty() || !found.traditional.empty()) write(view.information, u"\r");

    if (const auto components = componentText(data.directory / kComponentsPath, view.character))
        write(view.information, u"radical/components: " + *components + u"\r");

    if (definitions.size() >= 2 && definitions.compare(definitions.size() - 2, 2, "\r\n") == 0)
        definitions.resize(definitions.size() - 2);
    if (!definitions.empty())
        renderer.render(utf8ToUtf16(definitions), view.information,
                        data.charForm == dictionary::kTraditionalOnly);
    return view;
}

std::string companionArgument(std::u16string_view text) {
    static constexpr char kHex[] = "0123456789ABCDEF";
    UErrorCode status = U_ZERO_ERROR;
    const std::unique_ptr<UConverter, decltype(&ucnv_close)> gbk(ucnv_open("windows-936", &status),
                                                                 ucnv_close);
    if (gbk) {
        // A unit without a code page 936 form stops the conversion instead of
        // becoming a guessed byte.
        ucnv_setFromUCallBack(gbk.get(), UCNV_FROM_U_CALLBACK_STOP, nullptr, nullptr, nullptr,
                              &status);
    }
    std::string argument;
    const auto percent = [&](unsigned byte) {
        argument.push_back('%');
        argument.push_back(kHex[(byte >> 4) & 15]);
        argument.push_back(kHex[byte & 15]);
    };
    for (const char16_t unit : text) {
        if (unit < 0x20) continue;
        if (unit <= 0xFF) {
            percent(unit);
            continue;
        }
        if (!gbk || U_FAILURE(status)) continue;
        char bytes[8];
        UErrorCode unitStatus = U_ZERO_ERROR;
        ucnv_reset(gbk.get());
        const int32_t length =
            ucnv_fromUChars(gbk.get(), bytes, sizeof bytes, &unit, 1, &unitStatus);
        if (U_FAILURE(unitStatus) || length != 2) continue;
        percent(static_cast<unsigned char>(bytes[0]));
        percent(static_cast<unsigned char>(bytes[1]));
    }
    return argument;
}

}  // namespace tulvo::characters
