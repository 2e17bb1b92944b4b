// The stroke-order animation as a state machine without any drawing: the
// loop that drives it (the program's idle loop) asks for the next step and
// carries it out: sleep and process events while idle, clear the box, fill
// a stroke into the canvas, draw one line of a sweep, process events, pause.
// Requests and stops from event handlers only change the state, which the
// machine acts on at its next check.
#pragma once

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

#include "characters/stroke_order.hpp"

namespace tulvo::characters {

// The animation state: idle, animating, or a new animation requested.
inline constexpr int kAnimationIdle = 0;
inline constexpr int kAnimationRunning = 1;
inline constexpr int kAnimationRequested = -1;

// Line delay D from the number of millisecond-clock reads that fit into
// 100 ms: reads x 2 / 100, to the nearest integer, halves to even.
int lineDelayFromReads(uint64_t reads);
// Counts clock reads until more than 100 ms have passed and returns D.
// `clock` returns milliseconds; by default a steady clock.
int measureLineDelay(const std::function<uint64_t()>& clock = {});

struct AnimationStep {
    enum Kind {
        Sleep,          // idle: sleep 30 ms, then process all pending events
        Clear,          // fill the canvas and the screen box white
        FillStroke,     // fill `stroke`'s canvas polygon in its colour, reduce the canvas
        DrawLine,       // draw from -> to on the screen in the stroke's colour
        ProcessEvents,  // process all pending events (the state is checked next)
        Pause,          // sleep 200 ms after a stroke with the pause flag
        Finished        // the character is drawn: process events once
    };
    Kind kind = Sleep;
    const Stroke* stroke = nullptr;   // FillStroke, DrawLine, Pause
    std::vector<GlyphPoint> polygon;  // FillStroke: the outline on the canvas
    GlyphPoint from, to;              // DrawLine: screen points
    bool brown = false;               // FillStroke, DrawLine
};

class StrokeAnimation {
  public:
    StrokeAnimation(const StrokeOrderFile& file, int lineDelay)
        : file_(file), lineDelay_(lineDelay) {}

    // From the event handlers.
    void request() { state_ = kAnimationRequested; }
    void stop() { state_ = kAnimationIdle; }
    int state() const { return state_; }

    // The character the box shows; its animation starts with the next
    // request.
    void setCharacter(char16_t code) { character_ = code; }
    char16_t character() const { return character_; }
    // The box's top edge in the main window (its left edge is fixed).
    void setBoxTop(int top) { top_ = top; }
    int lineDelay() const { return lineDelay_; }

    // The next thing the loop does. A step's stroke stays valid until the
    // next call.
    AnimationStep next();

  private:
    enum class Phase { Idle, Strokes, Lines, Passes, Finishing };
    void restart();

    const StrokeOrderFile& file_;
    int lineDelay_ = 0;
    int state_ = kAnimationIdle;
    char16_t character_ = 0;
    int top_ = 0;

    Phase phase_ = Phase::Idle;
    std::vector<Stroke> strokes_;
    size_t stroke_ = 0;
    std::vector<GlyphPoint> sweep_;
    size_t line_ = 0;
    int passesLeft_ = 0;
};

// The inside of the stroke box: a press at (x, y) in the main window, with
// the box's top edge at `top`.
bool inStrokeBox(int x, int y, int top);

// The stroke editor's program (relative to the program directory) and its
// one argument, the character's code as 8 upper-case hexadecimal digits.
std::string strokeEditorProgram();
std::string strokeEditorArgument(char16_t code);

// Starts the stroke editor with its argument and calls `ended` once it has
// finished (at once when it cannot start).
using EditorStarter = std::function<void(const std::string& program, const std::string& argument,
                                         std::function<void()> ended)>;

// "Edit strokes animation": closes the file and starts the editor; when it
// has ended, opens the file again and requests an animation.
void editStrokes(StrokeOrderFile& file, StrokeAnimation& animation, char16_t code,
                 const EditorStarter& start);

}  // namespace tulvo::characters
