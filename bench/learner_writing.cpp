#include "bench/learner_writing.hpp"

#include <algorithm>
#include <cmath>
#include <numbers>

namespace tulvo::bench {

using databuild::MouseStroke;
using databuild::Point2;
using databuild::Polyline;

namespace {

struct Hand {
    double minSize, maxSize;  // pad pixels spanned by the data's 1024-unit square
    double offset;            // largest shift of the character's centre, pixels
    double aspect;            // largest relative change of height to width
    double slant;             // largest shear
    double turn;              // largest turn, radians
    double proportion;        // largest move of the middle line between parts, of the half side
    double strokeTurn;        // standard deviation of each stroke's turn, radians
    double strokeShift;       // standard deviation of each stroke's shift, pixels
    double strokeEnds;        // standard deviation of each end's trim or overshoot, of the stroke
    double wander;            // amplitude of a stroke's slow sideways wander, pixels
    double hookDrop;          // chance of leaving off a short final hook
    double rounding;          // chance of rounding a stroke's corners
    double minStep, maxStep;  // pixels of path between reported positions
};

Hand handOf(LearnerStyle style) {
    switch (style) {
        case LearnerStyle::kNeat:
            return {150, 190, 10, 0.08, 0.08, 0.03, 0.04, 0.035, 2, 0.04, 0.8, 0, 0, 2, 5};
        case LearnerStyle::kOrdinary:
            return {120, 200, 18, 0.15, 0.15, 0.06, 0.09, 0.08, 3.5, 0.10, 2, 0.3, 0.3, 2, 9};
        case LearnerStyle::kHasty:
            break;
    }
    return {100, 200, 25, 0.22, 0.22, 0.10, 0.14, 0.12, 5, 0.16, 3, 0.6, 0.6, 3, 14};
}

double pathLength(const Polyline& line) {
    double total = 0;
    for (size_t i = 1; i < line.size(); ++i)
        total += std::hypot(line[i].x - line[i - 1].x, line[i].y - line[i - 1].y);
    return total;
}

// Points every `step` along the line, both ends kept.
Polyline resample(const Polyline& line, double step) {
    Polyline out{line.front()};
    double carried = 0;
    for (size_t i = 1; i < line.size(); ++i) {
        const Point2 a = line[i - 1], b = line[i];
        const double length = std::hypot(b.x - a.x, b.y - a.y);
        double at = step - carried;
        for (; at <= length; at += step) {
            const double t = at / length;
            out.push_back({a.x + t * (b.x - a.x), a.y + t * (b.y - a.y)});
        }
        carried = length - (at - step);
    }
    if (std::hypot(out.back().x - line.back().x, out.back().y - line.back().y) > 1e-9)
        out.push_back(line.back());
    return out;
}

// Leaves off a final piece that is short and turns sharply (a hook).
void dropHook(Polyline& median) {
    if (median.size() < 3) return;
    const size_t n = median.size();
    const Point2 a = median[n - 3], b = median[n - 2], c = median[n - 1];
    const double last = std::hypot(c.x - b.x, c.y - b.y);
    const double before = std::atan2(b.y - a.y, b.x - a.x);
    double bend = std::fabs(std::atan2(c.y - b.y, c.x - b.x) - before);
    if (bend > std::numbers::pi) bend = 2 * std::numbers::pi - bend;
    if (last < 0.2 * pathLength(median) && bend > std::numbers::pi / 3) median.pop_back();
}

// One Chaikin pass: corners cut at a quarter of each piece.
Polyline roundCorners(const Polyline& line) {
    if (line.size() < 3) return line;
    Polyline out{line.front()};
    for (size_t i = 1; i < line.size(); ++i) {
        const Point2 a = line[i - 1], b = line[i];
        if (i > 1) out.push_back({0.75 * a.x + 0.25 * b.x, 0.75 * a.y + 0.25 * b.y});
        if (i + 1 < line.size()) out.push_back({0.25 * a.x + 0.75 * b.x, 0.25 * a.y + 0.75 * b.y});
    }
    out.push_back(line.back());
    return out;
}

// Moves the start and the end along the stroke: positive overshoots past the
// end's direction, negative stops short (never below a fifth of the stroke).
Polyline trimOrExtend(const Polyline& dense, double startChange, double endChange) {
    const double total = pathLength(dense);
    if (dense.size() < 2 || total <= 0) return dense;
    const double spacing = total / double(dense.size() - 1);
    auto cut = [&](double change) {
        return change < 0 ? std::min(size_t(-change * total / spacing), dense.size() / 2 - 1) : 0;
    };
    const size_t from = cut(startChange), drop = cut(endChange);
    Polyline out(dense.begin() + long(from), dense.end() - long(drop));
    if (out.size() < 2) return dense;
    auto extend = [&](Point2 end, Point2 inner, double change) {
        const double dx = end.x - inner.x, dy = end.y - inner.y, d = std::hypot(dx, dy);
        const double by = change * total;
        return d > 0 ? Point2{end.x + dx / d * by, end.y + dy / d * by} : end;
    };
    if (startChange > 0) out.insert(out.begin(), extend(out[0], out[1], startChange));
    if (endChange > 0) out.push_back(extend(out.back(), out[out.size() - 2], endChange));
    return out;
}

}  // namespace

const char* styleName(LearnerStyle style) {
    switch (style) {
        case LearnerStyle::kNeat:
            return "neat";
        case LearnerStyle::kOrdinary:
            return "ordinary";
        case LearnerStyle::kHasty:
            return "hasty";
    }
    return "";
}

std::vector<MouseStroke> writeAsLearner(const std::vector<Polyline>& medians, LearnerStyle style,
                                        std::mt19937& rng) {
    const Hand hand = handOf(style);
    std::normal_distribution<double> gauss(0.0, 1.0);
    std::uniform_real_distribution<double> unit(0.0, 1.0);
    auto within = [&](double half) { return (2 * unit(rng) - 1) * half; };

    const double size = hand.minSize + unit(rng) * (hand.maxSize - hand.minSize);
    const double centreX = 100 + within(hand.offset), centreY = 100 + within(hand.offset);
    const double aspect = 1 + within(hand.aspect), slant = within(hand.slant);
    const double turn = within(hand.turn);
    const double middleX = within(hand.proportion), middleY = within(hand.proportion);
    const double cosT = std::cos(turn), sinT = std::sin(turn);

    // The character in coordinates -1..1 (y down), its parts' proportions
    // changed by moving the middle lines while the edges stay.
    auto place = [&](Point2 p) {
        double u = (p.x - 512) / 512, v = (388 - p.y) / 512;
        u += middleX * (1 - std::min(u * u, 1.0));
        v += middleY * (1 - std::min(v * v, 1.0));
        const double x = u * size / 2, y = v * size / 2 * aspect;
        const double sx = x - slant * y;
        return Point2{centreX + cosT * sx + sinT * y, centreY - sinT * sx + cosT * y};
    };

    std::vector<MouseStroke> strokes;
    for (Polyline median : medians) {
        if (median.empty()) continue;
        if (unit(rng) < hand.hookDrop) dropHook(median);
        Polyline line;
        for (const Point2& p : median) line.push_back(place(p));
        if (unit(rng) < hand.rounding) line = roundCorners(line);
        if (line.size() == 1) line.push_back(line[0]);

        // The stroke turned about its middle, shifted, its ends moved.
        Point2 mid{0, 0};
        for (const Point2& p : line) mid = {mid.x + p.x, mid.y + p.y};
        mid = {mid.x / double(line.size()), mid.y / double(line.size())};
        const double a = hand.strokeTurn * gauss(rng), ca = std::cos(a), sa = std::sin(a);
        const double shiftX = hand.strokeShift * gauss(rng), shiftY = hand.strokeShift * gauss(rng);
        for (Point2& p : line) {
            const double x = p.x - mid.x, y = p.y - mid.y;
            p = {mid.x + ca * x + sa * y + shiftX, mid.y - sa * x + ca * y + shiftY};
        }
        Polyline dense = resample(line, 1.0);
        dense = trimOrExtend(dense, hand.strokeEnds * gauss(rng), hand.strokeEnds * gauss(rng));

        // A slow sideways wander along the path.
        const double amplitude = hand.wander * gauss(rng), waves = 0.5 + 1.5 * unit(rng);
        const double phase = 2 * std::numbers::pi * unit(rng);
        const double total = pathLength(dense);
        double walked = 0;
        Polyline wandering;
        for (size_t i = 0; i < dense.size(); ++i) {
            if (i > 0)
                walked += std::hypot(dense[i].x - dense[i - 1].x, dense[i].y - dense[i - 1].y);
            const size_t j = std::min(i + 1, dense.size() - 1), k = j > 0 ? j - 1 : 0;
            double nx = -(dense[j].y - dense[k].y), ny = dense[j].x - dense[k].x;
            const double d = std::hypot(nx, ny);
            if (d > 0) nx /= d, ny /= d;
            const double t = total > 0 ? walked / total : 0;
            const double off = amplitude * std::sin(2 * std::numbers::pi * waves * t + phase);
            wandering.push_back({dense[i].x + nx * off, dense[i].y + ny * off});
        }

        // The mouse: a position each time the hand has moved a step, the step
        // longer where the hand is fast (the middle of a stroke).
        MouseStroke mouse;
        auto emit = [&](Point2 p) {
            const std::pair<int, int> xy{std::clamp(int(std::lround(p.x)), 0, 199),
                                         std::clamp(int(std::lround(p.y)), 0, 199)};
            if (mouse.empty() || mouse.back() != xy) mouse.push_back(xy);
        };
        emit(wandering.front());
        double since = 0;
        walked = 0;
        double step = hand.minStep;
        for (size_t i = 1; i < wandering.size(); ++i) {
            const double piece = std::hypot(wandering[i].x - wandering[i - 1].x,
                                            wandering[i].y - wandering[i - 1].y);
            since += piece;
            walked += piece;
            if (since >= step) {
                emit(wandering[i]);
                since = 0;
                const double t = total > 0 ? walked / total : 0;
                const double speed = std::sin(std::numbers::pi * std::clamp(t, 0.0, 1.0));
                step =
                    hand.minStep + (hand.maxStep - hand.minStep) * speed * (0.6 + 0.4 * unit(rng));
            }
        }
        emit(wandering.back());
        strokes.push_back(std::move(mouse));
    }
    return strokes;
}

const char* distortionName(Distortion distortion) {
    switch (distortion) {
        case Distortion::kNone:
            return "undistorted";
        case Distortion::kSwapped:
            return "swapped";
        case Distortion::kEarly:
            return "early";
        case Distortion::kJoined:
            return "joined";
        case Distortion::kSplit:
            return "split";
        case Distortion::kUneven:
            return "uneven";
    }
    return "";
}

bool distort(std::vector<MouseStroke>& strokes, Distortion distortion, std::mt19937& rng) {
    const int n = int(strokes.size());
    auto pick = [&](int low, int high) {
        return std::uniform_int_distribution<int>(low, high)(rng);
    };
    switch (distortion) {
        case Distortion::kNone:
            return true;
        case Distortion::kSwapped: {
            if (n < 2) return false;
            const int i = pick(0, n - 2);
            std::swap(strokes[size_t(i)], strokes[size_t(i) + 1]);
            return true;
        }
        case Distortion::kEarly: {
            if (n < 3) return false;
            const int from = pick(2, n - 1);
            const int to = std::max(0, from - pick(2, 3));
            MouseStroke moved = std::move(strokes[size_t(from)]);
            strokes.erase(strokes.begin() + from);
            strokes.insert(strokes.begin() + to, std::move(moved));
            return true;
        }
        case Distortion::kJoined: {
            if (n < 2) return false;
            int best = 0;
            double gap = 1e9;
            for (int i = 0; i + 1 < n; ++i) {
                const auto [x0, y0] = strokes[size_t(i)].back();
                const auto [x1, y1] = strokes[size_t(i) + 1].front();
                const double d = std::hypot(x1 - x0, y1 - y0);
                if (d < gap) gap = d, best = i;
            }
            MouseStroke& first = strokes[size_t(best)];
            const MouseStroke& second = strokes[size_t(best) + 1];
            // The pen travels straight to the next stroke's start, reported every 6 pixels.
            const auto [x0, y0] = first.back();
            const auto [x1, y1] = second.front();
            const int steps = std::max(1, int(gap / 6));
            for (int k = 1; k < steps; ++k)
                first.emplace_back(x0 + (x1 - x0) * k / steps, y0 + (y1 - y0) * k / steps);
            first.insert(first.end(), second.begin(), second.end());
            strokes.erase(strokes.begin() + best + 1);
            return true;
        }
        case Distortion::kSplit: {
            size_t longest = 0;
            for (size_t k = 1; k < strokes.size(); ++k)
                if (strokes[k].size() > strokes[longest].size()) longest = k;
            if (strokes.empty() || strokes[longest].size() < 6) return false;
            MouseStroke& whole = strokes[longest];
            const size_t half = whole.size() / 2;
            MouseStroke rest(whole.begin() + long(half), whole.end());
            whole.resize(half + 1);  // both halves hold the point where the pen lifted
            strokes.insert(strokes.begin() + long(longest) + 1, std::move(rest));
            return true;
        }
        case Distortion::kUneven: {
            std::uniform_real_distribution<double> unit(0.0, 1.0);
            const double slant = (unit(rng) < 0.5 ? -1 : 1) * (0.15 + 0.15 * unit(rng));
            for (MouseStroke& stroke : strokes) {
                double cx = 0, cy = 0;
                for (const auto& [x, y] : stroke) cx += x, cy += y;
                cx /= double(stroke.size());
                cy /= double(stroke.size());
                const double scale = 0.7 + 0.6 * unit(rng);
                const double shiftX = 12 * (2 * unit(rng) - 1), shiftY = 12 * (2 * unit(rng) - 1);
                for (auto& [x, y] : stroke) {
                    const double px = cx + (x - cx) * scale + shiftX;
                    const double py = cy + (y - cy) * scale + shiftY;
                    x = std::clamp(int(std::lround(px - slant * (py - 100))), 0, 199);
                    y = std::clamp(int(std::lround(py)), 0, 199);
                }
            }
            return true;
        }
    }
    return false;
}

std::string zinniaLine(const std::vector<MouseStroke>& strokes) {
    std::string line = "(character (width 200)(height 200)(strokes";
    for (const MouseStroke& stroke : strokes) {
        line += " (";
        for (const auto& [x, y] : stroke)
            line += "(" + std::to_string(x) + " " + std::to_string(y) + ")";
        line += ")";
    }
    return line + "))";
}

}  // namespace tulvo::bench
