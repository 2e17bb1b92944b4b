// Synthetic mouse handwriting made from the stroke data's medians, for the
// accuracy benchmark and the recognition tests: the character placed at a
// chosen size and position, slanted, squeezed and turned, each stroke shifted
// and resized a little, its points jittered, and walked with an uneven mouse
// step.
#pragma once

#include <random>
#include <vector>

#include "tools/databuild/recog_builder.hpp"

namespace tulvo::databuild {

struct WritingStyle {
    double size = 170;  // pad pixels spanned by the data's 1024-unit square
    double centreX = 100;
    double centreY = 100;
    double slant = 0;         // horizontal shift per pixel above the centre
    double aspect = 1;        // height relative to width
    double rotation = 0;      // radians, counter-clockwise on screen
    double strokeShift = 0;   // standard deviation of each stroke's shift, pixels
    double strokeResize = 0;  // standard deviation of each stroke's relative size change
    double pointNoise = 0;    // standard deviation of each median point's jitter, pixels
    double mouseNoise = 0;    // standard deviation of each reported position's jitter, pixels
    double minStep = 2;       // mouse step range, pixels of path per reported position
    double maxStep = 2;
};

// A random style; strength 0 is a clean, centred hand, 1 a hasty one.
WritingStyle randomStyle(double strength, std::mt19937& rng);

// The mouse positions of every stroke, in writing order.
std::vector<MouseStroke> writeSynthetic(const std::vector<Polyline>& medians,
                                        const WritingStyle& style, std::mt19937& rng);

}  // namespace tulvo::databuild
