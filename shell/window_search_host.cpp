#include "shell/window_search_host.hpp"

#include <QCoreApplication>

#include "shell/main_window.hpp"
#include "ui/message_box.hpp"
#include "ui/text.hpp"

namespace tulvo::shell {

using ui::toQString;

WindowSearchHost::WindowSearchHost(dictionary::ResultList& list, MainWindow& window)
    : ListSearchHost(list), window_(window) {
    list.setListener(this);
    sinceRepaint_.start();
}

bool WindowSearchHost::addResult(std::string_view line, int formIndex) {
    const bool added = ListSearchHost::addResult(line, formIndex);
    // Rows appear while the file is read, and the window keeps painting.
    if (sinceRepaint_.elapsed() >= 50) {
        window_.resultView().resultModel().refresh();
        QCoreApplication::processEvents(QEventLoop::ExcludeUserInputEvents);
        sinceRepaint_.restart();
    }
    return added;
}

void WindowSearchHost::pause(int) {
    // The pauses around opening the file let pending painting happen; the
    // window does that without sleeping.
    QCoreApplication::processEvents(QEventLoop::ExcludeUserInputEvents);
    sinceRepaint_.restart();
}

void WindowSearchHost::resultsFinished() {
    auto& view = window_.resultView();
    view.resultModel().refresh();
    view.setFocus();
    if (list_.size() > 0) view.setCurrentIndex(view.model()->index(0, 1));
}

void WindowSearchHost::searchTextReplaced(std::u16string_view text) {
    window_.showSearchText(toQString(text));
}

void WindowSearchHost::showCharacterWithoutRow(char16_t character) {
    window_.showBareCharacter(character);
}

void WindowSearchHost::capReached(const std::u16string& message) {
    window_.resultView().resultModel().refresh();
    ui::tell(toQString(message), &window_);
}

}  // namespace tulvo::shell
