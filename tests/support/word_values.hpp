// Word values by form, as the frequency file and the favorites would give
// them: the value set for a form, −1 for any other.
#pragma once

#include <map>
#include <string>
#include <utility>

#include "dictionary/word_value.hpp"

namespace tulvo::testing {

class FixedWordValues : public dictionary::WordValueLookup {
  public:
    explicit FixedWordValues(std::map<std::string, int> values = {}) : values(std::move(values)) {}
    int wordValue(std::string_view form, int, std::string_view) const override {
        const auto it = values.find(std::string(form));
        return it == values.end() ? -1 : it->second;
    }
    std::map<std::string, int> values;
};

}  // namespace tulvo::testing
