// The recognition pass: the user's segments aligned against every template
// that passes the stroke, segment and form filters, and the ranked list of
// at most 15 candidate characters.
#pragma once

#include <array>
#include <cstdint>
#include <filesystem>
#include <functional>
#include <span>
#include <vector>

#include "dictionary/search_choices.hpp"
#include "handwriting/recog_file.hpp"
#include "handwriting/stroke_capture.hpp"

namespace tulvo::handwriting {

// The character-form preference, as the search bar's selector sets it.
using dictionary::CharForm;
using dictionary::kBothForms;
using dictionary::kSimplifiedOnly;
using dictionary::kTraditionalOnly;

inline constexpr int kCandidateSlots = 15;
// Normalised segment lengths below this are matched as this.
inline constexpr int kLengthFloor = 25;

struct Candidate {
    int32_t code = 0;  // 0 marks the end of the list
    float score = 0;
};

// Best first; one character at most once (with its best template's score).
class CandidateList {
  public:
    void clear();
    // Offers a template's score for a character.
    void offer(int32_t code, float score);
    int size() const { return count_; }
    const Candidate& operator[](int slot) const { return slots_[slot]; }
    // Character of slot 0..14, 0 when the slot is empty or out of range.
    int32_t codeAt(int slot) const;

  private:
    // The extra slot receives the entry pushed off the end while shifting.
    std::array<Candidate, kCandidateSlots + 1> slots_{};
    int count_ = 0;
};

// Tolerance windows around the user's stroke count s and segment count n.
int strokeWindow(int strokes);    // round(1 + 0.3 s), halves up
int segmentWindow(int segments);  // round(0.6 + 0.21 n), halves to even
// 1.415 times the box's larger side, rounded (halves up); 0 for one point.
int boxSize(const KeyPointBox& box);

bool offeredUnder(uint8_t formFlag, CharForm preference);

// Rounds to the nearest whole number, an exact half to the even one, for
// |x| < 2^51 (alignment scores stay far below that): adding and removing
// 1.5 · 2^52 leaves no fraction bits, and addition rounds to even.
inline double roundHalfToEven(double x) {
    const double shifted = x + 6755399441055744.0;
    return shifted - 6755399441055744.0;
}

// Agreement of a user segment's normalised length ul (at least 25) with a
// template length tl: 2r below r = 0.33, else 0.5 + r/2, r the smaller over
// the larger.
double lengthAgreement(double ul, double tl);
// Agreement of directions |td − ud| apart (0..255) for a user segment of
// normalised length ul: 1 for the same direction, lowest near a right angle,
// almost 1 again for the opposite one, short segments forgiven.
double directionAgreement(double ul, int difference);

// Runs recognition passes. Keeps the match table between passes so that it
// is allocated once; the table grows for long drawings and templates. The
// table's cells and the scores are single precision; the arithmetic between
// them runs in double.
class Recognizer {
  public:
    // A pass over the drawing: reduces new strokes, empties the candidate
    // list (then calls `emptied`, where the pad repaints its empty grid and
    // lets pending events through), and ranks every template of the
    // recognition file's bytes. Damaged bytes give fewer (or no) candidates;
    // a drawing too long for any template, or no memory, gives none.
    void pass(Drawing& drawing, std::span<const uint8_t> recogBytes, CharForm preference,
              const std::function<void()>& emptied = nullptr);
    // The same, reading the file whole after emptying the list (a missing
    // file matches nothing).
    void pass(Drawing& drawing, const std::filesystem::path& recogFile, CharForm preference,
              const std::function<void()>& emptied = nullptr);

    const CandidateList& candidates() const { return candidates_; }

    // Reduces new strokes and prepares the drawing for align(), without a
    // pass (for the template builder and tests). False when the drawing is
    // too long for any template.
    bool prepareFor(Drawing& drawing);

    // Score of one template of up to 255 segments against the prepared
    // drawing, whatever the windows (for the recogniser's rescoring, the
    // template builder and tests).
    float align(std::span<const uint8_t> segmentBytes, int templateStrokes);

  private:
    // False when no template can pass the drawing's filters.
    bool prepare(const Drawing& drawing);
    void match(std::span<const uint8_t> recogBytes, CharForm preference);
    // Scores kLanes templates of the same segment count S at once, in one
    // sweep of rolling rows: the same arithmetic as align() for each, with
    // the lanes' independent chains interleaved.
    static constexpr int kLanes = 16;
    void alignLanes(const uint8_t* const* segmentBytes, int count, const int* templateStrokes,
                    float* scores);

    CandidateList candidates_;
    // The match table: single-precision values, held widened to double.
    std::vector<double> table_;
    size_t stride_ = 0;
    // Per pass: the user's normalised lengths and directions, and s, n, u.
    std::vector<int> userLength_;  // normalised, floored at 25
    std::vector<int> userDirection_;
    std::vector<double> lengthScore_;     // 256 per user segment, by template length
    std::vector<double> directionScore_;  // 256 per user segment, by template direction
    std::vector<double> templateGap_;
    // Per pass: the templates that passed the filters, by file order, and
    // their scores; rows and gaps of the lane sweep.
    struct Passed {
        const uint8_t* segments;
        uint32_t order;  // place among the passed templates, in file order
        char16_t character;
        uint8_t strokes;
        uint8_t count;
    };
    std::vector<Passed> passed_;
    std::vector<Passed> bySegments_;
    std::vector<float> scores_;
    std::vector<double> rows_;
    std::vector<double> laneGap_;
    int strokes_ = 0;
    int segments_ = 0;
    int window_ = 0;
};

}  // namespace tulvo::handwriting
