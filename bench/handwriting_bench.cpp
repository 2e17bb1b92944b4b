// Handwriting recognition on the real templates (run in the program
// directory): the time of a pass after the 10th stroke (budget 10 ms), and
// the accuracy on synthetic handwriting made from the stroke data for about
// 400 common characters, written neatly and hastily.
#include <benchmark/benchmark.h>

#include <algorithm>
#include <filesystem>
#include <random>
#include <string>

#include "bench/common_characters.hpp"
#include "handwriting/matcher.hpp"
#include "handwriting/stroke_capture.hpp"
#include "platform/unicode_text.hpp"
#include "tools/databuild/output_file.hpp"
#include "tools/databuild/recog_builder.hpp"
#include "tools/databuild/synthetic_writing.hpp"

using namespace tulvo::handwriting;
using namespace tulvo::databuild;

namespace {

std::filesystem::path strokeDataDir() {
    if (const char* dir = std::getenv("TULVO_STROKE_DATA")) return dir;
    return TULVO_STROKE_DATA_DIR;
}

std::vector<Polyline> mediansOf(char16_t character) {
    std::string utf8;
    const std::u16string one(1, character);
    const auto file = strokeDataDir() / (tulvo::utf16ToUtf8(one) + ".json");
    std::string json;
    if (!readWholeFile(file, json, nullptr)) return {};
    return mediansFromJson(json, nullptr).value_or(std::vector<Polyline>{});
}

// Writes the strokes one by one, with a pass after every stroke, as the pad does.
void writeWithPasses(const std::vector<MouseStroke>& strokes, Drawing& drawing,
                     Recognizer& recognizer, int preference) {
    PadCapture pad(drawing);
    for (const MouseStroke& stroke : strokes) {
        pad.penDown(stroke[0].first, stroke[0].second);
        for (size_t i = 1; i < stroke.size(); ++i) pad.penMove(stroke[i].first, stroke[i].second);
        pad.penUp();
        recognizer.pass(drawing, kRecogPath, preference);
    }
}

// A pass after the 10th stroke of a 10-stroke character, file read included.
void passAfterTenthStroke(benchmark::State& state, char16_t character) {
    const auto medians = mediansOf(character);
    std::mt19937 rng(7);
    const auto strokes = writeSynthetic(medians, randomStyle(0.5, rng), rng);
    if (strokes.size() != 10) {
        state.SkipWithError("no 10-stroke data for the character");
        return;
    }
    Drawing nine;
    Recognizer recognizer;
    writeWithPasses(std::vector<MouseStroke>(strokes.begin(), strokes.end() - 1), nine, recognizer,
                    kBothForms);
    Drawing ten = nine;
    PadCapture pad(ten);
    const MouseStroke& last = strokes.back();
    pad.penDown(last[0].first, last[0].second);
    for (size_t i = 1; i < last.size(); ++i) pad.penMove(last[i].first, last[i].second);
    pad.penUp();
    for (auto _ : state) {
        Drawing drawing = ten;  // the 10th stroke not yet reduced
        recognizer.pass(drawing, kRecogPath, kBothForms);
        benchmark::DoNotOptimize(recognizer.candidates().codeAt(0));
    }
    state.counters["segments"] = double(ten.segmentCount());
    state.counters["found_first"] = recognizer.candidates().codeAt(0) == character;
}

// Top-1/5/15 accuracy over the common characters, `samples` writings each.
void accuracy(benchmark::State& state, double strength, int samples) {
    std::mt19937 rng(20261207);
    const std::u16string characters = tulvo::bench::kCommonCharacters;
    int total = 0, top1 = 0, top5 = 0, top15 = 0;
    for (auto _ : state) {
        total = top1 = top5 = top15 = 0;
        for (const char16_t c : characters) {
            const auto medians = mediansOf(c);
            if (medians.empty()) continue;
            for (int k = 0; k < samples; ++k) {
                const auto strokes = writeSynthetic(medians, randomStyle(strength, rng), rng);
                Drawing drawing;
                Recognizer recognizer;
                writeWithPasses(strokes, drawing, recognizer, kBothForms);
                const CandidateList& list = recognizer.candidates();
                int rank = -1;
                for (int slot = 0; slot < list.size(); ++slot)
                    if (list[slot].code == c) rank = slot;
                ++total;
                top1 += rank == 0;
                top5 += rank >= 0 && rank < 5;
                top15 += rank >= 0;
            }
        }
    }
    state.counters["writings"] = total;
    state.counters["top1_%"] = total ? 100.0 * top1 / total : 0;
    state.counters["top5_%"] = total ? 100.0 * top5 / total : 0;
    state.counters["top15_%"] = total ? 100.0 * top15 / total : 0;
}

}  // namespace

// 家 reduces to few segments, 都 to an average number, 能 and 消 to many.
BENCHMARK_CAPTURE(passAfterTenthStroke, jia, u'家')->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(passAfterTenthStroke, du, u'都')->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(passAfterTenthStroke, neng, u'能')->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(passAfterTenthStroke, xiao, u'消')->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(accuracy, neat, 0.3, 2)->Iterations(1)->Unit(benchmark::kSecond);
BENCHMARK_CAPTURE(accuracy, hasty, 0.8, 2)->Iterations(1)->Unit(benchmark::kSecond);

BENCHMARK_MAIN();
