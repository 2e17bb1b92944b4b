// recog.dat: the file as the recognizer reads it, checked by decoding and
// re-encoding, then matched against fixed drawings: candidates come best
// first, each character once.
#include "handwriting/matcher.hpp"
#include "handwriting/recog_file.hpp"
#include "handwriting/stroke_capture.hpp"
#include "tests/fuzz/fuzz_support.hpp"
#include "tests/fuzz/recognition_check.hpp"

using namespace tulvo::handwriting;

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const auto file = tulvo::fuzz::writeInput("recog.dat", data, size);
    const std::vector<uint8_t> bytes = readRecogFile(file);
    FUZZ_CHECK(bytes.size() == size);
    if (const auto templates = decodeRecog(bytes)) {
        const std::string again = encodeRecog(*templates);
        const auto decoded =
            decodeRecog(std::span(reinterpret_cast<const uint8_t*>(again.data()), again.size()));
        FUZZ_CHECK(decoded && *decoded == *templates);
    }
    const RecogView view(bytes);
    for (size_t k = 0; k < view.size() && k < 256; ++k) {
        const TemplateHeader h = view.header(k);
        const auto segments = view.segments(h);
        FUZZ_CHECK(segments.empty() || segments.size() == 2 * size_t(h.segmentCount));
    }
    // One stroke, then a cross, then a box.
    static const std::vector<std::vector<std::pair<int, int>>> strokes = {
        {{20, 100}, {100, 100}, {180, 100}},
        {{100, 20}, {100, 100}, {100, 180}},
        {{30, 30}, {170, 30}, {170, 170}, {30, 170}},
    };
    for (CharForm preference : {kSimplifiedOnly, kBothForms, kTraditionalOnly}) {
        Drawing drawing;
        PadCapture pad(drawing);
        Recognizer recognizer;
        for (const auto& stroke : strokes) {
            pad.penDown(stroke[0].first, stroke[0].second);
            for (const auto& [x, y] : stroke) pad.penMove(x, y);
            pad.penUp();
            recognizer.pass(drawing, file, preference);
            tulvo::fuzz::checkCandidates(recognizer.candidates());
        }
    }
    return 0;
}
