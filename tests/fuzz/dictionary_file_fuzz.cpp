// The dictionary file: its lines put back together are the file, the
// filtered scan hands over exactly the lines that hold its needle, and the
// field-start search (the needle's bytes wanted after a "[") every line it
// must and no line it may not.
#include "dictionary/dictionary_file.hpp"
#include "tests/fuzz/fuzz_support.hpp"

#include <algorithm>
#include <array>

using namespace tulvo::dictionary;

namespace {

bool containsIgnoringCase(std::string_view line, std::string_view needle) {
    return std::search(line.begin(), line.end(), needle.begin(), needle.end(), [](char a, char b) {
               return (a >= 'A' && a <= 'Z' ? char(a + 32) : a) == b;
           }) != line.end();
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    if (size == 0) return 0;
    // The first byte gives the needle's length; the needle comes next, in
    // lower case as the search gives it. An empty needle hands over every
    // line.
    const size_t needleLength = std::min<size_t>(data[0] % 5, size - 1);
    std::string needle(reinterpret_cast<const char*>(data + 1), needleLength);
    for (char& c : needle)
        if (c >= 'A' && c <= 'Z') c = char(c + 32);
    const std::string_view text =
        tulvo::fuzz::bytesOf(data + 1 + needleLength, size - 1 - needleLength);
    const auto file = tulvo::fuzz::writeFile(tulvo::fuzz::scratch() / "CEDICT_ts.u8", text);

    std::vector<std::string> lines;
    FUZZ_CHECK(scanLines(file, [&](std::string_view line) {
        FUZZ_CHECK(line.find("\r\n") == std::string_view::npos);
        lines.emplace_back(line);
        const std::string_view pinyin = pinyinField(line);
        FUZZ_CHECK(pinyin.data() >= line.data() &&
                   pinyin.data() + pinyin.size() <= line.data() + line.size());
        forEachDefinition(definitionText(line), [&](std::string_view d) {
            FUZZ_CHECK(d.find('/') == std::string_view::npos);
            return true;
        });
        return true;
    }));
    std::string joined;
    for (const std::string& line : lines) joined += line + "\r\n";
    FUZZ_CHECK(joined == text || joined == std::string(text) + "\r\n");

    std::vector<std::string> expected, found;
    for (const std::string& line : lines)
        if (needle.empty() || containsIgnoringCase(line, needle)) expected.push_back(line);
    FUZZ_CHECK(scanLinesContaining(file, needle, [&](std::string_view line) {
        found.emplace_back(line);
        return true;
    }));
    FUZZ_CHECK(found == expected);

    std::array<bool, 256> wanted{};
    // Not CR: a "[" that ends a line is followed by one, and may have its
    // line handed over for it.
    for (char c : needle)
        if (c != '\r') wanted[static_cast<unsigned char>(c)] = true;
    const FieldStartFinder finder(wanted);
    size_t start = 0;
    std::vector<size_t> pointed;
    for (size_t from = 0; from < text.size();) {
        const size_t at = finder.nextLine(text, from);
        if (at >= text.size()) break;
        pointed.push_back(at);
        from = findLineEnd(text, at) + 2;
    }
    auto next = pointed.begin();
    for (const std::string& line : lines) {
        bool must = line.find('[') == std::string::npos;
        for (size_t at = line.find('['); at != std::string::npos && !must;
             at = line.find('[', at + 1))
            must = at + 1 < line.size() && wanted[static_cast<unsigned char>(line[at + 1])];
        const bool handed = next != pointed.end() && *next == start;
        if (handed) ++next;
        // Besides those, only a line with a lone LF may be handed over.
        FUZZ_CHECK(handed == must || (handed && line.find('\n') != std::string::npos));
        start += line.size() + 2;
    }
    FUZZ_CHECK(next == pointed.end());
    return 0;
}
