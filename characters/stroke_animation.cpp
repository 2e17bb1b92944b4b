#include "characters/stroke_animation.hpp"

#include <chrono>
#include <cmath>
#include <cstdio>
#include <filesystem>

namespace tulvo::characters {

int lineDelayFromReads(uint64_t reads) {
    return static_cast<int>(std::nearbyintl(static_cast<long double>(reads) * 2 / 100));
}

int measureLineDelay(const std::function<uint64_t()>& clock) {
    const auto read = [&]() -> uint64_t {
        if (clock) return clock();
        return uint64_t(std::chrono::duration_cast<std::chrono::milliseconds>(
                            std::chrono::steady_clock::now().time_since_epoch())
                            .count());
    };
    const uint64_t start = read();
    uint64_t reads = 0;
    for (;;) {
        ++reads;
        if (read() - start > 100) break;
    }
    return lineDelayFromReads(reads);
}

AnimationStep StrokeAnimation::next() {
    AnimationStep step;
    switch (phase_) {
        case Phase::Idle:
            if (state_ == kAnimationIdle) return step;  // Sleep
            state_ = kAnimationRunning;
            restart();
            step.kind = AnimationStep::Clear;
            return step;

        case Phase::Strokes: {
            if (stroke_ >= strokes_.size()) {
                phase_ = Phase::Finishing;
                step.kind = AnimationStep::Finished;
                return step;
            }
            const Stroke& stroke = strokes_[stroke_];
            sweep_ = sweepList(stroke);
            line_ = 0;
            phase_ = Phase::Lines;
            step.kind = AnimationStep::FillStroke;
            step.stroke = &stroke;
            step.brown = stroke.colour != 0;
            step.polygon.reserve(stroke.outline.size());
            for (const GlyphPoint& p : stroke.outline) step.polygon.push_back(glyphToCanvas(p));
            return step;
        }

        case Phase::Lines: {
            const Stroke& stroke = strokes_[stroke_];
            if (line_ + 1 < sweep_.size()) {
                step.kind = AnimationStep::DrawLine;
                step.stroke = &stroke;
                step.brown = stroke.colour != 0;
                step.from = glyphToScreen(sweep_[line_], top_);
                step.to = glyphToScreen(sweep_[line_ + 1], top_);
                ++line_;
                passesLeft_ = lineDelay_;
                phase_ = Phase::Passes;
                return step;
            }
            ++stroke_;
            phase_ = Phase::Strokes;
            if (stroke.pause != 0) {
                step.kind = AnimationStep::Pause;
                step.stroke = &stroke;
                return step;
            }
            return next();
        }

        case Phase::Passes:
            // Each pass processes events and then checks the state: a new
            // request restarts the character, a stop returns to idle.
            if (passesLeft_ < lineDelay_ && state_ != kAnimationRunning) {
                phase_ = Phase::Idle;
                return next();
            }
            if (passesLeft_ == 0) {
                phase_ = Phase::Lines;
                return next();
            }
            --passesLeft_;
            step.kind = AnimationStep::ProcessEvents;
            return step;

        case Phase::Finishing:
            // After the final event pass: done, unless that pass brought a
            // new request, which then starts at once rather than being lost.
            if (state_ == kAnimationRunning) state_ = kAnimationIdle;
            phase_ = Phase::Idle;
            return next();
    }
    return step;
}

void StrokeAnimation::restart() {
    auto strokes = file_.lookup(character_);
    strokes_ = strokes ? std::move(*strokes) : std::vector<Stroke>();
    stroke_ = 0;
    line_ = 0;
    sweep_.clear();
    if (strokes) {
        phase_ = Phase::Strokes;
    } else {
        // Not in the file: the box stays blank.
        phase_ = Phase::Idle;
        state_ = kAnimationIdle;
    }
}

bool inStrokeBox(int x, int y, int top) {
    const int dx = x - kStrokeBoxLeft, dy = y - top;
    return dx >= 0 && dx <= 100 && dy >= 0 && dy <= 100;
}

std::string strokeEditorProgram() {
    return (std::filesystem::path("data") / "tramboli").string();
}

std::string strokeEditorArgument(char16_t code) {
    char buffer[16];
    std::snprintf(buffer, sizeof buffer, "%08X", unsigned(code));
    return buffer;
}

void editStrokes(StrokeOrderFile& file, StrokeAnimation& animation, char16_t code,
                 const EditorStarter& start) {
    file.close();
    const auto reopen = [&file, &animation] {
        file.reopen();
        animation.request();
    };
    if (start)
        start(strokeEditorProgram(), strokeEditorArgument(code), reopen);
    else
        reopen();
}

}  // namespace tulvo::characters
