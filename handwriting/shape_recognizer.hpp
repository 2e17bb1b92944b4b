// The recogniser behind the pad's candidates: it reads learners' writing.
// A first stage ranks every character by its order-free shape feature, so
// strokes written in another order, joined or split still find it; the
// shortlist is then rescored with the recognition pass's alignment of the
// character's templates (whatever their segment counts) and with how well the
// strokes pair up with the character's strokes in any order, and among
// near-equal scores the more common character comes first.
#pragma once

#include <filesystem>
#include <functional>
#include <vector>

#include "handwriting/matcher.hpp"
#include "handwriting/shape_file.hpp"

namespace tulvo::handwriting {

class ShapeRecognizer {
  public:
    // How the stages weigh: the shape distance counts 1 (0 for the same
    // shape, about 1.4 for no ink in common).
    struct Weights {
        int shortlist = 120;        // characters rescored after the first stage
        double strokeCount = 0.05;  // per stroke more or fewer than the character has
        double alignment = 0.5;     // per unit of the pass's score per segment
        double pairing = 0.8;       // per unit of the strokes' pairing cost
        double frequency = 0.1;     // from the most common class (0) to the rarest listed (9)
        double unlisted = 0.2;      // a character the frequency data does not list
    };

    ShapeRecognizer() = default;
    // Reads both files whole once (the shapes and the pass's templates).
    // False when the shapes are missing or damaged: pass() then runs the
    // recognition pass alone.
    bool load(const std::filesystem::path& shapesFile, const std::filesystem::path& recogFile);
    // The same from decoded shapes and template bytes (for tests).
    void load(std::vector<CharacterShape> shapes, std::vector<uint8_t> recogBytes);
    bool loaded() const { return !shapes_.empty(); }

    void setWeights(const Weights& weights) { weights_ = weights; }

    // A pass over the drawing: reduces new strokes, empties the candidate
    // list (then calls `emptied`), and ranks the characters offered under
    // the preference.
    void pass(Drawing& drawing, CharForm preference,
              const std::function<void()>& emptied = nullptr);

    const CandidateList& candidates() const { return candidates_; }

    // What the last pass weighed for each character of its shortlist.
    struct Evidence {
        char16_t character = 0;
        double distance = 0;  // of the shape features, 0 .. about 1.4
        int strokeDifference = 0;
        double alignment = 0;  // the pass's best score per segment, -1 without a template
        double pairing = 0;    // mean cost per stroke of the cheapest pairing, 0 .. 0.6
        int frequencyClass = 0;
        double score = 0;
    };
    const std::vector<Evidence>& shortlist() const { return evidence_; }

  private:
    struct Scored {
        double score;
        uint32_t shape;
    };
    double pairingCost(const std::vector<StrokeOutline>& user, const CharacterShape& shape);
    double alignmentScore(uint32_t shape, int userSegments);
    double rarity(int frequencyClass) const;

    Weights weights_;
    std::vector<CharacterShape> shapes_;
    std::vector<uint8_t> recog_;
    // Per shape, the recog.dat headers of its character.
    std::vector<std::vector<TemplateHeader>> templates_;
    Recognizer part_;
    CandidateList candidates_;
    std::vector<Scored> ranked_;
    std::vector<Evidence> evidence_;
    std::vector<double> cost_;  // scratch of the pairing
};

}  // namespace tulvo::handwriting
