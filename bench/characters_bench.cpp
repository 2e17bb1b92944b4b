// The word values of a full result list on the real data: 5000 rows, each
// with its frequency lookup and favorite test, as a search that hits the
// row cap adds them. Run in the program directory (make bench).
#include <benchmark/benchmark.h>

#include <string>
#include <vector>

#include "characters/freq_file.hpp"
#include "characters/word_values.hpp"
#include "dictionary/dictionary_file.hpp"
#include "favorites/favorites_store.hpp"

using namespace tulvo;

namespace {

void wordValuesOf5000Rows(benchmark::State& state) {
    std::vector<std::string> lines;
    dictionary::scanLines(dictionary::kDictionaryPath, [&](std::string_view line) {
        if (!line.empty() && line.front() != '#') lines.emplace_back(line);
        return lines.size() < 5000;
    });
    if (lines.size() < 5000) {
        state.SkipWithError("data/CEDICT_ts.u8 is missing: run `make data` first");
        return;
    }
    const characters::FreqFile freq(characters::kFreqPath);
    favorites::FavoritesStore store;
    store.load(/*createMissing=*/false);
    const characters::WordValues values(freq, &store);
    for (auto _ : state) {
        int listed = 0;
        for (const std::string& line : lines) {
            const std::string_view form = dictionary::spaceField(line, 2);
            const int value =
                values.wordValue(form, int((form.size() + 1) / 3), dictionary::pinyinField(line));
            listed += value >= 0;
        }
        benchmark::DoNotOptimize(listed);
    }
}
BENCHMARK(wordValuesOf5000Rows)->Unit(benchmark::kMillisecond);

void openFreqFile(benchmark::State& state) {
    for (auto _ : state) {
        const characters::FreqFile freq(characters::kFreqPath);
        benchmark::DoNotOptimize(freq.isOpen());
    }
}
BENCHMARK(openFreqFile)->Unit(benchmark::kMillisecond);

}  // namespace

BENCHMARK_MAIN();
