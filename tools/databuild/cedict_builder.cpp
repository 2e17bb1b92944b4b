#include "tools/databuild/cedict_builder.hpp"

namespace tulvo::databuild {

std::string cedictWithCrLf(std::string_view text, size_t& entries) {
    std::string out;
    out.reserve(text.size() + text.size() / 40);
    entries = 0;
    size_t start = 0;
    while (start < text.size()) {
        size_t end = text.find('\n', start);
        if (end == std::string_view::npos) end = text.size();
        std::string_view line = text.substr(start, end - start);
        if (!line.empty() && line.back() == '\r') line.remove_suffix(1);
        if (!line.empty() && line.front() != '#') ++entries;
        out.append(line);
        out.append("\r\n");
        start = end + 1;
    }
    return out;
}

}  // namespace tulvo::databuild
