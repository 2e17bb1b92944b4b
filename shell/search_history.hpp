// The replayable search history behind Back/Forward: "find" lines for
// searches and "children" lines for component searches, with a position.
#pragma once

#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "dictionary/search_choices.hpp"

namespace tulvo::shell {

struct FindEntry {
    dictionary::MatchPart matchPart = dictionary::kBeginning;
    dictionary::CharForm charForm = dictionary::kBothForms;
    std::string text;  // UTF-8
};

// "find <match part> <character form> <text>"
std::string findLine(dictionary::MatchPart matchPart, dictionary::CharForm charForm,
                     std::string_view utf8Text);
std::optional<FindEntry> parseFindLine(std::string_view line);

class SearchHistory {
  public:
    // Drops every entry after the current one, appends `line` and makes it
    // current.
    void push(std::string line);

    bool canGoBack() const { return position_ > 0; }
    bool canGoForward() const { return position_ + 1 < static_cast<int>(entries_.size()); }
    // Moves and returns the entry to replay, or nothing when the move is not possible.
    const std::string* back();
    const std::string* forward();

    const std::vector<std::string>& entries() const { return entries_; }
    int position() const { return position_; }

  private:
    std::vector<std::string> entries_;
    int position_ = -1;
};

}  // namespace tulvo::shell
