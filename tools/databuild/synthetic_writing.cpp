#include "tools/databuild/synthetic_writing.hpp"

#include <cmath>

namespace tulvo::databuild {

WritingStyle randomStyle(double strength, std::mt19937& rng) {
    auto uniform = [&](double half) {
        return std::uniform_real_distribution<double>(-half, half)(rng) * strength;
    };
    WritingStyle s;
    s.size = 165 + uniform(45);  // 120 .. 210 pixels for the full square
    s.centreX = 100 + uniform(15);
    s.centreY = 100 + uniform(15);
    s.slant = uniform(0.2);
    s.aspect = 1 + uniform(0.15);
    s.rotation = uniform(0.08);
    s.strokeShift = 4 * strength;
    s.strokeResize = 0.08 * strength;
    s.pointNoise = 3 * strength;
    s.mouseNoise = 0.8 * strength;
    s.minStep = 1.5;
    s.maxStep = 1.5 + 10 * strength;
    return s;
}

std::vector<MouseStroke> writeSynthetic(const std::vector<Polyline>& medians,
                                        const WritingStyle& style, std::mt19937& rng) {
    std::normal_distribution<double> gauss(0.0, 1.0);
    std::uniform_real_distribution<double> stepOf(style.minStep, style.maxStep);
    const double scale = style.size / 1024.0;
    const double cosR = std::cos(style.rotation), sinR = std::sin(style.rotation);
    std::vector<MouseStroke> strokes;
    for (const Polyline& median : medians) {
        if (median.empty()) continue;
        // The stroke on the pad, relative to the character's centre (y down).
        Polyline line;
        double cx = 0, cy = 0;
        for (const Point2& p : median) {
            const double x = (p.x - 512) * scale;
            const double y = (388 - p.y) * scale * style.aspect;  // 900 - y - 512
            line.push_back({x - style.slant * y, y});
            cx += line.back().x;
            cy += line.back().y;
        }
        cx /= double(line.size());
        cy /= double(line.size());
        const double resize = 1 + style.strokeResize * gauss(rng);
        const double shiftX = style.strokeShift * gauss(rng),
                     shiftY = style.strokeShift * gauss(rng);
        for (Point2& p : line) {
            const double x = cx + (p.x - cx) * resize + shiftX + style.pointNoise * gauss(rng);
            const double y = cy + (p.y - cy) * resize + shiftY + style.pointNoise * gauss(rng);
            p = {style.centreX + cosR * x + sinR * y, style.centreY - sinR * x + cosR * y};
        }
        // Walk it with an uneven step, as a mouse reports a hand that speeds
        // up and slows down.
        MouseStroke mouse;
        auto emit = [&](Point2 p, double noise) {
            mouse.emplace_back(int(std::nearbyint(p.x + noise * gauss(rng))),
                               int(std::nearbyint(p.y + noise * gauss(rng))));
        };
        emit(line[0], 0);
        double next = stepOf(rng);  // path along the current piece to the next report
        for (size_t i = 1; i < line.size(); ++i) {
            const Point2 a = line[i - 1], b = line[i];
            const double length = std::hypot(b.x - a.x, b.y - a.y);
            for (; next <= length; next += stepOf(rng)) {
                const double t = next / length;
                emit({a.x + t * (b.x - a.x), a.y + t * (b.y - a.y)}, style.mouseNoise);
            }
            next -= length;
        }
        emit(line.back(), 0);
        strokes.push_back(std::move(mouse));
    }
    return strokes;
}

}  // namespace tulvo::databuild
