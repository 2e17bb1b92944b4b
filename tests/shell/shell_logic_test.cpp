#include <gtest/gtest.h>

#include <condition_variable>
#include <cstdlib>
#include <mutex>
#include <thread>

#include "shell/main_layout.hpp"
#include "shell/reminder_check.hpp"
#include "shell/search_history.hpp"
#include "shell/search_queue.hpp"
#include "tests/support/temp_dir.hpp"

using tulvo::dictionary::kBeginning;
using tulvo::dictionary::kBothForms;
using tulvo::dictionary::kEnd;
using tulvo::dictionary::kExact;
using tulvo::dictionary::kSimplifiedOnly;
using tulvo::dictionary::kTraditionalOnly;

using namespace tulvo::shell;
using tulvo::FileClock;
using tulvo::testing::TempDir;

TEST(SearchHistory, BackForwardAndDroppingNewerEntries) {
    SearchHistory history;
    EXPECT_EQ(history.back(), nullptr);  // empty: nothing happens
    EXPECT_EQ(history.forward(), nullptr);
    history.push(findLine(kBeginning, kBothForms, "ni3hao3"));
    history.push(findLine(kExact, kTraditionalOnly, "to eat"));
    history.push(findLine(kBeginning, kBothForms, "中"));
    EXPECT_EQ(history.forward(), nullptr);  // at the newest entry
    ASSERT_NE(history.back(), nullptr);
    EXPECT_EQ(*history.back(), "find 0 1 ni3hao3");
    EXPECT_EQ(history.back(), nullptr);
    EXPECT_EQ(history.position(), 0);
    history.push(findLine(kEnd, kSimplifiedOnly, "new"));  // drops the newer entries
    EXPECT_EQ(history.entries(), (std::vector<std::string>{"find 0 1 ni3hao3", "find 1 0 new"}));
    EXPECT_TRUE(history.canGoBack());
    EXPECT_FALSE(history.canGoForward());
}

TEST(SearchHistory, FindLinesRoundTrip) {
    const auto entry = parseFindLine(findLine(kExact, kTraditionalOnly, "to eat (sth)"));
    ASSERT_TRUE(entry);
    EXPECT_EQ(entry->matchPart, kExact);
    EXPECT_EQ(entry->charForm, kTraditionalOnly);
    EXPECT_EQ(entry->text, "to eat (sth)");
    // Lines that are not a find line, or whose numbers no selector can take.
    for (const char* line : {"children 女", "find x 1 a", "find 1", "find 5 1 a*b", "find 0 3 a",
                             "find -1 1 a", "find 3 1x a"})
        EXPECT_FALSE(parseFindLine(line)) << line;
}

namespace {

bool apart(const Rect& a, const Rect& b) {
    return a.x + a.width <= b.x || b.x + b.width <= a.x || a.y + a.height <= b.y ||
           b.y + b.height <= a.y;
}
bool inside(const Rect& inner, const Rect& outer) {
    return inner.x >= outer.x && inner.y >= outer.y &&
           inner.x + inner.width <= outer.x + outer.width &&
           inner.y + inner.height <= outer.y + outer.height;
}

}  // namespace

TEST(MainLayout, AtEverySizeControlsApartAndTheListTakesThePadsRoom) {
    // 800: a 1600-pixel screen at scale 2.
    for (int width : {800, 1034, 1280, 1920})
        for (int height : {461, 700, 1040}) {
            const MainLayout shown = layoutFor(width, height, height + 38, true);
            const MainLayout hidden = layoutFor(width, height, height + 38, false);
            for (const MainLayout* l : {&shown, &hidden}) {
                const bool withPad = l == &shown;
                std::vector<Rect> parts{l->topBar, l->leftPanel, l->resultList};
                if (withPad) parts.push_back(l->padColumn);
                for (size_t i = 0; i < parts.size(); ++i) {
                    EXPECT_LE(parts[i].x + parts[i].width, width) << i;
                    for (size_t j = 0; j < i; ++j) EXPECT_TRUE(apart(parts[i], parts[j])) << i << j;
                }
                EXPECT_EQ(l->resultList.y + l->resultList.height, height);
                const Rect pad[] = {l->pad, l->erase, l->analyze, l->candidates, l->padLabel};
                for (size_t i = 0; withPad && i < std::size(pad); ++i) {
                    EXPECT_TRUE(inside(pad[i], l->padColumn)) << i;
                    for (size_t j = 0; j < i; ++j) EXPECT_TRUE(apart(pad[i], pad[j])) << i << j;
                }
                // Every control of the top bar on it, none over another:
                // Options, "Search:", the box, Back/forward, the selectors,
                // and the pad toggle on the bar's right edge.
                const Rect bar{0, 0, l->topBar.width, l->topBar.height};
                const Rect onBar[] = {{1, 1, 11, 11}, {12, 6, 55, 24}, l->searchBox,
                                      l->backForward, l->matchPart,    l->charForm};
                for (size_t i = 0; i < std::size(onBar); ++i) {
                    EXPECT_TRUE(inside(onBar[i], bar)) << width << " " << i;
                    EXPECT_TRUE(!withPad || apart(onBar[i], l->toggle)) << width << " " << i;
                    for (size_t j = 0; j < i; ++j)
                        EXPECT_TRUE(apart(onBar[i], onBar[j])) << width << " " << i << j;
                }
                EXPECT_EQ(l->leftPanel.y, l->topBar.height + 6);
                EXPECT_EQ(l->resultList.y, l->topBar.height + 6);
            }
            EXPECT_EQ(hidden.resultList.width - shown.resultList.width, shown.padColumn.width);
            EXPECT_EQ(hidden.topBar.width - shown.topBar.width, shown.padColumn.width);
        }
    const MainLayout normal = layoutFor(1034, 461, 499, true);
    EXPECT_EQ(normal.padColumn, (Rect{812, 0, 222, 461}));
    EXPECT_EQ(normal.resultList, (Rect{320, 42, 480, 419}));
}

TEST(MainLayout, ColumnsFillTheListInTheirSharesRoundedHalfToEven) {
    // Character 20 %, Pinyin 30 % of the width inside the scroll bar, the
    // translation the rest less 3; Sort and Equivalent hidden.
    for (int list = 30; list <= 2000; ++list) {
        const auto columns = columnWidths(list);
        EXPECT_EQ(columns[0] + columns[4], 0);
        EXPECT_EQ(columns[1] + columns[2] + columns[3], list - 24) << list;
        for (auto [column, tenths] : {std::pair{1, 2}, std::pair{2, 3}}) {
            const int exact = (list - 21) * tenths;  // in tenths of a pixel
            const int off = std::abs(columns[size_t(column)] * 10 - exact);
            EXPECT_TRUE(off < 5 || (off == 5 && columns[size_t(column)] % 2 == 0)) << list;
        }
    }
}

TEST(ReminderCheck, DaysAreRoundedTwice) {
    using namespace std::chrono;
    const auto t0 = FileClock::time_point(seconds(1'000'000));
    EXPECT_EQ(elapsedDays(t0, t0), -1);
    EXPECT_EQ(elapsedDays(t0, t0 - seconds(5)), -1);
    EXPECT_EQ(elapsedDays(t0, t0 + hours(24 * 30) + hours(11)), 30);
    EXPECT_EQ(elapsedDays(t0, t0 + hours(24 * 30) + hours(13)), 31);
    EXPECT_EQ(elapsedDays(t0, t0 + hours(24 * 30) + hours(12)), 30);  // 30.5: halves to even
    EXPECT_EQ(elapsedDays(t0, t0 + milliseconds(400)), 0);
}

TEST(ReminderCheck, FreshInstallCreatesTheMarkerAndShowsNothing) {
    TempDir dir;
    std::filesystem::create_directories(dir / "data");
    dir.write("data/kestrine", "");
    int runs = 0;
    reminderCheck(dir.path(), FileClock::now(), [&](const std::filesystem::path&) { ++runs; });
    EXPECT_TRUE(std::filesystem::exists(dir / "data/install complete.txt"));
    EXPECT_EQ(runs, 0);
    EXPECT_FALSE(std::filesystem::exists(dir / "data/kestrine.txt"));
}

TEST(ReminderCheck, AfterThirtyOneDaysShowsOnce) {
    TempDir dir;
    dir.write("data/install complete.txt", "");
    dir.write("data/kestrine", "");
    const auto later = FileClock::now() + std::chrono::hours(24 * 31);
    std::vector<std::filesystem::path> runs;
    // Thirty days are not yet enough.
    reminderCheck(dir.path(), FileClock::now() + std::chrono::hours(24 * 30),
                  [&](const std::filesystem::path& p) { runs.push_back(p); });
    EXPECT_TRUE(runs.empty());
    reminderCheck(dir.path(), later, [&](const std::filesystem::path& p) { runs.push_back(p); });
    ASSERT_EQ(runs.size(), 1u);
    EXPECT_EQ(runs[0], dir / "data/kestrine");
    EXPECT_EQ(TempDir::read(dir / "data/kestrine.txt"), "Thanks for using Tulvo!");
    reminderCheck(dir.path(), later, [&](const std::filesystem::path& p) { runs.push_back(p); });
    EXPECT_EQ(runs.size(), 1u);
}

TEST(ReminderCheck, NoProgramNoReminder) {
    TempDir dir;
    dir.write("data/install complete.txt", "");
    int runs = 0;
    reminderCheck(dir.path(), FileClock::now() + std::chrono::hours(24 * 40),
                  [&](const std::filesystem::path&) { ++runs; });
    EXPECT_EQ(runs, 0);
    EXPECT_FALSE(std::filesystem::exists(dir / "data/kestrine.txt"));
}

TEST(ReminderCheck, InstalledCountsFromThisUsersFirstStartAndWritesOnlyInTheUserFolder) {
    TempDir dir;
    dir.write("app/data/kestrine", "");
    dir.write("app/data/installed-layout", "");
    const char* saved = std::getenv("XDG_DATA_HOME");
    const std::string savedValue = saved ? saved : "";
    setenv("XDG_DATA_HOME", (dir / "xdg").c_str(), 1);
    std::filesystem::create_directories(dir / "xdg" / "tulvo");
    std::vector<std::filesystem::path> runs;
    const auto record = [&](const std::filesystem::path& p) { runs.push_back(p); };

    reminderCheck(dir / "app", FileClock::now(), record);
    EXPECT_TRUE(runs.empty());
    EXPECT_TRUE(std::filesystem::exists(dir / "xdg/tulvo/install complete.txt"));
    reminderCheck(dir / "app", FileClock::now() + std::chrono::hours(24 * 31), record);
    ASSERT_EQ(runs.size(), 1u);
    EXPECT_EQ(runs[0], dir / "app/data/kestrine");
    EXPECT_TRUE(std::filesystem::exists(dir / "xdg/tulvo/kestrine.txt"));
    EXPECT_FALSE(std::filesystem::exists(dir / "app/data/install complete.txt"));
    EXPECT_FALSE(std::filesystem::exists(dir / "app/data/kestrine.txt"));
    saved ? setenv("XDG_DATA_HOME", savedValue.c_str(), 1) : unsetenv("XDG_DATA_HOME");
}

TEST(SearchQueue, NewestJobCancelsTheRunningOneAndReplacesTheWaitingOne) {
    std::vector<uint64_t> ran;
    std::mutex m;
    std::condition_variable cv;
    bool firstStarted = false, firstSawCancel = false, burstSent = false;
    {
        SearchQueue queue;
        // The first job runs until it is no longer the newest, as a scan does.
        const uint64_t first = queue.submit([&](uint64_t id) {
            {
                std::lock_guard lock(m);
                firstStarted = true;
            }
            cv.notify_all();
            while (queue.newest(id)) std::this_thread::yield();
            std::unique_lock lock(m);
            firstSawCancel = true;
            ran.push_back(id);
            cv.wait(lock, [&] { return burstSent; });  // still running during the burst
        });
        {
            std::unique_lock lock(m);
            cv.wait(lock, [&] { return firstStarted; });
        }
        EXPECT_TRUE(queue.newest(first));
        // A burst: only the last of the waiting jobs runs.
        for (int i = 0; i < 50; ++i)
            queue.submit([&](uint64_t id) {
                std::lock_guard lock(m);
                ran.push_back(id);
            });
        EXPECT_FALSE(queue.newest(first));
        {
            std::lock_guard lock(m);
            burstSent = true;
        }
        cv.notify_all();
        while (queue.unfinished() > 0) std::this_thread::yield();
    }
    EXPECT_TRUE(firstSawCancel);
    // Jobs that waited while the first ran were replaced, not run one by one.
    EXPECT_EQ(ran, (std::vector<uint64_t>{1, 51}));
}
