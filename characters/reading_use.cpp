#include "characters/reading_use.hpp"

#include <algorithm>
#include <charconv>
#include <cstring>

namespace tulvo::characters {

bool ReadingUse::open(const std::filesystem::path& path) {
    return file_.open(path, size_t(4) << 20);
}

int ReadingUse::count(std::string_view character, std::string_view reading) const {
    const std::string_view text = file_.bytes();
    // The line starting at `start`: its key (up to its second TAB, else the
    // whole line, so that keys keep the order of the lines), its count text
    // and where the next line starts.
    struct Line {
        std::string_view key, number;
        size_t next;
    };
    const auto lineAt = [&text](size_t start) {
        size_t end = text.find('\n', start);
        const size_t next = end == std::string_view::npos ? text.size() : end + 1;
        if (end == std::string_view::npos) end = text.size();
        if (end > start && text[end - 1] == '\r') --end;
        const std::string_view line = text.substr(start, end - start);
        const size_t first = line.find('\t');
        const size_t tab = first == std::string_view::npos ? first : line.find('\t', first + 1);
        if (tab == std::string_view::npos) return Line{line, {}, next};
        return Line{line.substr(0, tab), line.substr(tab + 1), next};
    };
    std::string wanted;
    wanted.reserve(character.size() + reading.size() + 1);
    wanted.append(character).push_back('\t');
    wanted.append(reading);

    // The first line whose key is not below `wanted`: `low` and `high` are
    // line starts, and every line before `low` has a lower key.
    size_t low = 0, high = text.size();
    while (low < high) {
        const size_t middle = low + (high - low) / 2;
        const size_t newline =
            middle == low ? std::string_view::npos : text.rfind('\n', middle - 1);
        const size_t start = newline == std::string_view::npos || newline < low ? low : newline + 1;
        const Line line = lineAt(start);
        if (line.key < wanted)
            low = line.next;
        else
            high = start;
    }
    if (low >= text.size()) return 0;
    const Line line = lineAt(low);
    if (line.key != wanted || line.number.empty()) return 0;
    int count = 0;
    const char* end = line.number.data() + line.number.size();
    const auto [at, ec] = std::from_chars(line.number.data(), end, count);
    if (ec != std::errc() || at != end || count < 0) return 0;
    return std::min(count, kMaxCount);
}

}  // namespace tulvo::characters
