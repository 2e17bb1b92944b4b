// The search over the whole real dictionary, each query beside `grep -c` for
// the same key on the same file. Run in the program directory (make bench).
// Budget: a search takes at most 1.5 times as long as the grep.
#include <benchmark/benchmark.h>
#include <fcntl.h>
#include <spawn.h>
#include <sys/wait.h>

#include <cstdio>
#include <map>
#include <string>
#include <vector>

#include "characters/freq_file.hpp"
#include "characters/word_values.hpp"
#include "dictionary/dictionary_file.hpp"
#include "favorites/favorites_store.hpp"
#include "dictionary/list_search_host.hpp"
#include "dictionary/search.hpp"
#include "platform/unicode_text.hpp"

extern char** environ;

using namespace tulvo::dictionary;

namespace {

struct Case {
    const char* name;
    const char* query;
    int matchPart;
    const char* grepKey;  // what grep looks for (a basic regular expression)
};

const Case kCases[] = {
    {"chinese_one_character", "中", kBeginning, "中"},
    {"numbered_pinyin", "ni3hao3", kBeginning, "ni3hao3"},
    {"toneless_with_retry", "nihao", kBeginning, "nihao"},
    {"english_word", "horse", kAnywhere, "horse"},
    {"wildcard", "to*meal", kBeginning, "to.*meal"},
    {"hits_5000_cap", " the", kBeginning, "the"},
};

void searchBench(benchmark::State& state, const Case& c) {
    const MarkedVowels vowels;
    // Rows get their real word values, as in the window.
    const tulvo::characters::FreqFile freq(tulvo::characters::kFreqPath);
    tulvo::favorites::FavoritesStore favorites;
    favorites.load(/*createMissing=*/false);
    const tulvo::characters::WordValues values(freq, &favorites);
    ResultList list(values);
    ListSearchHost host(list);
    DropDownHistory dropDown;
    Search search(kDictionaryPath, vowels, dropDown, host);
    SearchSettings settings;
    settings.matchPart = c.matchPart;
    const std::u16string query = tulvo::utf8ToUtf16(c.query);
    for (auto _ : state) {
        search.textSearch(query, settings);
        // To the last row in list order.
        if (list.size() > 0) benchmark::DoNotOptimize(&list.at(list.size() - 1));
    }
    state.counters["rows"] = static_cast<double>(list.size());
}

void grepBench(benchmark::State& state, const Case& c) {
    const std::string file = kDictionaryPath.string();
    std::vector<char*> argv = {const_cast<char*>("grep"), const_cast<char*>("-c"),
                               const_cast<char*>(c.grepKey), const_cast<char*>(file.c_str()),
                               nullptr};
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_addopen(&actions, 1, "/dev/null", O_WRONLY, 0);
    for (auto _ : state) {
        pid_t pid;
        if (posix_spawnp(&pid, "grep", &actions, nullptr, argv.data(), environ) != 0) {
            state.SkipWithError("cannot run grep");
            break;
        }
        int status;
        waitpid(pid, &status, 0);
    }
    posix_spawn_file_actions_destroy(&actions);
}

// Prints the usual table, then each search beside its grep.
class RatioReporter : public benchmark::ConsoleReporter {
  public:
    void ReportRuns(const std::vector<Run>& runs) override {
        ConsoleReporter::ReportRuns(runs);
        for (const Run& run : runs) {
            const std::string name = run.benchmark_name();
            const double ms =
                run.GetAdjustedRealTime() * 1e3 / benchmark::GetTimeUnitMultiplier(run.time_unit);
            times_[name] = ms;
        }
    }
    void Finalize() override {
        ConsoleReporter::Finalize();
        std::printf("\n%-24s %10s %10s %7s %s\n", "query", "search ms", "grep ms", "ratio",
                    "budget 1.5");
        for (const Case& c : kCases) {
            const double search = times_["search/" + std::string(c.name)];
            const double grep = times_["grep/" + std::string(c.name)];
            const double ratio = grep > 0 ? search / grep : 0;
            std::printf("%-24s %10.2f %10.2f %7.2f %s\n", c.name, search, grep, ratio,
                        ratio <= 1.5 ? "ok" : "OVER");
        }
    }

  private:
    std::map<std::string, double> times_;
};

}  // namespace

int main(int argc, char** argv) {
    if (!std::filesystem::exists(kDictionaryPath)) {
        std::fprintf(stderr, "run in the program directory: %s is missing\n",
                     kDictionaryPath.string().c_str());
        return 1;
    }
    for (const Case& c : kCases) {
        benchmark::RegisterBenchmark(("search/" + std::string(c.name)).c_str(), searchBench, c)
            ->Unit(benchmark::kMillisecond);
        benchmark::RegisterBenchmark(("grep/" + std::string(c.name)).c_str(), grepBench, c)
            ->Unit(benchmark::kMillisecond);
    }
    benchmark::Initialize(&argc, argv);
    RatioReporter reporter;
    benchmark::RunSpecifiedBenchmarks(&reporter);
    benchmark::Shutdown();
    return 0;
}
