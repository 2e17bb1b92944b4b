// The main window's budgets, on the real data (run in the program directory):
// start of Tulvo to its window shown, a typed query to all of its 5000 rows
// visible, and resident memory idle after that search.
#include <QApplication>
#include <QElapsedTimer>
#include <QTimer>
#include <QTest>
#include <benchmark/benchmark.h>
#include <spawn.h>
#include <sys/wait.h>

#include <cstdio>
#include <fstream>
#include <string>

#include "characters/freq_file.hpp"
#include "characters/word_values.hpp"
#include "favorites/favorites_store.hpp"
#include "shell/main_window.hpp"

extern char** environ;

namespace {

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
        pid_t pid;
        if (posix_spawn(&pid, program, nullptr, nullptr, argv, envp.data()) != 0) {
            state.SkipWithError("cannot start ./Tulvo");
            break;
        }
        int status = 0;
        waitpid(pid, &status, 0);
        if (!WIFEXITED(status) || WEXITSTATUS(status) != 0) state.SkipWithError("Tulvo failed");
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

Window& theWindow() {
    static Window w;
    return w;
}

// Enter in the search box to the list painted with its rows.
void typedQueryToRowsVisible(benchmark::State& state) {
    auto& w = theWindow().window;
    w.searchBox().setEditText(QStringLiteral("a"));
    // The 5000-row message box is answered at once.
    QTimer closer;
    QObject::connect(&closer, &QTimer::timeout, [] {
        if (QWidget* box = QApplication::activeModalWidget()) box->close();
    });
    closer.start(1);
    for (auto _ : state) {
        QElapsedTimer timer;
        timer.start();
        w.searchBox().setFocus();
        QTest::keyClick(w.windowHandle(), Qt::Key_Return);
        w.resultView().viewport()->repaint();
        state.SetIterationTime(timer.nsecsElapsed() / 1e9);
    }
    state.counters["rows"] = static_cast<double>(w.results().size());
    QApplication::processEvents();
    state.counters["rss_MB"] = residentMegabytes();
}

}  // namespace

int main(int argc, char** argv) {
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    tulvo::shell::installFontSubstitutions();
    benchmark::RegisterBenchmark("start_to_window_shown", startToShown)->Unit(benchmark::kMillisecond)->Iterations(10);
    benchmark::RegisterBenchmark("typed_query_to_5000_rows_visible", typedQueryToRowsVisible)
        ->Unit(benchmark::kMillisecond)
        ->UseManualTime()
        ->Iterations(10);
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    std::printf("budgets: start 400 ms, query to rows visible 100 ms, resident memory 80 MB\n");
    return 0;
}
