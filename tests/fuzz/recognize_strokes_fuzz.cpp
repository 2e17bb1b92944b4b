// Strokes as the pad or tulvo-recognize feeds them (signed 16-bit mouse
// positions, any number of strokes) against a small template file: every
// pass ranks its candidates best first.
#include "handwriting/matcher.hpp"
#include "handwriting/recog_file.hpp"
#include "handwriting/stroke_capture.hpp"
#include "tests/fuzz/fuzz_support.hpp"
#include "tests/fuzz/recognition_check.hpp"

using namespace tulvo::handwriting;

namespace {

// Templates of one to four strokes in the eight directions.
const std::string& templates() {
    static const std::string bytes = [] {
        std::vector<RecogTemplate> list;
        const char16_t characters[] = u"一二三十丁口日中人大";
        for (int i = 0; i < 10; ++i) {
            RecogTemplate t;
            t.character = characters[i];
            t.formFlag = uint8_t(i % 3);
            t.strokes = uint8_t(1 + i % 4);
            for (int s = 0; s < 1 + i % 5; ++s)
                t.segments.push_back({uint8_t((i + s) % 8), uint8_t(40 + 20 * s)});
            list.push_back(t);
        }
        return encodeRecog(list);
    }();
    return bytes;
}

int16_t int16At(const uint8_t* p) {
    return int16_t(uint16_t(p[0] | p[1] << 8));
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const std::span<const uint8_t> recog(reinterpret_cast<const uint8_t*>(templates().data()),
                                         templates().size());
    Drawing drawing;
    PadCapture pad(drawing);
    Recognizer recognizer;
    // Four bytes a point; x = -32768 lifts the pen.
    for (size_t i = 0; i + 4 <= size; i += 4) {
        const int x = int16At(data + i), y = int16At(data + i + 2);
        if (x == -32768) {
            if (pad.penIsDown() && pad.penUp()) {
                recognizer.pass(drawing, recog, kBothForms);
                tulvo::fuzz::checkCandidates(recognizer.candidates());
            }
        } else if (!pad.penIsDown()) {
            pad.penDown(x, y);
        } else {
            pad.penMove(x, y);
        }
    }
    if (pad.penIsDown() && pad.penUp()) {
        recognizer.pass(drawing, recog, CharForm(data[0] % 3));
        tulvo::fuzz::checkCandidates(recognizer.candidates());
    }
    return 0;
}
