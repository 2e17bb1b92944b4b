#include "shell/search_history.hpp"

#include <charconv>

namespace tulvo::shell {

std::string findLine(dictionary::MatchPart matchPart, dictionary::CharForm charForm,
                     std::string_view utf8Text) {
    return "find " + std::to_string(matchPart) + " " + std::to_string(charForm) + " " +
           std::string(utf8Text);
}

std::optional<FindEntry> parseFindLine(std::string_view line) {
    constexpr std::string_view kPrefix = "find ";
    if (line.substr(0, kPrefix.size()) != kPrefix) return std::nullopt;
    line.remove_prefix(kPrefix.size());
    int numbers[2] = {};
    for (int& number : numbers) {
        const auto [end, error] = std::from_chars(line.data(), line.data() + line.size(), number);
        if (error != std::errc() || end == line.data() + line.size() || *end != ' ')
            return std::nullopt;
        line.remove_prefix(static_cast<size_t>(end - line.data()) + 1);
    }
    if (!dictionary::isSelectableMatchPart(numbers[0]) || !dictionary::isCharForm(numbers[1]))
        return std::nullopt;
    FindEntry entry;
    entry.matchPart = dictionary::MatchPart(numbers[0]);
    entry.charForm = dictionary::CharForm(numbers[1]);
    entry.text.assign(line);
    return entry;
}

void SearchHistory::push(std::string line) {
    entries_.resize(static_cast<size_t>(position_ + 1));
    entries_.push_back(std::move(line));
    ++position_;
}

const std::string* SearchHistory::back() {
    if (!canGoBack()) return nullptr;
    return &entries_[static_cast<size_t>(--position_)];
}

const std::string* SearchHistory::forward() {
    if (!canGoForward()) return nullptr;
    return &entries_[static_cast<size_t>(++position_)];
}

}  // namespace tulvo::shell
