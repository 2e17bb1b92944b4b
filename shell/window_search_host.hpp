// The window's searches: the text, character and component searches read
// the dictionary on the search thread (SearchQueue) and hand their rows to
// the window in batches tagged with the search's id. Only the newest
// search's rows reach the result list; the rows of a search that a newer one
// cancelled are dropped where they arrive. The window's thread adds the rows
// (word values, colours, the 5000-row cap), so the list and the favorites it
// reads are never touched by two threads.
#pragma once

#include <QObject>
#include <QPointer>
#include <filesystem>
#include <optional>
#include <string>
#include <vector>

#include "dictionary/dropdown_history.hpp"
#include "dictionary/pinyin.hpp"
#include "dictionary/result_list.hpp"
#include "dictionary/search.hpp"
#include "shell/search_queue.hpp"

class QMessageBox;

namespace tulvo::shell {

class MainWindow;

// One matching dictionary line as the scan found it.
struct FoundLine {
    std::string line;
    int formIndex = 0;
};

class WindowSearchHost : public QObject, public dictionary::ResultListListener {
    Q_OBJECT
  public:
    WindowSearchHost(dictionary::ResultList& list, MainWindow& window,
                     std::filesystem::path programDirectory,
                     const dictionary::MarkedVowels& markedVowels);
    ~WindowSearchHost() override;

    // Each call cancels the search that runs and replaces one that waits.
    void textSearch(std::u16string boxText, const dictionary::SearchSettings& settings,
                    bool fromHistoryPick);
    void characterSearch(char16_t character, const dictionary::SearchSettings& settings);
    void componentSearch(char16_t character, dictionary::CharForm preference);

    // True from a search's start until its last rows are in the list.
    bool searching() const { return searching_; }
    // The drop-down history as the newest search left it.
    const dictionary::DropDownHistory& dropDown() const { return dropDown_; }

    void capReached(const std::u16string& message) override;

    // Called on the search thread: hands `work` to the window's thread.
    void post(std::function<void()> work);
    bool newest(uint64_t id) const { return queue_.newest(id); }

    // Window side of a scan (see the .cpp).
    void scanStarted(uint64_t id, const dictionary::DropDownHistory& dropDown);
    void rowsFound(uint64_t id, const std::vector<FoundLine>& rows);
    void scanFinished(uint64_t id);
    void textReplaced(uint64_t id, const std::u16string& text);
    void characterWithoutRow(uint64_t id, char16_t character);
    void searchEnded(uint64_t id);

  signals:
    // The newest search has handed over everything.
    void settled();
    void dropDownChanged();

  private:
    uint64_t submit(SearchQueue::Job job);
    bool current(uint64_t id) const { return id == latest_; }
    void tellOnce(const QString& text);

    dictionary::ResultList& list_;
    MainWindow& window_;
    std::filesystem::path dir_;
    const dictionary::MarkedVowels& markedVowels_;
    dictionary::DropDownHistory dropDown_;  // the window's copy
    // Touched on the search thread only, between jobs and inside them.
    dictionary::DropDownHistory scanDropDown_;
    uint64_t latest_ = 0;
    bool searching_ = false;
    bool listFull_ = false;
    QPointer<QMessageBox> message_;
    // Last member: its thread ends before the members it uses go.
    SearchQueue queue_;
};

}  // namespace tulvo::shell
