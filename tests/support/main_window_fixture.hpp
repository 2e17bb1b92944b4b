// The main window started on a fixture program folder as the program starts
// it, and what its result list shows.
#pragma once

#include <gtest/gtest.h>
#include <QTest>
#include <memory>
#include <string>
#include <vector>

#include "platform/unicode_text.hpp"
#include "shell/main_window.hpp"

namespace tulvo::testing {

inline std::unique_ptr<shell::MainWindow> openMainWindow(
    const std::filesystem::path& programDirectory, const dictionary::WordValueLookup& values,
    favorites::FavoritesStore* store = nullptr) {
    auto window = std::make_unique<shell::MainWindow>(programDirectory, values);
    if (store) window->setFavoritesStore(store);
    window->start();
    window->show();
    EXPECT_TRUE(QTest::qWaitForWindowExposed(window.get()));
    window->activateWindow();
    (void)QTest::qWaitForWindowActive(window.get());
    return window;
}

// Runs the event loop until the window's newest search has handed over all
// its rows (searches run on their own thread), lookups waiting included.
inline void waitForSearches(const shell::MainWindow& window) {
    QTest::qWait(5);
    for (int waited = 0; window.searching() && waited < 10000; waited += 5) QTest::qWait(5);
    EXPECT_FALSE(window.searching()) << "the search did not end";
}

// The shown form of every row, in list order, once the search has ended.
inline std::vector<std::string> shownRows(const shell::MainWindow& window) {
    waitForSearches(window);
    std::vector<std::string> rows;
    for (size_t i = 0; i < window.results().size(); ++i)
        rows.push_back(utf16ToUtf8(window.results().at(i).character));
    return rows;
}

}  // namespace tulvo::testing
