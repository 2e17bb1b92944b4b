// Fixture templates for the recognition tests: a template file's bytes, one
// template, and a drawing of one horizontal stroke.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "handwriting/matcher.hpp"
#include "handwriting/recog_file.hpp"
#include "handwriting/stroke_capture.hpp"

namespace tulvo::handwriting::fixtures {

inline std::vector<uint8_t> bytesOf(const std::vector<RecogTemplate>& templates) {
    const std::string encoded = encodeRecog(templates);
    return std::vector<uint8_t>(encoded.begin(), encoded.end());
}

inline RecogTemplate tmpl(char16_t c, int strokes, std::vector<TemplateSegment> segments,
                          uint8_t form = kOfferedAlways) {
    return RecogTemplate{c, form, uint8_t(strokes), std::move(segments)};
}

// One horizontal stroke to the right, 160 pixels: box 226, normalised length 180.
inline Drawing horizontalStroke() {
    Drawing drawing;
    PadCapture pad(drawing);
    pad.penDown(20, 100);
    for (int x = 30; x <= 180; x += 10) pad.penMove(x, 100);
    pad.penUp();
    return drawing;
}

}  // namespace tulvo::handwriting::fixtures
