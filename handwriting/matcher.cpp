#include "handwriting/matcher.hpp"

#include <algorithm>
#include <cmath>
#include <new>

#if defined(__SSE2__)
#include <emmintrin.h>
#endif

#include "handwriting/features.hpp"

namespace tulvo::handwriting {

void CandidateList::clear() {
    slots_.fill(Candidate{});
    count_ = 0;
}

void CandidateList::offer(int32_t code, float score) {
    if (code == 0) return;  // 0 ends the list: no character can have it
    int k = count_;
    if (k == kCandidateSlots && !(score > slots_[k - 1].score)) return;
    for (int i = 0; i < k; ++i) {
        if (slots_[i].code != code) continue;
        if (slots_[i].score >= score) return;  // the earlier template was as good
        for (int j = i; j + 1 < k; ++j) slots_[j] = slots_[j + 1];
        slots_[k - 1] = Candidate{};
        --k;
        break;
    }
    int place = 0;
    while (place < k && !(slots_[place].score < score)) ++place;
    for (int j = k; j > place; --j) slots_[j] = slots_[j - 1];  // slot 15 is the spare
    slots_[place] = Candidate{code, score};
    if (k < kCandidateSlots) ++k;
    slots_[kCandidateSlots] = Candidate{};
    count_ = k;
}

int32_t CandidateList::codeAt(int slot) const {
    return slot >= 0 && slot < count_ ? slots_[slot].code : 0;
}

int strokeWindow(int strokes) {
    return (15 + 3 * strokes) / 10;
}

int segmentWindow(int segments) {
    // (60 + 21 n) / 100 to the nearest integer, an exact half to the even one.
    const int scaled = 60 + 21 * segments;
    int whole = scaled / 100;
    const int rest = scaled % 100;
    if (rest > 50 || (rest == 50 && whole % 2 == 1)) ++whole;
    return whole;
}

int boxSize(const KeyPointBox& box) {
    const int w = box.maxX - box.minX;
    const int h = box.maxY - box.minY;
    const int side = w > h ? w : h;
    if (side <= 0) return 0;
    return static_cast<int>(std::floor(1.415 * side + 0.5));
}

bool offeredUnder(uint8_t formFlag, CharForm preference) {
    return formFlag == kOfferedAlways ||
           (formFlag == kSimplifiedForm && preference != kTraditionalOnly) ||
           (formFlag == kTraditionalForm && preference != kSimplifiedOnly);
}

bool Recognizer::prepare(const Drawing& drawing) {
    strokes_ = drawing.strokeCount;
    segments_ = static_cast<int>(drawing.segmentCount());
    window_ = segmentWindow(segments_);
    // A drawing too long for every template's counts (a scribble) passes no
    // filter: nothing to score, and no table sized by its length.
    if (segments_ - window_ > kMaxTemplateSegments ||
        strokes_ - strokeWindow(strokes_) > kMaxTemplateStrokes)
        return false;
    const int box = boxSize(drawing.box);
    userLength_.resize(segments_);
    userDirection_.resize(segments_);
    for (int i = 0; i < segments_; ++i) {
        // A drawing whose key points all coincide has box 0: its lengths are 0.
        int ul = box > 0 ? drawing.segmentLengths[i] * 255 / box : 0;
        if (ul < kLengthFloor) ul = kLengthFloor;
        userLength_[i] = ul;
        userDirection_[i] = drawing.directionCodes[i];
    }
    // Each user segment's agreement with every possible template length and
    // direction, so that a cell costs two look-ups.
    lengthScore_.resize(256 * size_t(segments_));
    directionScore_.resize(256 * size_t(segments_));
    for (int i = 0; i < segments_; ++i) {
        const double ul = userLength_[i];
        for (int v = 0; v < 256; ++v) {
            lengthScore_[256 * size_t(i) + v] = lengthAgreement(ul, double(v));
            const int difference =
                v > userDirection_[i] ? v - userDirection_[i] : userDirection_[i] - v;
            directionScore_[256 * size_t(i) + v] = directionAgreement(ul, difference);
        }
    }
    // The pass scores templates up to n + u segments; align() takes any
    // template (up to 255 segments), so the table is that wide.
    const size_t side = static_cast<size_t>(segments_ + window_ + 1);
    stride_ = side < 256 ? 256 : side;
    if (table_.size() < stride_ * stride_) table_.resize(stride_ * stride_);
    for (size_t i = 0; i < side; ++i) table_[i * stride_] = -double(i);
    for (size_t j = 0; j < stride_; ++j) table_[j] = -double(j);
    return true;
}

double lengthAgreement(double ul, double tl) {
    const double r = tl > ul ? ul / tl : tl / ul;
    return r < 0.33 ? 2 * r : 0.5 + r / 2;
}

double directionAgreement(double ul, int difference) {
    double a = difference / 128.0;
    if (a > 1) a = 2 - a;
    double d;
    if (a < 0.2) {
        d = 1 - 0.75 * a;
    } else if (a < 0.54) {
        d = 1.54 - 3.47 * a;
    } else {
        d = (a - 0.54) * 2.88 - 0.33;
    }
    // Short segments are forgiven most of a wrong direction.
    const double q = (1 - d) * (1 - ul / 64);
    if (q > 0) d += q;
    return d;
}

float Recognizer::align(std::span<const uint8_t> segmentBytes, int templateStrokes) {
    const int n = segments_;
    const int count = static_cast<int>(segmentBytes.size() / 2);
    double* cell = table_.data();
    const size_t w = stride_;
    templateGap_.resize(count);
    for (int j = 0; j < count; ++j) templateGap_[j] = segmentBytes[2 * j + 1] * 1.75 / 256;
    for (int i = 0; i < n; ++i) {
        const double userGap = userLength_[i] * 1.75 / 256;
        const double* lengthRow = lengthScore_.data() + 256 * size_t(i);
        const double* directionRow = directionScore_.data() + 256 * size_t(i);
        const double* row = cell + size_t(i) * w;
        double* below = cell + size_t(i + 1) * w;
        double left = below[0];
        for (int j = 0; j < count; ++j) {
            const int td = segmentBytes[2 * j];
            const int tl = segmentBytes[2 * j + 1];
            const double gu = row[j + 1] - userGap;
            const double gt = left - templateGap_[j];
            const double g = roundHalfToEven(gu > gt ? gu : gt);
            const double diagonal = row[j] + lengthRow[tl] * directionRow[td];
            left = double(float(diagonal > g ? diagonal : g));  // stored in single precision
            below[j + 1] = left;
        }
    }
    double score = cell[size_t(n) * w + size_t(count)];
    if (templateStrokes == strokes_ && strokes_ < 10) score *= 1 + 0.01 * (10 - strokes_);
    return float(score);
}

namespace {

constexpr int kLaneCount = 16;

// What one sweep of the lane table needs: the drawing's side and the
// templates' side of the alignment.
struct LaneSweep {
    int segments;                     // the drawing's
    int count;                        // each template's
    const int* userLength;            // per drawing segment
    const double* lengthScore;        // 256 per drawing segment
    const double* directionScore;     // 256 per drawing segment
    const uint8_t* const* templates;  // kLaneCount segment strings
    const double* gap;                // count * kLaneCount
    double* previous;                 // (count + 1) * kLaneCount, the first row on entry
    double* current;                  // as large; the last row on return is in `previous`
};

// The rows of the alignment table for kLaneCount templates at once. Every
// version does, lane by lane, exactly the scalar arithmetic of `align`
// (products, differences, the round-half-to-even of the gap and the single
// precision of each cell), so the scores are the same bit for bit.
#if defined(__SSE2__)
void sweepSse2(LaneSweep& s) {
    constexpr int L = kLaneCount;
    const __m128d shift = _mm_set1_pd(6755399441055744.0);
    for (int i = 0; i < s.segments; ++i) {
        const __m128d userGap = _mm_set1_pd(s.userLength[i] * 1.75 / 256);
        const double* lengthRow = s.lengthScore + 256 * size_t(i);
        const double* directionRow = s.directionScore + 256 * size_t(i);
        alignas(16) double left[L];
        for (int k = 0; k < L; ++k) left[k] = s.current[k] = -double(i + 1);
        for (int j = 0; j < s.count; ++j) {
            const double* above = s.previous + size_t(j) * L;
            const double* gap = s.gap + size_t(j) * L;
            double* here = s.current + size_t(j + 1) * L;
            for (int k = 0; k < L; k += 2) {
                const uint8_t* t0 = s.templates[k] + 2 * j;
                const uint8_t* t1 = s.templates[k + 1] + 2 * j;
                const __m128d agreement =
                    _mm_mul_pd(_mm_set_pd(lengthRow[t1[1]], lengthRow[t0[1]]),
                               _mm_set_pd(directionRow[t1[0]], directionRow[t0[0]]));
                const __m128d gu = _mm_sub_pd(_mm_loadu_pd(above + L + k), userGap);
                const __m128d gt = _mm_sub_pd(_mm_load_pd(left + k), _mm_loadu_pd(gap + k));
                // max keeps the first operand only when it is greater, as
                // the scalar comparisons do.
                const __m128d g = _mm_sub_pd(_mm_add_pd(_mm_max_pd(gu, gt), shift), shift);
                const __m128d diagonal = _mm_add_pd(_mm_loadu_pd(above + k), agreement);
                const __m128d best = _mm_cvtps_pd(_mm_cvtpd_ps(_mm_max_pd(diagonal, g)));
                _mm_store_pd(left + k, best);
                _mm_storeu_pd(here + k, best);
            }
        }
        std::swap(s.previous, s.current);
    }
}

#else
void sweepPlain(LaneSweep& s) {
    constexpr int L = kLaneCount;
    for (int i = 0; i < s.segments; ++i) {
        const double userGap = s.userLength[i] * 1.75 / 256;
        const double* lengthRow = s.lengthScore + 256 * size_t(i);
        const double* directionRow = s.directionScore + 256 * size_t(i);
        double left[L];
        for (int k = 0; k < L; ++k) left[k] = s.current[k] = -double(i + 1);
        for (int j = 0; j < s.count; ++j) {
            const double* above = s.previous + size_t(j) * L;
            const double* gap = s.gap + size_t(j) * L;
            double* here = s.current + size_t(j + 1) * L;
            for (int k = 0; k < L; ++k) {
                const int td = s.templates[k][2 * j];
                const int tl = s.templates[k][2 * j + 1];
                const double gu = above[L + k] - userGap;
                const double gt = left[k] - gap[k];
                const double g = roundHalfToEven(gu > gt ? gu : gt);
                const double diagonal = above[k] + lengthRow[tl] * directionRow[td];
                left[k] = double(float(diagonal > g ? diagonal : g));
                here[k] = left[k];
            }
        }
        std::swap(s.previous, s.current);
    }
}
#endif

}  // namespace

void Recognizer::alignLanes(const uint8_t* const* segmentBytes, int count,
                            const int* templateStrokes, float* scores) {
    constexpr int L = kLanes;
    static_assert(L == kLaneCount);
    const size_t width = size_t(count + 1) * L;
    rows_.resize(2 * width);
    laneGap_.resize(size_t(count) * L);
    for (int j = 0; j <= count; ++j)
        for (int k = 0; k < L; ++k) rows_[size_t(j) * L + k] = -double(j);
    for (int j = 0; j < count; ++j)
        for (int k = 0; k < L; ++k)
            laneGap_[size_t(j) * L + k] = segmentBytes[k][2 * j + 1] * 1.75 / 256;
    LaneSweep sweep{segments_,
                    count,
                    userLength_.data(),
                    lengthScore_.data(),
                    directionScore_.data(),
                    segmentBytes,
                    laneGap_.data(),
                    rows_.data(),
                    rows_.data() + width};
#if defined(__SSE2__)
    sweepSse2(sweep);
#else
    sweepPlain(sweep);
#endif
    for (int k = 0; k < L; ++k) {
        double score = sweep.previous[size_t(count) * L + k];
        if (templateStrokes[k] == strokes_ && strokes_ < 10) score *= 1 + 0.01 * (10 - strokes_);
        scores[k] = float(score);
    }
}

void Recognizer::match(std::span<const uint8_t> recogBytes, CharForm preference) {
    const int t = strokeWindow(strokes_);
    const RecogView view(recogBytes);
    // The templates that pass the filters (the stroke count, the most
    // selective, checked first), in file order.
    passed_.clear();
    for (size_t k = 0; k < view.size(); ++k) {
        const TemplateHeader h = view.header(k);
        if (h.strokes < strokes_ - t || h.strokes > strokes_ + t) continue;
        if (h.segmentCount < segments_ - window_ || h.segmentCount > segments_ + window_) continue;
        if (!offeredUnder(h.formFlag, preference)) continue;
        const auto segmentBytes = view.segments(h);
        if (segmentBytes.size() != 2 * size_t(h.segmentCount)) continue;  // past the end
        passed_.push_back(Passed{segmentBytes.data(), uint32_t(passed_.size()), h.character,
                                 h.strokes, h.segmentCount});
    }
    // Scored in runs of one segment count (kLanes at a time; a short last
    // run repeats its last template), then offered in file order.
    std::array<uint32_t, 257> start{};
    for (const Passed& p : passed_) ++start[p.count + 1];
    for (size_t c = 1; c < start.size(); ++c) start[c] += start[c - 1];
    bySegments_.resize(passed_.size());
    for (const Passed& p : passed_) bySegments_[start[p.count]++] = p;
    scores_.resize(passed_.size());
    for (size_t first = 0; first < bySegments_.size();) {
        size_t end = first;
        while (end < bySegments_.size() && end - first < kLanes &&
               bySegments_[end].count == bySegments_[first].count)
            ++end;
        const uint8_t* segments[kLanes];
        int strokes[kLanes];
        for (int k = 0; k < kLanes; ++k) {
            const Passed& p = bySegments_[std::min(first + k, end - 1)];
            segments[k] = p.segments;
            strokes[k] = p.strokes;
        }
        float scores[kLanes];
        alignLanes(segments, bySegments_[first].count, strokes, scores);
        for (size_t k = first; k < end; ++k) scores_[bySegments_[k].order] = scores[k - first];
        first = end;
    }
    for (size_t k = 0; k < passed_.size(); ++k) candidates_.offer(passed_[k].character, scores_[k]);
}

bool Recognizer::prepareFor(Drawing& drawing) {
    reduceNewStrokes(drawing);
    return prepare(drawing);
}

void Recognizer::pass(Drawing& drawing, std::span<const uint8_t> recogBytes, CharForm preference,
                      const std::function<void()>& emptied) {
    reduceNewStrokes(drawing);
    candidates_.clear();
    if (emptied) emptied();
    try {
        if (prepare(drawing)) match(recogBytes, preference);
    } catch (const std::bad_alloc&) {
        candidates_.clear();  // no memory for this drawing: no candidates
    }
}

void Recognizer::pass(Drawing& drawing, const std::filesystem::path& recogFile, CharForm preference,
                      const std::function<void()>& emptied) {
    reduceNewStrokes(drawing);
    candidates_.clear();
    if (emptied) emptied();
    try {
        if (prepare(drawing)) match(readRecogFile(recogFile), preference);
    } catch (const std::bad_alloc&) {
        candidates_.clear();
    }
}

}  // namespace tulvo::handwriting
