#include "handwriting/matcher.hpp"

#include <cmath>

#include "handwriting/features.hpp"

namespace tulvo::handwriting {

void CandidateList::clear() {
    slots_.fill(Candidate{});
    count_ = 0;
}

void CandidateList::offer(int32_t code, float score) {
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

bool offeredUnder(uint8_t formFlag, int preference) {
    return formFlag == kOfferedAlways ||
           (formFlag == kSimplifiedForm && preference != kTraditionalOnly) ||
           (formFlag == kTraditionalForm && preference != kSimplifiedOnly);
}

void Recognizer::prepare(const Drawing& drawing) {
    strokes_ = drawing.strokeCount;
    segments_ = static_cast<int>(drawing.segmentCount());
    window_ = segmentWindow(segments_);
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
    // direction difference, so that a cell costs two look-ups.
    lengthScore_.resize(256 * size_t(segments_));
    directionScore_.resize(256 * size_t(segments_));
    for (int i = 0; i < segments_; ++i) {
        const float ul = float(userLength_[i]);
        for (int v = 0; v < 256; ++v) {
            lengthScore_[256 * size_t(i) + v] = lengthAgreement(ul, float(v));
            directionScore_[256 * size_t(i) + v] = directionAgreement(ul, v);
        }
    }
    // Templates up to n + u segments are scored; the table holds them all.
    const size_t side = static_cast<size_t>(segments_ + window_ + 1);
    stride_ = side < 61 ? 61 : side;
    if (table_.size() < stride_ * stride_) table_.resize(stride_ * stride_);
    for (size_t i = 0; i < side; ++i) {
        table_[i * stride_] = -float(i);
        table_[i] = -float(i);
    }
}

float lengthAgreement(float ul, float tl) {
    const float r = tl > ul ? ul / tl : tl / ul;
    return r < 0.33f ? 2.0f * r : 0.5f + r / 2.0f;
}

float directionAgreement(float ul, int difference) {
    float a = float(difference) / 128.0f;
    if (a > 1.0f) a = 2.0f - a;
    float d;
    if (a < 0.2f) {
        d = 1.0f - 0.75f * a;
    } else if (a < 0.54f) {
        d = 1.54f - 3.47f * a;
    } else {
        d = (a - 0.54f) * 2.88f - 0.33f;
    }
    // Short segments are forgiven most of a wrong direction.
    const float q = (1.0f - d) * (1.0f - ul / 64.0f);
    if (q > 0.0f) d += q;
    return d;
}

float Recognizer::align(std::span<const uint8_t> segmentBytes, int templateStrokes) {
    const int n = segments_;
    const int count = static_cast<int>(segmentBytes.size() / 2);
    float* cell = table_.data();
    const size_t w = stride_;
    // The template's gap costs, once per template rather than once per cell.
    templateGap_.resize(count);
    for (int j = 0; j < count; ++j)
        templateGap_[j] = float(segmentBytes[2 * j + 1]) * 1.75f / 256.0f;
    for (int i = 0; i < n; ++i) {
        const float userGap = float(userLength_[i]) * 1.75f / 256.0f;
        const int ud = userDirection_[i];
        const float* lengthRow = lengthScore_.data() + 256 * size_t(i);
        const float* directionRow = directionScore_.data() + 256 * size_t(i);
        const float* row = cell + size_t(i) * w;
        float* below = cell + size_t(i + 1) * w;
        float left = below[0];  // the cell just written, kept in a register
        for (int j = 0; j < count; ++j) {
            const int td = segmentBytes[2 * j];
            const int tl = segmentBytes[2 * j + 1];
            const float gu = row[j + 1] - userGap;
            const float gt = left - templateGap_[j];
            const float g = roundHalfToEven(gu > gt ? gu : gt);
            const int difference = td > ud ? td - ud : ud - td;
            const float diagonal = row[j] + lengthRow[tl] * directionRow[difference];
            left = diagonal > g ? diagonal : g;
            below[j + 1] = left;
        }
    }
    float score = cell[size_t(n) * w + size_t(count)];
    if (templateStrokes == strokes_ && strokes_ < 10) score *= 1.0f + 0.01f * float(10 - strokes_);
    return score;
}

void Recognizer::match(std::span<const uint8_t> recogBytes, int preference) {
    const int t = strokeWindow(strokes_);
    const RecogView view(recogBytes);
    for (size_t k = 0; k < view.size(); ++k) {
        const TemplateHeader h = view.header(k);
        if (!offeredUnder(h.formFlag, preference)) continue;
        if (h.strokes < strokes_ - t || h.strokes > strokes_ + t) continue;
        if (h.segmentCount < segments_ - window_ || h.segmentCount > segments_ + window_) continue;
        const auto segmentBytes = view.segments(h);
        if (segmentBytes.size() != 2 * size_t(h.segmentCount)) continue;  // past the end
        candidates_.offer(h.character, align(segmentBytes, h.strokes));
    }
}

void Recognizer::pass(Drawing& drawing, std::span<const uint8_t> recogBytes, int preference,
                      const std::function<void()>& emptied) {
    reduceNewStrokes(drawing);
    candidates_.clear();
    if (emptied) emptied();
    prepare(drawing);
    match(recogBytes, preference);
}

void Recognizer::pass(Drawing& drawing, const std::filesystem::path& recogFile, int preference,
                      const std::function<void()>& emptied) {
    reduceNewStrokes(drawing);
    candidates_.clear();
    if (emptied) emptied();
    prepare(drawing);
    const std::vector<uint8_t> bytes = readRecogFile(recogFile);
    match(bytes, preference);
}

}  // namespace tulvo::handwriting
