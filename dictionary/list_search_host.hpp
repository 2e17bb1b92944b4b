// A search host that puts the rows into a ResultList. The window's host
// builds on it; headless callers use it as it is.
#pragma once

#include "dictionary/result_list.hpp"
#include "dictionary/search.hpp"

namespace tulvo::dictionary {

class ListSearchHost : public SearchHost {
  public:
    explicit ListSearchHost(ResultList& list) : list_(list) {}
    void clearResults() override { list_.clear(); }
    bool addResult(std::string_view line, int formIndex) override {
        return list_.add(line, formIndex) == 1;
    }
    bool addResultInGroup(std::string_view line, int formIndex, int group) override {
        return list_.add(line, formIndex, false, group) == 1;
    }
    size_t resultCount() const override { return list_.size(); }
    // The rows are read in list order once the scan is over.
    void resultsFinished() override { list_.sortNewRows(); }

  protected:
    ResultList& list_;
};

}  // namespace tulvo::dictionary
