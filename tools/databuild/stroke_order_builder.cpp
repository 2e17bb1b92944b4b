#include "tools/databuild/stroke_order_builder.hpp"

#include <algorithm>
#include <cctype>
#include <charconv>
#include <cmath>

#include "platform/unicode_text.hpp"
#include "tools/databuild/composed_strokes.hpp"

namespace tulvo::databuild {

namespace {

// The numbers and commands of an SVG path.
class PathReader {
  public:
    explicit PathReader(std::string_view text) : text_(text) {}

    // The next command letter, or 0 at the end; '?' for anything else.
    char command() {
        skipSpace();
        if (at_ >= text_.size()) return 0;
        const char c = text_[at_];
        if (std::isalpha(static_cast<unsigned char>(c))) {
            ++at_;
            return c;
        }
        return '?';
    }
    std::optional<double> number() {
        skipSpace();
        double value = 0;
        const auto [end, ec] =
            std::from_chars(text_.data() + at_, text_.data() + text_.size(), value);
        if (ec != std::errc()) return std::nullopt;
        at_ = size_t(end - text_.data());
        return value;
    }

  private:
    void skipSpace() {
        while (at_ < text_.size() && (text_[at_] == ' ' || text_[at_] == ',' || text_[at_] == '\n'))
            ++at_;
    }
    std::string_view text_;
    size_t at_ = 0;
};

struct Point {
    double x = 0, y = 0;
};

// A closed path's points in source units, each curve cut into `pieces`
// straight pieces.
std::optional<std::vector<Point>> pathPoints(std::string_view path, int pieces) {
    PathReader reader(path);
    std::vector<Point> points;
    Point current;
    auto readPoint = [&](Point& p) {
        const auto x = reader.number();
        const auto y = reader.number();
        if (!x || !y) return false;
        p = {*x, *y};
        return true;
    };
    for (char command = reader.command(); command != 0; command = reader.command()) {
        Point a, b, c;
        switch (command) {
            case 'M':
            case 'L':
                if (!readPoint(a)) return std::nullopt;
                points.push_back(a);
                current = a;
                break;
            case 'Q':
                if (!readPoint(a) || !readPoint(b)) return std::nullopt;
                for (int i = 1; i <= pieces; ++i) {
                    const double t = double(i) / pieces, u = 1 - t;
                    points.push_back({u * u * current.x + 2 * u * t * a.x + t * t * b.x,
                                      u * u * current.y + 2 * u * t * a.y + t * t * b.y});
                }
                current = b;
                break;
            case 'C':
                if (!readPoint(a) || !readPoint(b) || !readPoint(c)) return std::nullopt;
                for (int i = 1; i <= pieces; ++i) {
                    const double t = double(i) / pieces, u = 1 - t;
                    points.push_back({u * u * u * current.x + 3 * u * u * t * a.x +
                                          3 * u * t * t * b.x + t * t * t * c.x,
                                      u * u * u * current.y + 3 * u * u * t * a.y +
                                          3 * u * t * t * b.y + t * t * t * c.y});
                }
                current = c;
                break;
            case 'Z':
                break;
            default:
                return std::nullopt;
        }
    }
    return points;
}

int toGlyph(double value) {
    const long rounded = std::lround(value * 256.0 / 1024.0);
    return int(std::clamp<long>(rounded, 0, 255));
}

std::vector<characters::GlyphPoint> glyphPolygon(const std::vector<Point>& points) {
    std::vector<characters::GlyphPoint> polygon;
    for (const Point& p : points) {
        const characters::GlyphPoint g{toGlyph(p.x), toGlyph(900 - p.y)};
        if (polygon.empty() || polygon.back() != g) polygon.push_back(g);
    }
    while (polygon.size() > 1 && polygon.back() == polygon.front()) polygon.pop_back();
    characters::closeOutline(polygon);
    return polygon;
}

}  // namespace

std::optional<std::vector<characters::GlyphPoint>> flattenOutline(std::string_view path) {
    constexpr size_t kMostPoints = 127;
    std::vector<characters::GlyphPoint> polygon;
    for (int pieces = 4; pieces >= 1; --pieces) {
        const auto points = pathPoints(path, pieces);
        if (!points || points->empty()) return std::nullopt;
        polygon = glyphPolygon(*points);
        if (polygon.size() <= kMostPoints) return polygon;
    }
    // Still too many corners: keep every k-th, then close again.
    polygon.pop_back();
    const size_t keep = kMostPoints - 1;
    std::vector<characters::GlyphPoint> fewer;
    for (size_t i = 0; i < keep; ++i) fewer.push_back(polygon[i * polygon.size() / keep]);
    characters::closeOutline(fewer);
    return fewer;
}

int sweepDirection(const std::vector<std::pair<double, double>>& median) {
    if (median.size() < 2) return characters::kLeftToRight;
    const double dx = median.back().first - median.front().first;
    const double down = median.front().second - median.back().second;  // y up in the source
    if (dx == 0 && down == 0) return characters::kLeftToRight;
    const double eighth = std::atan2(down, dx) / (M_PI / 4);
    const long octant = ((std::lround(eighth) % 8) + 8) % 8;
    return int(octant) + 1;
}

std::optional<std::vector<characters::Stroke>> strokesFromJson(std::string_view json,
                                                               std::string* error) {
    const auto source = sourceCharacterFromJson(json, error);
    if (!source) return std::nullopt;
    if (source->size() > 255) {
        if (error) *error = "more than 255 strokes";
        return std::nullopt;
    }
    std::vector<characters::Stroke> result;
    for (size_t i = 0; i < source->size(); ++i) {
        const SourceStroke& from = (*source)[i];
        auto outline = flattenOutline(from.path);
        if (!outline) {
            if (error) *error = "stroke " + std::to_string(i) + ": cannot read the outline";
            return std::nullopt;
        }
        characters::Stroke stroke;
        stroke.direction = uint8_t(sweepDirection(from.median));
        // A short pause between strokes shows where one ends and the next
        // begins; none after the last, where the animation ends anyway.
        stroke.pause = i + 1 < source->size() ? 1 : 0;
        stroke.colour = from.radical ? 1 : 0;
        stroke.outline = std::move(*outline);
        result.push_back(std::move(stroke));
    }
    return result;
}

std::vector<std::string> strokeOrderFileProblems(
    const std::filesystem::path& file,
    const std::vector<characters::CharacterStrokes>& characters) {
    namespace ch = tulvo::characters;
    std::vector<std::string> failures;
    const ch::StrokeOrderFile strokes(file);
    if (strokes.count() != characters.size())
        failures.push_back("the character count reads back wrong");
    size_t wrong = 0;
    for (const auto& character : characters) {
        const auto read = strokes.lookup(character.code);
        if (!read || read->size() != character.strokes.size()) {
            ++wrong;
            continue;
        }
        for (size_t i = 0; i < read->size(); ++i) {
            const auto& a = (*read)[i];
            const auto& b = character.strokes[i];
            if (a.direction != b.direction || a.pause != b.pause || a.colour != b.colour ||
                a.outline != b.outline) {
                ++wrong;
                break;
            }
        }
    }
    if (wrong > 0) failures.push_back(std::to_string(wrong) + " characters read back wrong");
    // 一 is one stroke written left to right, swept from its left end.
    const auto one = strokes.lookup(u'一');
    if (!one || one->size() != 1 || (*one)[0].direction != ch::kLeftToRight) {
        failures.push_back("一 is not one stroke written left to right");
    } else {
        const auto sweep = ch::sweepList((*one)[0]);
        if (sweep.size() < 4 || sweep.front().x >= sweep.back().x)
            failures.push_back("一 is not swept left to right");
    }
    // 好: six strokes, the first three (女, its radical) brown.
    const auto good = strokes.lookup(u'好');
    if (!good || good->size() != 6 || !(*good)[0].colour || (*good)[5].colour)
        failures.push_back("好 has not six strokes with its radical's in brown");
    return failures;
}

}  // namespace tulvo::databuild
