#include "shell/window_search_host.hpp"

#include <QLineEdit>
#include <QMessageBox>
#include <QTimer>
#include <chrono>

#include "characters/component_search.hpp"
#include "characters/components.hpp"
#include "platform/app_paths.hpp"
#include "platform/unicode_text.hpp"
#include "shell/main_window.hpp"
#include "shell/search_bar.hpp"
#include "ui/text.hpp"

namespace tulvo::shell {
namespace {

using Clock = std::chrono::steady_clock;

// Rows go to the window at most this often while the file is read, so that a
// long search fills the list as it goes without a reset per row.
constexpr auto kBatchInterval = std::chrono::milliseconds(50);
constexpr int kCapMessageDelayMs = 200;

// The search's side on the search thread: collects the matching lines and
// hands them over in batches. It counts the rows as the list will, so the scan
// stops at the row the list refuses, which is handed over too: the list then
// shows its message once, as it does when a search on the window's thread
// fills it.
class ScanCollector final : public dictionary::SearchHost {
  public:
    ScanCollector(WindowSearchHost& host, uint64_t id, dictionary::DropDownHistory& dropDown)
        : host_(host), id_(id), dropDown_(dropDown) {}

    void queryScanned(std::u16string_view text, bool fromHistoryPick) override {
        dropDown_.push(std::u16string(text), fromHistoryPick);
    }
    void clearResults() override {
        flush();
        count_ = 0;
        host_.post(
            [&host = host_, id = id_, dropDown = dropDown_] { host.scanStarted(id, dropDown); });
        lastFlush_ = Clock::now();
    }
    bool addResult(std::string_view line, int formIndex) override {
        if (!host_.newest(id_)) return false;  // a newer search took over: stop reading
        batch_.push_back({std::string(line), formIndex});
        ++count_;
        if (Clock::now() - lastFlush_ >= kBatchInterval) flush();
        return count_ <= dictionary::ResultList::kCap;
    }
    size_t resultCount() const override { return std::min(count_, dictionary::ResultList::kCap); }
    void resultsFinished() override {
        flush();
        host_.post([&host = host_, id = id_] { host.scanFinished(id); });
    }
    void searchTextReplaced(std::u16string_view text) override {
        host_.post([&host = host_, id = id_, text = std::u16string(text)] {
            host.textReplaced(id, text);
        });
    }
    void showCharacterWithoutRow(char16_t character) override {
        host_.post(
            [&host = host_, id = id_, character] { host.characterWithoutRow(id, character); });
    }

  private:
    void flush() {
        lastFlush_ = Clock::now();
        if (batch_.empty()) return;
        host_.post(
            [&host = host_, id = id_, rows = std::move(batch_)] { host.rowsFound(id, rows); });
        batch_.clear();
    }

    WindowSearchHost& host_;
    uint64_t id_;
    dictionary::DropDownHistory& dropDown_;  // the search thread's copy
    std::vector<FoundLine> batch_;
    size_t count_ = 0;
    Clock::time_point lastFlush_ = Clock::now();
};

}  // namespace

WindowSearchHost::WindowSearchHost(dictionary::ResultList& list, MainWindow& window,
                                   std::filesystem::path programDirectory,
                                   const dictionary::MarkedVowels& markedVowels)
    : list_(list), window_(window), dir_(std::move(programDirectory)), markedVowels_(markedVowels) {
    list.setListener(this);
}

WindowSearchHost::~WindowSearchHost() = default;

void WindowSearchHost::post(std::function<void()> work) {
    QMetaObject::invokeMethod(this, std::move(work), Qt::QueuedConnection);
}

uint64_t WindowSearchHost::submit(SearchQueue::Job job) {
    searching_ = true;
    latest_ = queue_.submit([this, job = std::move(job)](uint64_t id) {
        job(id);
        post([this, id] { searchEnded(id); });
    });
    return latest_;
}

void WindowSearchHost::textSearch(std::u16string boxText,
                                  const dictionary::SearchSettings& settings,
                                  bool fromHistoryPick) {
    submit([this, boxText = std::move(boxText), settings, fromHistoryPick](uint64_t id) {
        ScanCollector collector(*this, id, scanDropDown_);
        dictionary::Search search(platform::AppPaths(dir_).dictionaryFile(), markedVowels_,
                                  collector);
        search.textSearch(boxText, settings, fromHistoryPick);
    });
}

void WindowSearchHost::characterSearch(char16_t character,
                                       const dictionary::SearchSettings& settings) {
    submit([this, character, settings](uint64_t id) {
        ScanCollector collector(*this, id, scanDropDown_);
        dictionary::Search search(platform::AppPaths(dir_).dictionaryFile(), markedVowels_,
                                  collector);
        search.singleCharacterSearch(character, settings);
    });
}

void WindowSearchHost::componentSearch(char16_t character, dictionary::CharForm preference) {
    submit([this, character, preference](uint64_t id) {
        auto rows = characters::componentSearch(dir_ / characters::kComponentsPath,
                                                platform::AppPaths(dir_).dictionaryFile(),
                                                character, preference);
        post([this, id, rows = std::move(rows)] {
            if (!current(id)) return;
            if (!rows) {
                tellOnce(ui::toQString(utf8ToUtf16(characters::kNoCharacterBasedOn)));
                return;
            }
            listFull_ = false;
            characters::showComponentRows(list_, *rows);
            window_.resultView().resultModel().refresh();
            scanFinished(id);
        });
    });
}

// The scan emptied its list: the window's list follows, and the drop-down
// takes the query whichever search it came from (a cancelled search was
// still made).
void WindowSearchHost::scanStarted(uint64_t id, const dictionary::DropDownHistory& dropDown) {
    dropDown_ = dropDown;
    emit dropDownChanged();
    if (!current(id)) return;
    list_.clear();
    listFull_ = false;
    window_.resultView().resultModel().refresh();
}

void WindowSearchHost::rowsFound(uint64_t id, const std::vector<FoundLine>& rows) {
    if (!current(id) || listFull_) return;
    for (const FoundLine& row : rows) {
        if (list_.add(row.line, row.formIndex) != 1) {
            listFull_ = true;
            break;
        }
    }
    list_.sortNewRows();
    window_.resultView().resultModel().refresh();
}

void WindowSearchHost::scanFinished(uint64_t id) {
    if (!current(id)) return;
    auto& view = window_.resultView();
    view.resultModel().refresh();
    // The list takes the focus, unless the user has typed on in the search
    // box since the search began: the keys still coming belong there.
    const QLineEdit* edit = window_.searchBar().box().lineEdit();
    if (!(edit && edit->hasFocus() && edit->isModified())) view.setFocus();
    if (list_.size() > 0) view.setCurrentIndex(view.model()->index(0, 1));
}

void WindowSearchHost::textReplaced(uint64_t id, const std::u16string& text) {
    if (current(id)) window_.showSearchText(ui::toQString(text));
}

void WindowSearchHost::characterWithoutRow(uint64_t id, char16_t character) {
    if (current(id)) window_.showBareCharacter(character);
}

void WindowSearchHost::searchEnded(uint64_t id) {
    if (!current(id)) return;
    searching_ = false;
    emit settled();
}

// The message comes a moment after the rows: keys the user typed on after
// Enter are still on their way then, and reach the search box rather than
// the message. When they start a new search the message is not shown.
void WindowSearchHost::capReached(const std::u16string& message) {
    window_.resultView().resultModel().refresh();
    QTimer::singleShot(kCapMessageDelayMs, this,
                       [this, id = latest_, text = ui::toQString(message)] {
                           if (current(id)) tellOnce(text);
                       });
}

// The message waits for its OK without holding up the window's thread: rows,
// lookups and painting go on behind it. The same message still open is not
// shown twice.
void WindowSearchHost::tellOnce(const QString& text) {
    if (message_ && message_->text() == text) return;
    auto* box = new QMessageBox(QMessageBox::NoIcon, QStringLiteral("Tulvo"), text, QMessageBox::Ok,
                                &window_);
    box->setAttribute(Qt::WA_DeleteOnClose);
    box->setWindowModality(Qt::ApplicationModal);
    message_ = box;
    box->show();
    box->raise();
    box->activateWindow();
}

}  // namespace tulvo::shell
