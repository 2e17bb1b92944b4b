// The main window's budgets, on the real data (run in the program directory):
// start of Tulvo to its window shown, Enter on a query to its 5000 rows
// visible, and resident memory idle after that search. Ends with the three
// figures (medians) beside their budgets.
#include <benchmark/benchmark.h>
#include <spawn.h>
#include <sys/wait.h>
#include <QApplication>
#include <QElapsedTimer>
#include <QEventLoop>
#include <QTest>
#include <QTimer>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <ctime>
#include <fstream>
#include <memory>
#include <string>
#include <vector>

#include "characters/freq_file.hpp"
#include "characters/word_values.hpp"
#include "favorites/favorites_store.hpp"
#include "shell/main_window.hpp"
#include "shell/search_bar.hpp"

extern char** environ;

namespace {

// Per-iteration milliseconds of each figure, and the memory after the search.
std::vector<double> startTimes, queryTimes, queryCpuTimes;
double residentAfterSearch = 0;

double median(std::vector<double> values) {
    if (values.empty()) return 0;
    std::sort(values.begin(), values.end());
    return values[values.size() / 2];
}

// CPU time of this process: beside the wall time it shows how much of a
// figure was spent waiting for a busy machine.
double processCpuMilliseconds() {
    timespec t{};
    clock_gettime(CLOCK_PROCESS_CPUTIME_ID, &t);
    return t.tv_sec * 1e3 + t.tv_nsec / 1e6;
}

// Resident memory of this process in MB.
double residentMegabytes() {
    std::ifstream status("/proc/self/status");
    for (std::string line; std::getline(status, line);)
        if (line.rfind("VmRSS:", 0) == 0) return std::stod(line.substr(6)) / 1024.0;
    return 0;
}

// Runs ./Tulvo until its window is shown (it quits right after the first
// paint when TULVO_QUIT_WHEN_SHOWN is set): the whole run bounds the time to
// the window shown from above.
void startToShown(benchmark::State& state) {
    std::vector<std::string> env = {"QT_QPA_PLATFORM=offscreen", "TULVO_QUIT_WHEN_SHOWN=1"};
    for (char** e = environ; *e; ++e) env.emplace_back(*e);
    std::vector<char*> envp;
    for (auto& e : env) envp.push_back(e.data());
    envp.push_back(nullptr);
    char program[] = "./Tulvo";
    char* argv[] = {program, nullptr};
    for (auto _ : state) {
        const auto start = std::chrono::steady_clock::now();
        pid_t pid;
        if (posix_spawn(&pid, program, nullptr, nullptr, argv, envp.data()) != 0) {
            state.SkipWithError("cannot start ./Tulvo");
            break;
        }
        int status = 0;
        waitpid(pid, &status, 0);
        if (!WIFEXITED(status) || WEXITSTATUS(status) != 0) state.SkipWithError("Tulvo failed");
        startTimes.push_back(
            std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - start)
                .count());
    }
}

struct Window {
    Window()
        : freq(tulvo::characters::kFreqPath),
          values(freq, &favorites),
          window(std::filesystem::current_path(), values) {
        favorites.load(false);
        window.start();
        window.show();
        (void)QTest::qWaitForWindowExposed(&window);
    }
    tulvo::characters::FreqFile freq;
    tulvo::favorites::FavoritesStore favorites;
    tulvo::characters::WordValues values;
    tulvo::shell::MainWindow window;
};

// Made on first use and closed before the application object goes: a
// window left for the static destructors outlives QApplication and crashes
// the exit.
std::unique_ptr<Window> window;

Window& theWindow() {
    if (!window) window = std::make_unique<Window>();
    return *window;
}

// Enter in the search box to the list painted with its rows.
void typedQueryToRowsVisible(benchmark::State& state) {
    auto& w = theWindow().window;
    w.searchBar().box().setEditText(QStringLiteral("a"));
    // The 5000-row message box is answered at once.
    QTimer closer;
    QObject::connect(&closer, &QTimer::timeout, [] {
        if (QWidget* box = QApplication::activeModalWidget()) box->close();
    });
    closer.start(1);
    for (auto _ : state) {
        QElapsedTimer timer;
        timer.start();
        const double cpuBefore = processCpuMilliseconds();
        w.searchBar().box().setFocus();
        // The search reads the file on its own thread; the rows are all in
        // once it settles.
        QEventLoop settled;
        QObject::connect(&w, &tulvo::shell::MainWindow::searchSettled, &settled, &QEventLoop::quit);
        QTest::keyClick(w.windowHandle(), Qt::Key_Return);
        if (w.searching()) settled.exec();
        w.resultView().viewport()->repaint();
        state.SetIterationTime(timer.nsecsElapsed() / 1e9);
        queryTimes.push_back(timer.nsecsElapsed() / 1e6);
        queryCpuTimes.push_back(processCpuMilliseconds() - cpuBefore);
    }
    state.counters["rows"] = static_cast<double>(w.results().size());
    QApplication::processEvents();
    residentAfterSearch = residentMegabytes();
    state.counters["rss_MB"] = residentAfterSearch;
}

}  // namespace

int main(int argc, char** argv) {
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    tulvo::shell::installFontSubstitutions();
    benchmark::RegisterBenchmark("start_to_window_shown", startToShown)
        ->Unit(benchmark::kMillisecond)
        ->Iterations(10);
    benchmark::RegisterBenchmark("typed_query_to_5000_rows_visible", typedQueryToRowsVisible)
        ->Unit(benchmark::kMillisecond)
        ->UseManualTime()
        ->Iterations(10);
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    window.reset();
    const auto line = [](const char* what, double value, const char* unit, double budget) {
        std::printf("%-40s %7.1f %-3s budget %4.0f %s\n", what, value, unit, budget,
                    value > 0 && value <= budget ? "ok" : "OVER");
    };
    std::printf("\n");
    line("start to window shown (median)", median(startTimes), "ms", 300);
    line("Enter to 5000 rows visible (median)", median(queryTimes), "ms", 50);
    line("resident memory after that search", residentAfterSearch, "MB", 60);
    std::printf("(Enter to rows visible took %.1f ms of CPU time, median)\n",
                median(queryCpuTimes));
    std::fflush(stdout);
    return 0;
}
