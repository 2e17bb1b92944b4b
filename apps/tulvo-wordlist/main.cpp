// tulvo-wordlist: the favorite-list import without a window. Prints the code
// page the import reads FILE with and the words it finds, in file order;
// with --add imports them as tracking does (no preview, single characters
// too). Uses the data of its program directory (the folder of its
// executable); FILE is relative to the current directory.
#include <cstdio>
#include <iostream>
#include <string>
#include <vector>

#include "apps/common/command_line.hpp"
#include "characters/freq_file.hpp"
#include "characters/word_values.hpp"
#include "favorites/code_pages.hpp"
#include "favorites/favorites_store.hpp"
#include "favorites/list_import.hpp"
#include "platform/app_paths.hpp"
#include "platform/unicode_text.hpp"

using namespace tulvo;

namespace {

constexpr const char* kUsage =
    "usage: tulvo-wordlist [--encoding CODEPAGE] [--add] FILE\n"
    "       tulvo-wordlist --help | --version\n";

int usage(const std::string& problem) {
    std::cerr << "tulvo-wordlist: " << problem << "\n" << kUsage;
    return 2;
}

}  // namespace

int main(int argc, char** argv) {
    int encoding = -1;
    bool add = false;
    std::vector<std::string> files;
    for (int i = 1; i < argc; ++i) {
        const std::string arg = argv[i];
        if (arg == "--help" || arg == "-h") {
            std::cout << kUsage;
            return 0;
        }
        if (arg == "--version") {
            apps::printVersion("tulvo-wordlist");
            return 0;
        }
        if (arg == "--add") {
            add = true;
        } else if (arg == "--encoding") {
            if (i + 1 >= argc) return usage("--encoding needs a code page");
            const std::string value = argv[++i];
            if (value.empty() || value.size() > 9 ||
                value.find_first_not_of("0123456789") != std::string::npos)
                return usage("bad code page: " + value);
            encoding = std::stoi(value);
            if (favorites::converterName(encoding).empty())
                return usage("unknown code page: " + value);
        } else if (arg == "--") {
            for (++i; i < argc; ++i) files.emplace_back(argv[i]);
        } else if (arg.size() > 1 && arg[0] == '-') {
            return usage("unknown option " + arg);
        } else {
            files.push_back(arg);
        }
    }
    if (files.size() != 1) return usage("give one FILE");

    const favorites::ListFile list = favorites::readListFile(files[0]);
    if (list.status != favorites::ListFile::Read) {
        std::cerr << "tulvo-wordlist: cannot read " << files[0] << ": "
                  << favorites::listFileProblem(list.status) << "\n";
        return 2;
    }

    const std::filesystem::path programDirectory = platform::programDirectoryOfExecutable();
    if (programDirectory.empty()) {
        std::cerr << "tulvo-wordlist: cannot find its own program directory\n";
        return 1;
    }
    const platform::AppPaths paths(programDirectory);
    const characters::FreqFile freq(paths.shippedFile("freq.dat"));
    const favorites::WordClasses classes = characters::listWordClasses(freq);

    // The words as the import cuts them, without the single characters it
    // adds besides.
    const favorites::TextEncoding found = favorites::encodingOf(list.bytes, encoding, classes);
    const std::string_view text = std::string_view(list.bytes).substr(found.skip);
    std::string out = "code page " + std::to_string(found.codePage) + "\n";
    if (const auto units = favorites::decode(text, found.codePage))
        for (const std::u16string& word : favorites::splitWords(*units, false))
            out += utf16ToUtf8(word) + "\n";
    std::fwrite(out.data(), 1, out.size(), stdout);
    std::fflush(stdout);
    if (!add) return 0;

    if (!paths.ensureUserDirectory()) {
        std::cerr << "tulvo-wordlist: cannot make " << paths.userDirectory().string() << "\n";
        return 1;
    }
    favorites::FavoritesStore store(paths.userFile("favorites.dat"),
                                    paths.programDirectory() / favorites::kDebugMarkerPath);
    store.load();
    favorites::ImportRequest request;
    request.text = list.bytes;
    request.encoding = encoding;
    request.classes = classes;
    const int added = favorites::importList(request, store, nullptr);
    if (added == favorites::kImportFailed) {
        std::cerr << "tulvo-wordlist: the favorites could not be saved: " << store.failureReason()
                  << "\n";
        return 1;
    }
    std::cerr << added << " new word(s) added\n";
    return 0;
}
