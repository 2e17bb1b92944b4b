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

// The shown form of every row, in list order.
inline std::vector<std::string> shownRows(const shell::MainWindow& window) {
    std::vector<std::string> rows;
    for (size_t i = 0; i < window.results().size(); ++i)
        rows.push_back(utf16ToUtf8(window.results().at(i).character));
    return rows;
}

}  // namespace tulvo::testing
