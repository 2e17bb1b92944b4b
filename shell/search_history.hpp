// The replayable search history behind Back/Forward: "find" lines for
// searches and "children" lines for component searches, with a position.
#pragma once

#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace tulvo::shell {

struct FindEntry {
    int matchPart = 0;
    int charForm = 1;
    std::string text;  // UTF-8
};

// "find <match part> <character form> <text>"
std::string findLine(int matchPart, int charForm, std::string_view utf8Text);
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
