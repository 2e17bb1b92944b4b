// The dictionary search on the whole real dictionary (run in the program
// directory: make bench). Two sets of figures:
//  - in process: one search as the window runs it, rows and word values
//    included (Google Benchmark);
//  - as a user meets it: a whole `tulvo-lookup` run beside a whole `grep -c`
//    for the same key on the same file, both writing to a pipe that is read
//    to its end (grep stops at its first match when its output is
//    /dev/null), -i for Latin keys as the search ignores their case. The two
//    run in turn; the table gives each one's median time and the median of
//    the ratios of the pairs. Budget: every ratio at most 1.0.
// --benchmark_filter=none leaves out the first set.
#include <benchmark/benchmark.h>
#include <fcntl.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <fstream>
#include <string>
#include <vector>

#include "characters/freq_file.hpp"
#include "characters/word_values.hpp"
#include "dictionary/dictionary_file.hpp"
#include "dictionary/list_search_host.hpp"
#include "dictionary/search.hpp"
#include "favorites/favorites_store.hpp"
#include "platform/unicode_text.hpp"

extern char** environ;

using namespace tulvo::dictionary;

namespace {

struct Case {
    const char* name;
    const char* query;
    MatchPart matchPart;
};

// In process: the query kinds of the table below and a few more.
const Case kCases[] = {
    {"chinese_one_character", "中", kBeginning}, {"numbered_pinyin", "ni3hao3", kBeginning},
    {"english_word", "eat", kBeginning},         {"english_then_toneless", "zhong", kBeginning},
    {"wildcard_anywhere", "*好*", kBeginning},   {"no_hit_twice", "zzqqxx", kBeginning},
    {"english_anywhere", "horse", kAnywhere},    {"wildcard_inside", "to*meal", kBeginning},
    {"hits_5000_cap", " the", kBeginning},
};

void searchBench(benchmark::State& state, const Case& c) {
    const MarkedVowels vowels;
    // Rows get their real word values, as in the window.
    const tulvo::characters::FreqFile freq(tulvo::characters::kFreqPath);
    tulvo::favorites::FavoritesStore favorites;
    favorites.load(/*createMissing=*/false);
    tulvo::characters::ReadingUse readingUse;
    readingUse.open(tulvo::characters::kReadingUsePath);
    const tulvo::characters::WordValues values(freq, &favorites, &readingUse);
    ResultList list(values);
    ListSearchHost host(list);
    Search search(kDictionaryPath, vowels, host);
    SearchSettings settings;
    settings.matchPart = c.matchPart;
    const std::u16string query = tulvo::utf8ToUtf16(c.query);
    for (auto _ : state) {
        search.textSearch(query, settings);
        // To the last row in list order.
        if (list.size() > 0) benchmark::DoNotOptimize(list.at(list.size() - 1));
    }
    state.counters["rows"] = static_cast<double>(list.size());
}

// Whole processes.
struct ProcessCase {
    const char* query;    // tulvo-lookup's argument
    const char* grepKey;  // the same key for grep
    bool ignoreCase;      // Latin keys: the search ignores their case
};

const ProcessCase kProcessCases[] = {
    {"中", "中", false},      {"学习", "学习", false},    {"ni3hao3", "ni3hao3", true},
    {"shi4", "shi4", true},   {"eat", "eat", true},       {"to work", "to work", true},
    {"zhong", "zhong", true}, {"xuexi", "xuexi", true},   {"*好*", "好", false},
    {"?学", "学", false},     {"zzqqxx", "zzqqxx", true},
};
constexpr int kRuns = 21;

// Runs argv with its standard output on a pipe that is read to the end
// (standard error to /dev/null); returns the wall time in ms, or -1.
double timedRun(const std::vector<std::string>& args) {
    std::vector<char*> argv;
    for (const std::string& a : args) argv.push_back(const_cast<char*>(a.c_str()));
    argv.push_back(nullptr);
    int out[2];
    if (::pipe2(out, O_CLOEXEC) != 0) return -1;
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_adddup2(&actions, out[1], 1);
    posix_spawn_file_actions_addopen(&actions, 2, "/dev/null", O_WRONLY, 0);
    const auto start = std::chrono::steady_clock::now();
    pid_t pid;
    const int failed = posix_spawnp(&pid, argv[0], &actions, nullptr, argv.data(), environ);
    posix_spawn_file_actions_destroy(&actions);
    ::close(out[1]);
    if (failed != 0) {
        ::close(out[0]);
        return -1;
    }
    char buffer[65536];
    while (::read(out[0], buffer, sizeof buffer) > 0) {
    }
    ::close(out[0]);
    int status = 0;
    ::waitpid(pid, &status, 0);
    const auto end = std::chrono::steady_clock::now();
    if (!WIFEXITED(status) || WEXITSTATUS(status) > 1) return -1;  // grep -c: 1 = no line
    return std::chrono::duration<double, std::milli>(end - start).count();
}

double median(std::vector<double> values) {
    std::sort(values.begin(), values.end());
    return values[values.size() / 2];
}

// The processor's model as the system names it ("model name" in
// /proc/cpuinfo): the budget holds on every processor we build on, and a
// table is read beside the one it was measured on.
std::string processorModel() {
    std::ifstream cpuinfo("/proc/cpuinfo");
    for (std::string line; std::getline(cpuinfo, line);) {
        if (!line.starts_with("model name")) continue;
        const size_t colon = line.find(':');
        if (colon == std::string::npos) break;
        const size_t start = line.find_first_not_of(' ', colon + 1);
        return start == std::string::npos ? "" : line.substr(start);
    }
    return "unknown";
}

// Prints the table; returns false when a ratio is over budget or a run failed.
bool processTable(const std::string& lookupProgram) {
    const std::string file = kDictionaryPath.string();
    std::printf("\nprocessor: %s\n", processorModel().c_str());
    std::printf("whole processes, %d alternating runs each, median\n", kRuns);
    std::printf("| query | tulvo-lookup | grep -c | ratio |\n|---|---|---|---|\n");
    bool within = true;
    for (const ProcessCase& c : kProcessCases) {
        const std::vector<std::string> lookup = {lookupProgram, c.query};
        std::vector<std::string> grep = {"grep", "-c"};
        if (c.ignoreCase) grep.push_back("-i");
        grep.insert(grep.end(), {c.grepKey, file});
        // One untimed run of each brings the files into the cache.
        timedRun(lookup);
        timedRun(grep);
        std::vector<double> a, b, ratios;
        for (int i = 0; i < kRuns; ++i) {
            const double ta = timedRun(lookup);
            const double tb = timedRun(grep);
            if (ta <= 0 || tb <= 0) {
                std::printf("| %s | cannot run %s or grep |\n", c.query, lookupProgram.c_str());
                return false;
            }
            a.push_back(ta);
            b.push_back(tb);
            ratios.push_back(ta / tb);
        }
        const double ratio = median(ratios);
        std::printf("| %s | %.1f ms | %.1f ms | %.2f%s |\n", c.query, median(a), median(b), ratio,
                    ratio <= 1.0 ? "" : " OVER");
        within = within && ratio <= 1.0;
    }
    std::printf("budget: every ratio at most 1.0: %s\n", within ? "ok" : "OVER");
    return within;
}

}  // namespace

int main(int argc, char** argv) {
    if (!std::filesystem::exists(kDictionaryPath)) {
        std::fprintf(stderr, "run in the program directory: %s is missing\n",
                     kDictionaryPath.string().c_str());
        return 1;
    }
    for (const Case& c : kCases)
        benchmark::RegisterBenchmark(("search/" + std::string(c.name)).c_str(), searchBench, c)
            ->Unit(benchmark::kMillisecond);
    benchmark::Initialize(&argc, argv);
    // --lookup=PROGRAM times another build of tulvo-lookup (an older one,
    // for a before-and-after table); the program directory's by default.
    std::string lookupProgram = "./tulvo-lookup";
    for (int i = 1; i < argc; ++i) {
        const std::string arg = argv[i];
        if (arg.rfind("--lookup=", 0) == 0) {
            lookupProgram = arg.substr(9);
        } else {
            std::fprintf(stderr, "unknown argument %s\n", argv[i]);
            return 2;
        }
    }
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    std::fflush(stdout);
    processTable(lookupProgram);
    return 0;
}
