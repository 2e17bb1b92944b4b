// A learner's handwriting for the recognition benchmark, made from the stroke
// data's medians by its own model of untidy writing: uneven proportions
// between the parts of a character, slant and turn, strokes that start late,
// stop short or overshoot, turn and wander, dropped hooks, rounded corners,
// and a mouse that reports fewer positions the faster the hand moves. It is
// kept apart from the writings the templates are built from (its own
// distortions and seeds), so the benchmark measures writing the builder has
// not seen.
#pragma once

#include <random>
#include <string>
#include <utility>
#include <vector>

#include "tools/databuild/recog_builder.hpp"

namespace tulvo::bench {

enum class LearnerStyle { kNeat, kOrdinary, kHasty };

const char* styleName(LearnerStyle style);

// The mouse positions of every stroke in writing order, on the 200-pixel pad.
std::vector<databuild::MouseStroke> writeAsLearner(const std::vector<databuild::Polyline>& medians,
                                                   LearnerStyle style, std::mt19937& rng);

// What learners do to a character beyond an untidy hand, for the development
// set: two adjacent strokes swapped, a stroke written two or three places
// early (a box closed before its inside), two strokes joined without lifting
// the pen (the pair closest end to start), the longest stroke lifted half way
// and written as two, and strokes of uneven size and place under a strong
// slant.
enum class Distortion { kNone, kSwapped, kEarly, kJoined, kSplit, kUneven };

const char* distortionName(Distortion distortion);

// Applies the distortion; false when the character has too few strokes for it.
bool distort(std::vector<databuild::MouseStroke>& strokes, Distortion distortion,
             std::mt19937& rng);

// One writing as an S-expression line of zinnia's character format.
std::string zinniaLine(const std::vector<databuild::MouseStroke>& strokes);

}  // namespace tulvo::bench
