// tulvo-recognize: handwriting recognition from a terminal. Each input line
// is one stroke of mouse positions on the pad ("x,y x,y ..."); the pad's
// capture rules apply, a recognition pass runs after every stroke, and the
// final candidates are printed best first. Reads data/shapes.dat and
// data/recog.dat of its program directory (the folder of its executable).
// The candidates come from the recogniser that forgives stroke order;
// --pass-only gives the recognition pass's own candidates and scores.
#include <charconv>
#include <cstdio>
#include <fstream>
#include <iostream>
#include <map>
#include <optional>
#include <sstream>
#include <string>
#include <vector>

#include "apps/common/command_line.hpp"
#include "handwriting/matcher.hpp"
#include "handwriting/shape_recognizer.hpp"
#include "handwriting/stroke_capture.hpp"
#include "platform/app_paths.hpp"
#include "platform/unicode_text.hpp"

using namespace tulvo;
using namespace tulvo::handwriting;

namespace {

constexpr const char* kUsage =
    "usage: tulvo-recognize [--chars simplified|both|traditional] [--pass-only] [FILE]\n"
    "       tulvo-recognize --help | --version\n";

int usage(const std::string& problem) {
    std::cerr << "tulvo-recognize: " << problem << "\n" << kUsage;
    return 2;
}

// A signed 16-bit coordinate, the way the mouse reports it.
std::optional<int> coordinate(std::string_view text) {
    int value = 0;
    const auto [end, ec] = std::from_chars(text.data(), text.data() + text.size(), value);
    if (ec != std::errc() || end != text.data() + text.size()) return std::nullopt;
    if (value < -32768 || value > 32767) return std::nullopt;
    return value;
}

// The points of one line, or nullopt with the offending token in *bad.
std::optional<std::vector<std::pair<int, int>>> parseStroke(const std::string& line,
                                                            std::string* bad) {
    std::vector<std::pair<int, int>> points;
    std::istringstream words(line);
    std::string token;
    while (words >> token) {
        const size_t comma = token.find(',');
        const auto x = comma == std::string::npos
                           ? std::nullopt
                           : coordinate(std::string_view(token).substr(0, comma));
        const auto y = comma == std::string::npos
                           ? std::nullopt
                           : coordinate(std::string_view(token).substr(comma + 1));
        if (!x || !y) {
            *bad = token;
            return std::nullopt;
        }
        points.emplace_back(*x, *y);
    }
    return points;
}

}  // namespace

int main(int argc, char** argv) {
    const std::map<std::string, CharForm> forms = {
        {"simplified", kSimplifiedOnly}, {"both", kBothForms}, {"traditional", kTraditionalOnly}};
    CharForm preference = kBothForms;
    std::optional<std::string> file;
    bool passOnly = false;
    for (int i = 1; i < argc; ++i) {
        const std::string arg = argv[i];
        if (arg == "--help" || arg == "-h") {
            std::cout << kUsage;
            return 0;
        }
        if (arg == "--version") {
            apps::printVersion("tulvo-recognize");
            return 0;
        }
        if (arg == "--chars") {
            if (i + 1 >= argc) return usage("--chars needs a value");
            const auto it = forms.find(argv[++i]);
            if (it == forms.end()) return usage(std::string("bad --chars value: ") + argv[i]);
            preference = it->second;
        } else if (arg == "--pass-only") {
            passOnly = true;
        } else if (arg.size() > 1 && arg[0] == '-') {
            return usage("unknown option " + arg);
        } else if (file) {
            return usage("more than one FILE");
        } else {
            file = arg;
        }
    }

    std::ifstream opened;
    if (file) {
        opened.open(*file, std::ios::binary);
        if (!opened) return usage("cannot read " + *file);
    }
    std::istream& in = file ? opened : std::cin;

    Drawing drawing;
    PadCapture pad(drawing);
    Recognizer recognizer;
    ShapeRecognizer reader;
    const std::filesystem::path programDirectory = platform::programDirectoryOfExecutable();
    if (programDirectory.empty()) {
        std::cerr << "tulvo-recognize: cannot find its own program directory\n";
        return 1;
    }
    const platform::AppPaths paths(programDirectory);
    const std::filesystem::path templates = paths.shippedFile(kRecogPath.filename().string());
    if (!passOnly) reader.load(paths.shippedFile(kShapesPath.filename().string()), templates);
    std::string line;
    int lineNumber = 0;
    int strokes = 0;
    while (std::getline(in, line)) {
        ++lineNumber;
        if (!line.empty() && line.back() == '\r') line.pop_back();
        std::string bad;
        const auto points = parseStroke(line, &bad);
        if (!points) {
            std::cerr << "tulvo-recognize: line " << lineNumber << ": bad point \"" << bad
                      << "\" (expected x,y)\n";
            return 2;
        }
        if (points->empty()) continue;  // a blank line is no stroke
        pad.penDown((*points)[0].first, (*points)[0].second);
        for (size_t i = 1; i < points->size(); ++i)
            pad.penMove((*points)[i].first, (*points)[i].second);
        pad.penUp();
        if (passOnly)
            recognizer.pass(drawing, templates, preference);
        else
            reader.pass(drawing, preference);
        ++strokes;
    }
    if (strokes == 0) return 0;

    const CandidateList& list = passOnly ? recognizer.candidates() : reader.candidates();
    for (int slot = 0; slot < list.size(); ++slot) {
        const std::string character = utf16ToUtf8(std::u16string(1, char16_t(list[slot].code)));
        std::printf("%s\t%.9g\n", character.c_str(), double(list[slot].score));
    }
    return 0;
}
