// What any recognition pass promises of its candidate list.
#pragma once

#include <cmath>

#include "handwriting/matcher.hpp"
#include "tests/fuzz/fuzz_support.hpp"

namespace tulvo::fuzz {

inline void checkCandidates(const handwriting::CandidateList& list) {
    FUZZ_CHECK(list.size() >= 0 && list.size() <= handwriting::kCandidateSlots);
    for (int i = 0; i < list.size(); ++i) {
        FUZZ_CHECK(list[i].code != 0);
        FUZZ_CHECK(!std::isnan(list[i].score));
        if (i > 0) FUZZ_CHECK(list[i - 1].score >= list[i].score);
        for (int j = 0; j < i; ++j) FUZZ_CHECK(list[j].code != list[i].code);
    }
    FUZZ_CHECK(list.codeAt(list.size()) == 0);
}

}  // namespace tulvo::fuzz
