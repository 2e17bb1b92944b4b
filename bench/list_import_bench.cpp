// How often the favorite-list import reads a word list right, in every
// encoding learners keep lists in, and how often a short random file imports
// nothing; ICU's first charset candidate on the same files beside it. Run in
// the program directory: the lists are made from common words of the
// dictionary, the detection scores with data/freq.dat.
//
//   list_import_bench [--check] [--seed N] [--show]
//
// --check exits 1 when fewer than 99 % of the lists are read right or fewer
// than 95 % of the random files import nothing; --show lists the misread
// files.
#include <chrono>
#include <cstdio>
#include <fstream>
#include <map>
#include <optional>
#include <random>
#include <sstream>
#include <string>
#include <vector>

#include "characters/freq_file.hpp"
#include "characters/word_values.hpp"
#include "dictionary/dictionary_file.hpp"
#include "favorites/code_pages.hpp"
#include "favorites/list_import.hpp"
#include "platform/unicode_text.hpp"

using namespace tulvo;
using namespace tulvo::favorites;

namespace {

struct Word {
    std::u16string simplified, traditional;
    std::string pinyin, english;
};

bool allIdeographs(std::u16string_view text) {
    for (char16_t c : text)
        if (c < 0x4E00 || c > 0x9FFF) return false;
    return !text.empty();
}

// Common words of the dictionary (word frequency class 0 or 1), with their
// traditional form, pinyin and first gloss.
std::vector<Word> commonWords(const characters::FreqFile& freq) {
    std::ifstream in(dictionary::kDictionaryPath, std::ios::binary);
    std::vector<Word> words;
    std::string line;
    std::map<std::u16string, bool> seen;
    while (std::getline(in, line)) {
        if (line.empty() || line[0] == '#') continue;
        if (line.back() == '\r') line.pop_back();
        Word w;
        w.traditional = utf8ToUtf16(dictionary::spaceField(line, 1));
        w.simplified = utf8ToUtf16(dictionary::spaceField(line, 2));
        if (w.simplified.size() < 2 || w.simplified.size() > 4 || !allIdeographs(w.simplified) ||
            !allIdeographs(w.traditional) || seen[w.simplified])
            continue;
        const int value = freq.lookup(w.simplified, "");
        if (value < 0 || characters::frequencyClass(value) > 1) continue;
        seen[w.simplified] = true;
        w.pinyin = std::string(dictionary::pinyinField(line));
        const std::string_view gloss = dictionary::definitionText(line);
        w.english = std::string(gloss.substr(0, gloss.find('/')));
        bool ascii = true;
        for (char c : w.english + w.pinyin) ascii = ascii && static_cast<unsigned char>(c) < 0x80;
        if (!ascii) continue;  // a gloss naming other words
        words.push_back(std::move(w));
    }
    return words;
}

struct Encoding {
    const char* name;
    int codePage;      // 1201 is UTF-16BE
    const char* mark;  // byte-order mark written before the text
    size_t markSize;
};

const Encoding kEncodings[] = {
    {"UTF-8", kUtf8, "", 0},     {"UTF-8 + mark", kUtf8, "\xEF\xBB\xBF", 3},
    {"UTF-16LE", kUtf16, "", 0}, {"UTF-16LE + mark", kUtf16, "\xFF\xFE", 2},
    {"UTF-16BE", 1201, "", 0},   {"UTF-16BE + mark", 1201, "\xFE\xFF", 2},
    {"GBK", kGbk, "", 0},        {"GB18030", 54936, "", 0},
    {"Big5", kBig5, "", 0},      {"UTF-7", kUtf7, "", 0},
};

enum Layout { Lines, Commas, FullWidthCommas, Numbered, Vocabulary, kLayouts };

struct List {
    std::string bytes;
    std::vector<std::u16string> words;
};

// A list of 1 to 40 words in one layout and script; nothing when the
// encoding cannot hold it.
std::optional<List> makeList(const std::vector<Word>& pool, const Encoding& encoding,
                             std::mt19937& random) {
    const bool traditional = encoding.codePage == kBig5 || random() % 2 == 0;
    const auto layout = Layout(random() % kLayouts);
    const size_t count = 1 + random() % 40;
    List list;
    std::u16string text;
    for (size_t i = 0; i < count; ++i) {
        const Word& w = pool[random() % pool.size()];
        const std::u16string& word = traditional ? w.traditional : w.simplified;
        list.words.push_back(word);
        switch (layout) {
            case Lines:
                text += word + u"\r\n";
                break;
            case Commas:
                text += (i ? u", " : u"") + word;
                break;
            case FullWidthCommas:
                text += (i ? u"，" : u"") + word;
                break;
            case Numbered:
                text += utf8ToUtf16(std::to_string(i + 1) + ". ") + word + u"\n";
                break;
            default:
                text += word + utf8ToUtf16("\t" + w.pinyin + "\t" + w.english + "\r\n");
                break;
        }
    }
    if (layout == Commas || layout == FullWidthCommas) text += u"\r\n";
    const auto bytes = encode(text, encoding.codePage, /*strict=*/true);
    if (!bytes) return std::nullopt;
    list.bytes = std::string(encoding.mark, encoding.markSize) + *bytes;
    return list;
}

std::vector<std::u16string> wordsAs(std::string_view bytes, TextEncoding found) {
    const auto units = decode(bytes.substr(found.skip), found.codePage);
    if (!units) return {};
    return splitWords(*units, false);
}

// What the import reads.
std::vector<std::u16string> importedWords(std::string_view bytes, const WordClasses& classes) {
    return wordsAs(bytes, encodingOf(bytes, -1, classes));
}

// The byte-order marks, then ICU's first candidate, as a generic detector
// would be used.
std::vector<std::u16string> icuWords(std::string_view bytes) {
    TextEncoding found{kUtf16, 0};
    if (bytes.size() >= 3 && bytes.starts_with("\xFF\xFE"))
        found = {kUtf16, 2};
    else if (bytes.size() >= 3 && bytes.starts_with("\xEF\xBB\xBF"))
        found = {kUtf8, 3};
    else if (const auto candidates = charsetCandidates(bytes); !candidates.empty())
        found.codePage = candidates.front() == kShiftJis ? kGbk : candidates.front();
    return wordsAs(bytes, found);
}

double percent(int part, int whole) {
    return whole ? 100.0 * part / whole : 0.0;
}

}  // namespace

int main(int argc, char** argv) {
    bool check = false, show = false;
    unsigned seed = 14;
    for (int i = 1; i < argc; ++i) {
        const std::string arg = argv[i];
        if (arg == "--check")
            check = true;
        else if (arg == "--show")
            show = true;
        else if (arg == "--seed" && i + 1 < argc)
            seed = unsigned(std::stoul(argv[++i]));
        else {
            std::fprintf(stderr, "usage: list_import_bench [--check] [--seed N] [--show]\n");
            return 2;
        }
    }
    const characters::FreqFile freq(characters::kFreqPath);
    const WordClasses classes = characters::listWordClasses(freq);
    const std::vector<Word> pool = commonWords(freq);
    if (pool.size() < 100) {
        std::fprintf(stderr,
                     "list_import_bench: run it in the program directory (data/ with "
                     "CEDICT_ts.u8 and freq.dat)\n");
        return 2;
    }

    std::mt19937 random(seed);
    constexpr int kListsPerEncoding = 48;
    int lists = 0, oursRight = 0, icuRight = 0;
    double seconds = 0;
    std::printf("%-18s %6s %10s %10s\n", "encoding", "lists", "import", "ICU first");
    for (const Encoding& encoding : kEncodings) {
        int made = 0, ours = 0, icu = 0;
        while (made < kListsPerEncoding) {
            const auto list = makeList(pool, encoding, random);
            if (!list) continue;
            ++made;
            const auto start = std::chrono::steady_clock::now();
            const bool right = importedWords(list->bytes, classes) == list->words;
            seconds +=
                std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
            ours += right;
            if (show && !right) std::printf("  misread: %s\n", list->bytes.c_str());
            icu += icuWords(list->bytes) == list->words;
        }
        std::printf("%-18s %6d %9.1f%% %9.1f%%\n", encoding.name, made, percent(ours, made),
                    percent(icu, made));
        lists += made;
        oursRight += ours;
        icuRight += icu;
    }
    std::printf("%-18s %6d %9.1f%% %9.1f%%\n", "all lists", lists, percent(oursRight, lists),
                percent(icuRight, lists));

    // Short random files: nothing in them is a word list.
    constexpr int kRandomFiles = 200;
    int oursNothing = 0, icuNothing = 0;
    for (int i = 0; i < kRandomFiles; ++i) {
        std::string bytes(1 + random() % 64, '\0');
        for (char& c : bytes) c = char(random());
        const auto words = importedWords(bytes, classes);
        oursNothing += words.empty();
        if (show && !words.empty()) {
            std::printf("  %zu bytes, code page %d:", bytes.size(),
                        encodingOf(bytes, -1, classes).codePage);
            for (unsigned char c : bytes) std::printf(" %02X", c);
            for (const auto& word : words) std::printf(" %s", utf16ToUtf8(word).c_str());
            std::printf("\n");
        }
        icuNothing += icuWords(bytes).empty();
    }
    std::printf("%-18s %6d %9.1f%% %9.1f%%   (share importing nothing)\n", "random files",
                kRandomFiles, percent(oursNothing, kRandomFiles),
                percent(icuNothing, kRandomFiles));
    std::printf("detection and decoding: %.3f ms a list\n", 1000.0 * seconds / lists);

    if (!check) return 0;
    const bool met = oursRight * 100 >= lists * 99 && oursNothing * 100 >= kRandomFiles * 95;
    if (!met) std::fprintf(stderr, "list_import_bench: below the targets (99 %% / 95 %%)\n");
    return met ? 0 : 1;
}
