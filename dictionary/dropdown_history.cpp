#include "dictionary/dropdown_history.hpp"

#include "platform/unicode_text.hpp"

namespace tulvo::dictionary {

void DropDownHistory::push(const std::u16string& text, bool select) {
    for (auto it = entries_.begin(); it != entries_.end(); ++it) {
        if (equalsIgnoringCase(*it, text)) {
            entries_.erase(it);
            break;
        }
    }
    entries_.insert(entries_.begin(), text);
    selected_ = select ? 0 : -1;
}

}  // namespace tulvo::dictionary
