// The two choices the search bar's selectors make: which part of a field
// must match, and which written forms Chinese matching looks at. Their
// numbers are those of the history lines and of the command-line tools.
#pragma once

namespace tulvo::dictionary {

enum MatchPart { kBeginning = 0, kEnd = 1, kAnywhere = 2, kExact = 3, kWildcard = 5 };

enum CharForm { kSimplifiedOnly = 0, kBothForms = 1, kTraditionalOnly = 2 };

// The match parts a selector offers (kWildcard comes only from the typed text).
inline bool isSelectableMatchPart(int value) {
    return value >= kBeginning && value <= kExact;
}
inline bool isCharForm(int value) {
    return value >= kSimplifiedOnly && value <= kTraditionalOnly;
}

}  // namespace tulvo::dictionary
