// tulvo-lookup: the dictionary search from a terminal. Runs exactly the
// search the window runs, on the data of its program directory (the folder
// of its executable), from whatever folder it is started.
#include <cstdio>
#include <cstdlib>
#include <map>
#include <optional>
#include <string>
#include <vector>

#include "apps/common/command_line.hpp"
#include "characters/component_search.hpp"
#include "characters/components.hpp"
#include "characters/freq_file.hpp"
#include "characters/word_values.hpp"
#include "dictionary/definitions.hpp"
#include "dictionary/dictionary_file.hpp"
#include "dictionary/list_search_host.hpp"
#include "dictionary/pinyin.hpp"
#include "dictionary/result_list.hpp"
#include "dictionary/search.hpp"
#include "favorites/favorites_store.hpp"
#include "favorites/flashcards.hpp"
#include "platform/app_paths.hpp"
#include "platform/unicode_text.hpp"

using namespace tulvo;
using namespace tulvo::dictionary;

namespace {

constexpr const char* kUsage =
    "usage: tulvo-lookup [--match beginning|end|anywhere|exact] "
    "[--chars simplified|both|traditional] [--prefer simplified|traditional] "
    "[--order file|list] QUERY\n"
    "       tulvo-lookup [--chars ...] --definitions CHAR READING\n"
    "       tulvo-lookup [--chars ...] [--order file|list] --children CHAR\n"
    "       tulvo-lookup --to-marked TEXT | --to-numbered TEXT\n"
    "       tulvo-lookup --add-favorite WORD | --remove-favorite WORD\n"
    "       tulvo-lookup --favorites\n"
    "       tulvo-lookup --help | --version\n";

int usage(const std::string& problem) {
    apps::writeText(stderr, "tulvo-lookup: " + problem + "\n" + kUsage);
    return 2;
}

std::string toUtf8Lines(std::u16string_view text) {
    std::string out = utf16ToUtf8(text);
    replaceAll(out, "\r\n", "\n");
    return out;
}

// Headless host: rows into the list, the cap message to standard error.
class LookupHost final : public ListSearchHost, public ResultListListener {
  public:
    explicit LookupHost(ResultList& list) : ListSearchHost(list) { list.setListener(this); }
    void capReached(const std::u16string& message) override {
        apps::writeText(stderr, toUtf8Lines(message) + "\n");
    }
};

// The exit status once a search's rows are out: rows that could not be
// written (a full disk) are an error, not a success. The memory and mappings
// the search built go with the process: taking them down one by one first
// cost a twentieth of a short run. The sanitizer build takes them down, so
// that its leak check still sees them.
int exitAfterRows() {
    const bool written = std::fflush(stdout) == 0 && !std::ferror(stdout);
    if (!written) apps::writeText(stderr, "tulvo-lookup: the rows could not be written\n");
#if !defined(__SANITIZE_ADDRESS__)
    std::_Exit(written ? 0 : 1);
#endif
    return written ? 0 : 1;
}

std::optional<int> choice(const std::string& value, const std::map<std::string, int>& options) {
    const auto it = options.find(value);
    if (it == options.end()) return std::nullopt;
    return it->second;
}

}  // namespace

int main(int argc, char** argv) {
    SearchSettings settings;
    bool fileOrder = false;
    bool orderGiven = false;
    std::vector<std::string> positional;
    std::string mode = "search";

    const std::map<std::string, std::map<std::string, int>> valued = {
        {"--match",
         {{"beginning", kBeginning}, {"end", kEnd}, {"anywhere", kAnywhere}, {"exact", kExact}}},
        {"--chars",
         {{"simplified", kSimplifiedOnly},
          {"both", kBothForms},
          {"traditional", kTraditionalOnly}}},
        {"--prefer", {{"simplified", 0}, {"traditional", 1}}},
        {"--order", {{"list", 0}, {"file", 1}}},
    };
    for (int i = 1; i < argc; ++i) {
        const std::string arg = argv[i];
        if (arg == "--help" || arg == "-h") {
            apps::writeText(stdout, kUsage);
            return 0;
        }
        if (arg == "--version") {
            apps::printVersion("tulvo-lookup");
            return 0;
        }
        if (const auto it = valued.find(arg); it != valued.end()) {
            if (i + 1 >= argc) return usage(arg + " needs a value");
            const auto value = choice(argv[++i], it->second);
            if (!value) return usage("bad value for " + arg + ": " + argv[i]);
            if (arg == "--match")
                settings.matchPart = MatchPart(*value);
            else if (arg == "--chars")
                settings.charForm = CharForm(*value);
            else if (arg == "--prefer")
                settings.preferTraditional = *value == 1;
            else {
                fileOrder = *value == 1;
                orderGiven = true;
            }
        } else if (arg == "--definitions" || arg == "--children" || arg == "--to-marked" ||
                   arg == "--to-numbered" || arg == "--add-favorite" ||
                   arg == "--remove-favorite" || arg == "--favorites") {
            if (mode != "search")
                return usage(
                    "only one of --definitions, --children, --to-marked, --to-numbered, "
                    "--add-favorite, --remove-favorite, --favorites");
            mode = arg;
        } else if (arg == "--") {
            for (++i; i < argc; ++i) positional.emplace_back(argv[i]);
        } else if (arg.size() > 1 && arg[0] == '-' && arg[1] == '-') {
            return usage("unknown option " + arg);
        } else {
            positional.push_back(arg);
        }
    }
    const size_t wanted = mode == "--definitions" ? 2 : mode == "--favorites" ? 0 : 1;
    if (positional.size() != wanted)
        return usage(wanted == 2   ? "--definitions takes CHAR and READING"
                     : wanted == 0 ? "--favorites takes no QUERY"
                                   : "give one QUERY");
    for (const std::string& text : positional)
        if (!isValidUtf8(text)) return usage("the query is not valid UTF-8");
    // Installed, the favorites are this user's and a downloaded dictionary
    // takes precedence over the shipped one.
    const std::filesystem::path programDirectory = platform::programDirectoryOfExecutable();
    if (programDirectory.empty()) {
        apps::writeText(stderr, "tulvo-lookup: cannot find its own program directory\n");
        return 1;
    }
    const platform::AppPaths paths(programDirectory);
    const std::filesystem::path dictionaryPath = paths.dictionaryFile();
    const std::filesystem::path favoritesPath =
        paths.userFile(favorites::kFavoritesPath.filename().string());
    const std::filesystem::path debugMarker =
        paths.topLevelUserFile(favorites::kDebugMarkerPath.string());

    if (mode == "--to-marked") {
        apps::writeText(stdout, utf16ToUtf8(numberedToMarked(positional[0])) + "\n");
        return 0;
    }
    if (mode == "--to-numbered") {
        apps::writeText(stdout, markedToNumbered(utf8ToUtf16(positional[0])) + "\n");
        return 0;
    }
    if (mode == "--definitions") {
        const std::string text = definitionsForReading(dictionaryPath, utf8ToUtf16(positional[0]),
                                                       positional[1], settings.charForm);
        std::string out = text;
        replaceAll(out, "\r\n", "\n");
        std::fwrite(out.data(), 1, out.size(), stdout);
        return 0;
    }

    if (mode == "--add-favorite" || mode == "--remove-favorite") {
        paths.ensureUserDirectory();
        favorites::FavoritesStore store(favoritesPath, debugMarker);
        store.load();
        const std::u16string word = utf8ToUtf16(positional[0]);
        if (word.size() > size_t(favorites::kMaxWordLength))
            return usage("a favorite word has at most 30 UTF-16 units");
        const auto result = mode == "--add-favorite" ? store.add(word) : store.remove(word);
        if (result == favorites::FavoritesStore::Change::Failed) {
            apps::writeText(stderr, "tulvo-lookup: the favorites could not be saved: " +
                                        store.failureReason() + "\n");
            return 1;
        }
        return 0;
    }

    // The word values: the frequency file, open for the whole run, and the
    // favorites (read only here: a lookup never creates the store's file).
    const characters::FreqFile freq(paths.shippedFile(characters::kFreqPath.filename().string()));
    favorites::FavoritesStore favoriteWords(favoritesPath, debugMarker);
    favoriteWords.load(/*createMissing=*/false);
    if (mode == "--favorites") {
        const std::string out = favorites::flashcardsTsv(favorites::makeFlashcards(
            favorites::storedWords(favoriteWords.buffer()), dictionaryPath, freq));
        std::fwrite(out.data(), 1, out.size(), stdout);
        return 0;
    }
    characters::ReadingUse readingUse;
    readingUse.open(paths.shippedFile(characters::kReadingUsePath.filename().string()));
    const characters::WordValues values(freq, &favoriteWords, &readingUse);
    const MarkedVowels markedVowels;
    ResultList list(values);
    LookupHost host(list);
    if (mode == "--children") {
        // The component search, in the order it adds its rows unless the
        // list order is asked for: the chosen character's own entries first.
        const std::u16string chosen = utf8ToUtf16(positional[0]);
        if (chosen.size() != 1) return usage("--children takes one character");
        const auto rows = characters::componentSearch(
            paths.shippedFile(characters::kComponentsPath.filename().string()), dictionaryPath,
            chosen[0], settings.charForm);
        if (!rows) {
            apps::writeText(stderr, std::string(characters::kNoCharacterBasedOn) + "\n");
            return 0;
        }
        characters::showComponentRows(list, *rows);
        fileOrder = !orderGiven || fileOrder;
    } else {
        Search search(dictionaryPath, markedVowels, host);
        search.textSearch(utf8ToUtf16(positional[0]), settings);
    }

    // Written in pieces of a few hundred rows, in one small buffer.
    std::string out;
    out.reserve(16 * 1024);
    for (size_t i = 0; i < list.size(); ++i) {
        list.appendUtf8Line(i, !fileOrder, out);
        if (out.size() >= 12 * 1024) {
            std::fwrite(out.data(), 1, out.size(), stdout);
            out.clear();
        }
    }
    std::fwrite(out.data(), 1, out.size(), stdout);
    return exitAfterRows();
}
