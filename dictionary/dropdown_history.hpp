// The search box's drop-down history: past query texts, most recent first,
// without duplicates (compared ignoring case), with no length limit.
#pragma once

#include <string>
#include <vector>

namespace tulvo::dictionary {

class DropDownHistory {
  public:
    // Removes the entry equal to `text` ignoring case, puts `text` on top and
    // scrolls to the top. With `select`, the top entry becomes the selection.
    void push(const std::u16string& text, bool select);

    const std::vector<std::u16string>& entries() const { return entries_; }
    // The selected entry's index, or -1.
    int selected() const { return selected_; }

  private:
    std::vector<std::u16string> entries_;
    int selected_ = -1;
};

}  // namespace tulvo::dictionary
