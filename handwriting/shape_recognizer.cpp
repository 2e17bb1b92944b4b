#include "handwriting/shape_recognizer.hpp"

#include <algorithm>
#include <cmath>
#include <limits>
#include <new>

#include "handwriting/features.hpp"

namespace tulvo::handwriting {

namespace {

// Bytes of a shape feature per unit of the square root of an ink share.
constexpr double kFeatureScale = 420.0;
// Pairing cost of a stroke left without a partner, on the 0..1 scale of the
// outlines' mean point distance.
constexpr double kUnpaired = 0.3;
// The rarest frequency class the data gives a listed character.
constexpr int kRarestClass = 9;
// A stroke written from its other end pairs at this extra cost.
constexpr double kReversed = 0.08;

// The cheapest one-to-one pairing of rows and columns of the n × n costs
// (rows of `cost`, row-major): the Hungarian method in its potentials form.
double cheapestPairing(const std::vector<double>& cost, int n) {
    constexpr double inf = std::numeric_limits<double>::infinity();
    std::vector<double> u(size_t(n) + 1), v(size_t(n) + 1), least(size_t(n) + 1);
    std::vector<int> rowOf(size_t(n) + 1), way(size_t(n) + 1);
    std::vector<char> used(size_t(n) + 1);
    for (int i = 1; i <= n; ++i) {
        rowOf[0] = i;
        int j0 = 0;
        std::fill(least.begin(), least.end(), inf);
        std::fill(used.begin(), used.end(), 0);
        do {
            used[size_t(j0)] = 1;
            const int i0 = rowOf[size_t(j0)];
            double delta = inf;
            int j1 = 0;
            for (int j = 1; j <= n; ++j) {
                if (used[size_t(j)]) continue;
                const double c =
                    cost[size_t(i0 - 1) * size_t(n) + size_t(j - 1)] - u[size_t(i0)] - v[size_t(j)];
                if (c < least[size_t(j)]) least[size_t(j)] = c, way[size_t(j)] = j0;
                if (least[size_t(j)] < delta) delta = least[size_t(j)], j1 = j;
            }
            for (int j = 0; j <= n; ++j) {
                if (used[size_t(j)]) {
                    u[size_t(rowOf[size_t(j)])] += delta;
                    v[size_t(j)] -= delta;
                } else {
                    least[size_t(j)] -= delta;
                }
            }
            j0 = j1;
        } while (rowOf[size_t(j0)] != 0);
        do {
            const int j1 = way[size_t(j0)];
            rowOf[size_t(j0)] = rowOf[size_t(j1)];
            j0 = j1;
        } while (j0 != 0);
    }
    double total = 0;
    for (int j = 1; j <= n; ++j)
        total += cost[size_t(rowOf[size_t(j)] - 1) * size_t(n) + size_t(j - 1)];
    return total;
}

// Mean distance of the outlines' points, on the box's 0..1 scale.
double outlineDistance(const StrokeOutline& a, const StrokeOutline& b, bool reversed) {
    double sum = 0;
    for (int k = 0; k < kOutlinePoints; ++k) {
        const OutlinePoint p = a[size_t(k)];
        const OutlinePoint q = b[size_t(reversed ? kOutlinePoints - 1 - k : k)];
        sum += std::hypot(double(p.x) - q.x, double(p.y) - q.y);
    }
    return sum / (kOutlinePoints * 255.0);
}

}  // namespace

bool ShapeRecognizer::load(const std::filesystem::path& shapesFile,
                           const std::filesystem::path& recogFile) {
    load(readShapesFile(shapesFile), readRecogFile(recogFile));
    return loaded();
}

void ShapeRecognizer::load(std::vector<CharacterShape> shapes, std::vector<uint8_t> recogBytes) {
    shapes_ = std::move(shapes);
    recog_ = std::move(recogBytes);
    templates_.assign(shapes_.size(), {});
    // Shapes by character, to hand each its templates.
    std::vector<uint32_t> byCharacter(shapes_.size());
    for (uint32_t k = 0; k < byCharacter.size(); ++k) byCharacter[k] = k;
    std::sort(byCharacter.begin(), byCharacter.end(),
              [&](uint32_t a, uint32_t b) { return shapes_[a].character < shapes_[b].character; });
    const RecogView view(recog_);
    for (size_t k = 0; k < view.size(); ++k) {
        const TemplateHeader h = view.header(k);
        if (view.segments(h).size() != 2 * size_t(h.segmentCount)) continue;
        auto it = std::lower_bound(
            byCharacter.begin(), byCharacter.end(), h.character,
            [&](uint32_t shape, char16_t c) { return shapes_[shape].character < c; });
        for (; it != byCharacter.end() && shapes_[*it].character == h.character; ++it)
            templates_[*it].push_back(h);
    }
}

double ShapeRecognizer::pairingCost(const std::vector<StrokeOutline>& user,
                                    const CharacterShape& shape) {
    const int s = int(user.size()), S = int(shape.strokes.size());
    const int n = std::max(s, S);
    if (n == 0) return 0;
    cost_.assign(size_t(n) * size_t(n), kUnpaired);
    for (int i = 0; i < s; ++i)
        for (int j = 0; j < S; ++j) {
            const StrokeOutline& a = user[size_t(i)];
            const StrokeOutline& b = shape.strokes[size_t(j)];
            cost_[size_t(i) * size_t(n) + size_t(j)] =
                std::min({outlineDistance(a, b, false), outlineDistance(a, b, true) + kReversed,
                          kUnpaired * 2});
        }
    return cheapestPairing(cost_, n) / double(n);
}

double ShapeRecognizer::rarity(int frequencyClass) const {
    // Radicals, components and rare characters that the frequency data does
    // not list are what a learner means least often.
    if (frequencyClass >= kUnlistedFrequency) return weights_.unlisted;
    return weights_.frequency * std::min(frequencyClass, kRarestClass) / double(kRarestClass);
}

double ShapeRecognizer::alignmentScore(uint32_t shape, int userSegments) {
    double best = -1;
    const RecogView view(recog_);
    for (const TemplateHeader& h : templates_[shape]) {
        const auto segments = view.segments(h);
        const double score = part_.align(segments, h.strokes);
        const double perSegment = score / std::max(1.0, 0.5 * (userSegments + h.segmentCount));
        best = std::max(best, perSegment);
    }
    return best;
}

void ShapeRecognizer::pass(Drawing& drawing, CharForm preference,
                           const std::function<void()>& emptied) {
    if (!loaded()) {
        part_.pass(drawing, recog_, preference, emptied);
        candidates_ = part_.candidates();
        return;
    }
    reduceNewStrokes(drawing);
    candidates_.clear();
    if (emptied) emptied();
    try {
        const std::vector<StrokeF> strokes = strokesOf(drawing.buffer);
        if (strokes.empty()) return;
        // Spread like the characters' features, which are averages of many writings.
        const ShapeFeature feature = quantiseShape(blurShape(shapeValues(strokes)));
        const int s = int(strokes.size());

        // The first stage: every offered character by shape and stroke count.
        ranked_.clear();
        for (uint32_t k = 0; k < shapes_.size(); ++k) {
            const CharacterShape& shape = shapes_[k];
            if (!offeredUnder(shape.formFlag, preference)) continue;
            const double distance =
                std::sqrt(double(shapeDistance(feature, shape.feature.data()))) / kFeatureScale;
            const double score =
                -distance - weights_.strokeCount * std::abs(int(shape.strokes.size()) - s);
            ranked_.push_back({score, k});
        }
        const size_t keep = std::min(ranked_.size(), size_t(std::max(weights_.shortlist, 1)));
        std::partial_sort(ranked_.begin(), ranked_.begin() + long(keep), ranked_.end(),
                          [](const Scored& a, const Scored& b) { return a.score > b.score; });
        ranked_.resize(keep);

        // The shortlist rescored.
        const bool aligned = part_.prepareFor(drawing);
        const int n = int(drawing.segmentCount());
        const std::vector<StrokeOutline> outlines = strokeOutlines(strokes);
        evidence_.clear();
        for (const Scored& r : ranked_) {
            const CharacterShape& shape = shapes_[r.shape];
            Evidence e;
            e.character = shape.character;
            e.strokeDifference = int(shape.strokes.size()) - s;
            e.distance = -r.score - weights_.strokeCount * std::abs(e.strokeDifference);
            e.alignment = aligned ? alignmentScore(r.shape, n) : -1;
            e.pairing = pairingCost(outlines, shape);
            e.frequencyClass = shape.frequencyClass;
            e.score = r.score + weights_.alignment * e.alignment - weights_.pairing * e.pairing -
                      rarity(e.frequencyClass);
            evidence_.push_back(e);
        }
        for (const Evidence& e : evidence_) candidates_.offer(e.character, float(e.score));
    } catch (const std::bad_alloc&) {
        candidates_.clear();
    }
}

}  // namespace tulvo::handwriting
