// strokeorderdata.dat: every character's strokes, then the sweep of each.
#include "characters/stroke_order.hpp"
#include "tests/fuzz/fuzz_support.hpp"

using namespace tulvo::characters;

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const auto file = tulvo::fuzz::writeInput("strokeorderdata.dat", data, size);
    StrokeOrderFile strokes(file);
    const std::vector<char16_t> codes = strokes.codes();
    FUZZ_CHECK(codes.size() <= strokes.count());
    for (size_t i = 0; i < codes.size() && i < 64; ++i) {
        const auto found = strokes.lookup(codes[i]);
        if (!found) continue;
        for (const Stroke& stroke : *found) {
            if (!stroke.outline.empty())
                FUZZ_CHECK(stroke.outline.front() == stroke.outline.back());
            // What the animation fills stays in the glyph square.
            for (const GlyphPoint& p : sweepList(stroke))
                FUZZ_CHECK(p.x >= 0 && p.x <= 255 && p.y >= 0 && p.y <= 255);
        }
    }
    return 0;
}
