// The search's side of the main window: rows go into the result list, the
// window keeps painting while a long search reads the file, and the end of a
// search selects its first row.
#pragma once

#include <QElapsedTimer>

#include "dictionary/list_search_host.hpp"
#include "dictionary/result_list.hpp"

namespace tulvo::shell {

class MainWindow;

// The search's link to the window: rows go into the list, and the window is
// repainted while a long search reads the file.
class WindowSearchHost : public dictionary::ListSearchHost, public dictionary::ResultListListener {
  public:
    WindowSearchHost(dictionary::ResultList& list, MainWindow& window);
    bool addResult(std::string_view line, int formIndex) override;
    void pause(int milliseconds) override;
    void resultsFinished() override;
    void searchTextReplaced(std::u16string_view text) override;
    void capReached(const std::u16string& message) override;
    void showCharacterWithoutRow(char16_t character) override;

  private:
    MainWindow& window_;
    QElapsedTimer sinceRepaint_;
};

}  // namespace tulvo::shell
