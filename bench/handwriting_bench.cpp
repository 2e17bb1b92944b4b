// Handwriting recognition on the real templates (run in the program
// directory): the time of a pass after the 10th stroke (budget 10 ms) for the
// recognition pass alone and for the recogniser the pad uses, the time to
// load their files, and the accuracy on the development set: about 550
// common characters written by a learner's hand or the synthetic writer, as
// they are and with strokes swapped, written early, joined, split or of uneven
// size, for the pass ("pass"), the recogniser ("tulvo") and, on the very
// same writings, zinnia with its open Simplified Chinese model when
// installed. The processor is named in the context.
#include <benchmark/benchmark.h>

#include <algorithm>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <random>
#include <sstream>
#include <string>

#include <unistd.h>

#include "bench/common_characters.hpp"
#include "bench/learner_writing.hpp"
#include "handwriting/matcher.hpp"
#include "handwriting/shape_recognizer.hpp"
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
                     Recognizer& recognizer, CharForm preference) {
    PadCapture pad(drawing);
    for (const MouseStroke& stroke : strokes) {
        pad.penDown(stroke[0].first, stroke[0].second);
        for (size_t i = 1; i < stroke.size(); ++i) pad.penMove(stroke[i].first, stroke[i].second);
        pad.penUp();
        recognizer.pass(drawing, kRecogPath, preference);
    }
}

// One writing of a 10-stroke character, the same for every recogniser.
std::vector<MouseStroke> tenStrokesOf(char16_t character) {
    std::mt19937 rng(7);
    return writeSynthetic(mediansOf(character), randomStyle(0.5, rng), rng);
}

// A pass after the 10th stroke of a 10-stroke character, file read included.
void passAfterTenthStroke(benchmark::State& state, char16_t character) {
    const auto strokes = tenStrokesOf(character);
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

// The same with the recogniser the pad uses, its files loaded beforehand.
void readerAfterTenthStroke(benchmark::State& state, char16_t character) {
    const auto strokes = tenStrokesOf(character);
    if (strokes.size() != 10) {
        state.SkipWithError("no 10-stroke data for the character");
        return;
    }
    ShapeRecognizer reader;
    if (!reader.load(kShapesPath, kRecogPath)) {
        state.SkipWithError("data/shapes.dat is missing");
        return;
    }
    const Drawing ten = writeOnPad(strokes);
    Drawing unreduced;
    PadCapture pad(unreduced);
    for (const MouseStroke& stroke : strokes) {
        pad.penDown(stroke[0].first, stroke[0].second);
        for (size_t i = 1; i < stroke.size(); ++i) pad.penMove(stroke[i].first, stroke[i].second);
        pad.penUp();
    }
    for (auto _ : state) {
        Drawing drawing = unreduced;  // every stroke still to reduce: the worst case
        reader.pass(drawing, kBothForms);
        benchmark::DoNotOptimize(reader.candidates().codeAt(0));
    }
    state.counters["segments"] = double(ten.segmentCount());
    state.counters["found_first"] = reader.candidates().codeAt(0) == character;
}

// Top-1/5/15 over the common characters, `samples` writings each, made by
// the stroke data's own synthetic writer (the figures kept from before the
// learner's benchmark, for comparison).
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

// recog.dat read whole, as every pass does, and its headers walked.
void loadTemplates(benchmark::State& state) {
    size_t templates = 0, bytes = 0;
    for (auto _ : state) {
        const std::vector<uint8_t> file = readRecogFile(kRecogPath);
        const RecogView view(file);
        uint32_t strokes = 0;
        for (size_t k = 0; k < view.size(); ++k) strokes += view.header(k).strokes;
        benchmark::DoNotOptimize(strokes);
        templates = view.size();
        bytes = file.size();
    }
    state.counters["templates"] = double(templates);
    state.counters["bytes"] = double(bytes);
}

// Both files the recogniser reads, loaded once.
void loadReader(benchmark::State& state) {
    for (auto _ : state) {
        ShapeRecognizer reader;
        benchmark::DoNotOptimize(reader.load(kShapesPath, kRecogPath));
    }
}

struct Ranks {
    int total = 0, top1 = 0, top5 = 0, top15 = 0;
    void add(int rank) {  // -1: not among the candidates
        ++total;
        top1 += rank == 0;
        top5 += rank >= 0 && rank < 5;
        top15 += rank >= 0 && rank < 15;
    }
    void report(benchmark::State& state, const std::string& who) const {
        state.counters[who + "_top1_%"] = total ? 100.0 * top1 / total : 0;
        state.counters[who + "_top5_%"] = total ? 100.0 * top5 / total : 0;
        state.counters[who + "_top15_%"] = total ? 100.0 * top15 / total : 0;
    }
};

const char* const kZinniaModel = "/usr/share/tegaki/models/zinnia/handwriting-zh_CN.model";

// zinnia's 15 best answers for every line of the file, in file order; empty
// when zinnia or its model is not installed.
std::vector<std::u16string> zinniaAnswers(const std::filesystem::path& file) {
    if (!std::filesystem::exists(kZinniaModel)) return {};
    const std::string command =
        std::string("zinnia -n 15 -m ") + kZinniaModel + " '" + file.string() + "' 2>/dev/null";
    FILE* pipe = popen(command.c_str(), "r");
    if (!pipe) return {};
    std::string output;
    char chunk[65536];
    for (size_t got; (got = fread(chunk, 1, sizeof chunk, pipe)) > 0;) output.append(chunk, got);
    if (pclose(pipe) != 0) return {};
    std::vector<std::u16string> answers;
    std::istringstream lines(output);
    for (std::string line; std::getline(lines, line);) {
        if (line.rfind("Answer:", 0) == 0) {
            answers.emplace_back();
        } else if (!answers.empty() && !line.empty()) {
            const std::u16string value = tulvo::utf8ToUtf16(line.substr(0, line.find(' ')));
            if (value.size() == 1)
                answers.back() += value;
            else
                answers.back() += u'?';
        }
    }
    return answers;
}

enum class Writer { kNeat, kOrdinary, kHasty, kSynthetic };

// One writing of the character by the writer.
std::vector<MouseStroke> writeBy(Writer writer, const std::vector<Polyline>& medians,
                                 std::mt19937& rng) {
    using tulvo::bench::LearnerStyle;
    switch (writer) {
        case Writer::kNeat:
            return tulvo::bench::writeAsLearner(medians, LearnerStyle::kNeat, rng);
        case Writer::kOrdinary:
            return tulvo::bench::writeAsLearner(medians, LearnerStyle::kOrdinary, rng);
        case Writer::kHasty:
            return tulvo::bench::writeAsLearner(medians, LearnerStyle::kHasty, rng);
        case Writer::kSynthetic:
            break;
    }
    return writeSynthetic(medians, randomStyle(0.5, rng), rng);
}

// The rank of `c` among the candidates, -1 when absent.
int rankOf(const CandidateList& list, char16_t c) {
    for (int slot = 0; slot < list.size(); ++slot)
        if (list.codeAt(slot) == c) return slot;
    return -1;
}

// Top-1/5/15 over the common characters, each written once by the writer and
// distorted (characters with too few strokes for the distortion left out).
// The candidates of a pass depend only on the drawing, so each is ranked
// after its last stroke; zinnia gets the same mouse positions.
// Every 8th character of the shapes file within the frequency classes, up to
// 300 (what the prior for common characters costs when a rarer one is meant).
std::u16string charactersOfClasses(int lowest, int highest) {
    std::u16string out;
    const auto shapes = readShapesFile(kShapesPath);
    for (size_t k = 0; k < shapes.size() && out.size() < 300; k += 8)
        if (shapes[k].frequencyClass >= lowest && shapes[k].frequencyClass <= highest)
            out += shapes[k].character;
    return out;
}

void devSet(benchmark::State& state, Writer writer, tulvo::bench::Distortion distortion,
            std::u16string characters) {
    const std::vector<uint8_t> recog = readRecogFile(kRecogPath);
    ShapeRecognizer reader;
    if (!reader.load(kShapesPath, kRecogPath)) {
        state.SkipWithError("data/shapes.dat is missing");
        return;
    }
    Ranks passRanks, readerRanks, zinniaRanks;
    for (auto _ : state) {
        // Seeds of their own: no writing here is one the templates were made from.
        std::mt19937 rng(0x1ea5e + 101 * int(writer) + 7919 * int(distortion));
        passRanks = readerRanks = zinniaRanks = Ranks{};
        std::u16string written;
        std::string zinniaInput;
        Recognizer recognizer;
        for (const char16_t c : characters) {
            const auto medians = mediansOf(c);
            if (medians.empty()) continue;
            auto strokes = writeBy(writer, medians, rng);
            if (!tulvo::bench::distort(strokes, distortion, rng)) continue;
            Drawing drawing;
            PadCapture pad(drawing);
            for (const MouseStroke& stroke : strokes) {
                pad.penDown(stroke[0].first, stroke[0].second);
                for (size_t i = 1; i < stroke.size(); ++i)
                    pad.penMove(stroke[i].first, stroke[i].second);
                pad.penUp();
            }
            Drawing copy = drawing;
            recognizer.pass(drawing, recog, kBothForms);
            passRanks.add(rankOf(recognizer.candidates(), c));
            reader.pass(copy, kBothForms);
            readerRanks.add(rankOf(reader.candidates(), c));
            written += c;
            zinniaInput += tulvo::bench::zinniaLine(strokes) + "\n";
        }
        const auto scratch = std::filesystem::temp_directory_path() /
                             ("tulvo-learner-" + std::to_string(getpid()) + ".txt");
        std::ofstream(scratch) << zinniaInput;
        const auto answers = zinniaAnswers(scratch);
        std::filesystem::remove(scratch);
        if (answers.size() == written.size()) {
            for (size_t k = 0; k < written.size(); ++k) {
                const size_t at = answers[k].find(written[k]);
                zinniaRanks.add(at == std::u16string::npos ? -1 : int(at));
            }
        }
    }
    state.counters["writings"] = readerRanks.total;
    passRanks.report(state, "pass");
    readerRanks.report(state, "tulvo");
    if (zinniaRanks.total)
        zinniaRanks.report(state, "zinnia");
    else
        state.SetLabel("zinnia or its model not installed");
}

// The processor's name from the kernel, for the context of every run.
std::string processorName() {
    std::ifstream cpuinfo("/proc/cpuinfo");
    for (std::string line; std::getline(cpuinfo, line);)
        if (line.rfind("model name", 0) == 0) return line.substr(line.find(':') + 2);
    return "unknown";
}

}  // namespace

// 家 reduces to few segments, 都 to an average number, 能 and 消 to many.
BENCHMARK_CAPTURE(passAfterTenthStroke, jia, u'家')->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(passAfterTenthStroke, du, u'都')->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(passAfterTenthStroke, neng, u'能')->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(passAfterTenthStroke, xiao, u'消')->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(accuracy, neat, 0.3, 1)->Iterations(1)->Unit(benchmark::kSecond);
BENCHMARK_CAPTURE(accuracy, hasty, 0.8, 1)->Iterations(1)->Unit(benchmark::kSecond);
BENCHMARK(loadTemplates)->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(readerAfterTenthStroke, jia, u'家')->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(readerAfterTenthStroke, du, u'都')->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(readerAfterTenthStroke, neng, u'能')->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(readerAfterTenthStroke, xiao, u'消')->Unit(benchmark::kMillisecond);
BENCHMARK(loadReader)->Unit(benchmark::kMillisecond);

// The development set: every writer undistorted, the ordinary learner and the
// synthetic writer with each distortion (filter with --benchmark_filter=devSet).
#define TULVO_DEV_SET(writer, distortion)                               \
    BENCHMARK_CAPTURE(devSet, writer##_##distortion, Writer::k##writer, \
                      tulvo::bench::Distortion::k##distortion,          \
                      std::u16string(tulvo::bench::kCommonCharacters))  \
        ->Iterations(1)                                                 \
        ->Unit(benchmark::kSecond)
TULVO_DEV_SET(Neat, None);
TULVO_DEV_SET(Hasty, None);
TULVO_DEV_SET(Ordinary, None);
TULVO_DEV_SET(Ordinary, Swapped);
TULVO_DEV_SET(Ordinary, Early);
TULVO_DEV_SET(Ordinary, Joined);
TULVO_DEV_SET(Ordinary, Split);
TULVO_DEV_SET(Ordinary, Uneven);
TULVO_DEV_SET(Synthetic, None);
TULVO_DEV_SET(Synthetic, Swapped);
TULVO_DEV_SET(Synthetic, Early);
TULVO_DEV_SET(Synthetic, Joined);
TULVO_DEV_SET(Synthetic, Split);
TULVO_DEV_SET(Synthetic, Uneven);
// Characters a learner meets rarely, written by the ordinary learner.
BENCHMARK_CAPTURE(devSet, Ordinary_rare_classes_7_to_9, Writer::kOrdinary,
                  tulvo::bench::Distortion::kNone, charactersOfClasses(7, 9))
    ->Iterations(1)
    ->Unit(benchmark::kSecond);
BENCHMARK_CAPTURE(devSet, Ordinary_unlisted, Writer::kOrdinary, tulvo::bench::Distortion::kNone,
                  charactersOfClasses(kUnlistedFrequency, kUnlistedFrequency))
    ->Iterations(1)
    ->Unit(benchmark::kSecond);

int main(int argc, char** argv) {
    benchmark::AddCustomContext("processor", processorName());
    benchmark::Initialize(&argc, argv);
    if (benchmark::ReportUnrecognizedArguments(argc, argv)) return 1;
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
