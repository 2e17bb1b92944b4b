#include "tools/databuild/composed_strokes.hpp"

#include <algorithm>
#include <cctype>
#include <charconv>
#include <cmath>
#include <functional>
#include <set>
#include <sstream>

#include "tools/databuild/json.hpp"
#include "tools/databuild/text_helpers.hpp"

namespace tulvo::databuild {

using namespace source_text;

std::optional<SourceCharacter> sourceCharacterFromJson(std::string_view json, std::string* error) {
    auto fail = [&](const std::string& message) {
        if (error) *error = message;
        return std::nullopt;
    };
    std::string parseError;
    const auto value = parseJson(json, &parseError);
    if (!value) return fail(parseError);
    const JsonValue* strokesValue = value->member("strokes");
    const JsonValue* mediansValue = value->member("medians");
    const auto* strokes = strokesValue ? strokesValue->array() : nullptr;
    const auto* medians = mediansValue ? mediansValue->array() : nullptr;
    if (!strokes || !medians || strokes->size() != medians->size())
        return fail("strokes and medians do not pair up");
    SourceCharacter character(strokes->size());
    for (size_t i = 0; i < strokes->size(); ++i) {
        const std::string* path = (*strokes)[i].string();
        const auto* points = (*medians)[i].array();
        if (!path || !points) return fail("stroke " + std::to_string(i) + " is not a path");
        character[i].path = *path;
        for (const JsonValue& point : *points) {
            const auto* xy = point.array();
            if (!xy || xy->size() != 2 || !(*xy)[0].number() || !(*xy)[1].number())
                return fail("stroke " + std::to_string(i) + ": a median point is not [x, y]");
            character[i].median.emplace_back(*(*xy)[0].number(), *(*xy)[1].number());
        }
    }
    if (const JsonValue* rad = value->member("radStrokes"); rad && rad->array())
        for (const JsonValue& index : *rad->array())
            if (const double* i = index.number(); i && *i >= 0 && *i < double(character.size()))
                character[size_t(*i)].radical = true;
    return character;
}

namespace {

std::string number(double value) {
    const long rounded = std::lround(value);
    return std::to_string(rounded);
}

}  // namespace

std::string sourceCharacterJson(const SourceCharacter& character) {
    std::string out = "{\"strokes\": [";
    for (size_t i = 0; i < character.size(); ++i)
        out += (i ? ", \"" : "\"") + character[i].path + "\"";
    out += "], \"medians\": [";
    for (size_t i = 0; i < character.size(); ++i) {
        out += i ? ", [" : "[";
        for (size_t k = 0; k < character[i].median.size(); ++k)
            out += (k ? ", [" : "[") + number(character[i].median[k].first) + ", " +
                   number(character[i].median[k].second) + "]";
        out += "]";
    }
    out += "], \"radStrokes\": [";
    bool first = true;
    for (size_t i = 0; i < character.size(); ++i)
        if (character[i].radical) {
            out += (first ? "" : ", ") + std::to_string(i);
            first = false;
        }
    out += "]}";
    return out;
}

namespace {

// Calls fn(command, numbers) for each command of a path.
template <typename Fn>
bool forEachCommand(std::string_view path, Fn&& fn) {
    size_t at = 0;
    char command = 0;
    std::vector<double> numbers;
    auto flush = [&] {
        if (command) fn(command, numbers);
        numbers.clear();
    };
    while (at < path.size()) {
        const char c = path[at];
        if (c == ' ' || c == ',' || c == '\n') {
            ++at;
        } else if (std::isalpha(static_cast<unsigned char>(c))) {
            flush();
            command = c;
            ++at;
        } else {
            double value = 0;
            const auto [end, ec] =
                std::from_chars(path.data() + at, path.data() + path.size(), value);
            if (ec != std::errc()) return false;
            numbers.push_back(value);
            at = size_t(end - path.data());
        }
    }
    flush();
    return true;
}

}  // namespace

std::string transformPath(std::string_view path, const Affine& affine) {
    std::string out;
    forEachCommand(path, [&](char command, const std::vector<double>& numbers) {
        if (!out.empty()) out += ' ';
        out += command;
        for (size_t i = 0; i + 1 < numbers.size(); i += 2)
            out += ' ' + number(affine.sx * numbers[i] + affine.tx) + ' ' +
                   number(affine.sy * numbers[i + 1] + affine.ty);
    });
    return out;
}

namespace {

// A box in source units, y up.
struct Box {
    double x0 = 1e9, y0 = 1e9, x1 = -1e9, y1 = -1e9;
    bool empty() const { return x1 < x0 || y1 < y0; }
    void add(double x, double y) {
        x0 = std::min(x0, x), x1 = std::max(x1, x);
        y0 = std::min(y0, y), y1 = std::max(y1, y);
    }
    double cx() const { return (x0 + x1) / 2; }
    double cy() const { return (y0 + y1) / 2; }
};

// The square the source draws in, and a box in it from fractions of its
// width from the left (u) and of its height from the top (v).
constexpr double kTop = 900, kSize = 1024;
Box unitBox(double u0, double v0, double u1, double v1) {
    Box box;
    box.add(u0 * kSize, kTop - v1 * kSize);
    box.add(u1 * kSize, kTop - v0 * kSize);
    return box;
}

Box boxOf(const SourceCharacter& strokes) {
    Box box;
    for (const SourceStroke& stroke : strokes)
        forEachCommand(stroke.path, [&](char, const std::vector<double>& numbers) {
            for (size_t i = 0; i + 1 < numbers.size(); i += 2) box.add(numbers[i], numbers[i + 1]);
        });
    return box;
}

// The move that puts `from` into `to`, keeping the proportions within a
// factor of three of the original (a part above another is flattened about
// that much), centred.
Affine fit(const Box& from, const Box& to) {
    const double fw = std::max(from.x1 - from.x0, 1.0), fh = std::max(from.y1 - from.y0, 1.0);
    const double tw = to.x1 - to.x0, th = to.y1 - to.y0;
    double sx = tw / fw, sy = th / fh;
    // A thin part (一, 丨) keeps its thickness in the thin direction.
    if (fw < 0.15 * kSize) sx = std::min(sx, sy);
    if (fh < 0.15 * kSize) sy = std::min(sy, sx);
    sx = std::min(sx, 3 * sy);
    sy = std::min(sy, 3 * sx);
    Affine a;
    a.sx = sx, a.sy = sy;
    a.tx = to.cx() - sx * from.cx();
    a.ty = to.cy() - sy * from.cy();
    return a;
}

SourceStroke moved(const SourceStroke& stroke, const Affine& a) {
    SourceStroke out;
    out.path = transformPath(stroke.path, a);
    for (const auto& [x, y] : stroke.median)
        out.median.emplace_back(a.sx * x + a.tx, a.sy * y + a.ty);
    return out;
}

struct Layout {
    std::string type;  // without its "/..." variant
    std::vector<std::string> parts;
};

// Layouts of the decomposition text, the parts as written (repetitions
// opened like parseCjkDecomp).
std::map<std::string, Layout> parseLayouts(const Decompositions& decompositions,
                                           const std::string& text) {
    std::map<std::string, Layout> layouts;
    forEachLine(text, [&](std::string_view line) {
        const size_t colon = line.find(':');
        const size_t open = line.find('(', colon == std::string_view::npos ? 0 : colon);
        if (colon == std::string_view::npos || open == std::string_view::npos) return;
        std::string_view type = line.substr(colon + 1, open - colon - 1);
        type = type.substr(0, type.find('/'));
        const std::string key(line.substr(0, colon));
        const auto parts = decompositions.find(key);
        if (parts == decompositions.end()) return;
        layouts[key] = {std::string(type), parts->second};
    });
    return layouts;
}

enum class Kind { Across, Down, Triangle, Square, Surround, None };

Kind kindOf(const std::string& type) {
    if (type == "a" || type == "ra" || type == "r3a") return Kind::Across;
    if (type == "d" || type == "rd" || type == "r3d") return Kind::Down;
    if (type == "r3tr") return Kind::Triangle;
    if (type == "r4sq") return Kind::Square;
    if (type == "s" || type == "rs" || type == "st" || type == "sb" || type == "sl" ||
        type == "stl" || type == "str" || type == "sbl" || type == "w")
        return Kind::Surround;
    return Kind::None;
}

// Where the inner part of an enclosure usually stands, when no character of
// the source shows it.
Box innerBox(const std::string& type) {
    if (type == "s" || type == "rs") return unitBox(0.25, 0.22, 0.75, 0.78);
    if (type == "st") return unitBox(0.27, 0.32, 0.73, 0.9);
    if (type == "sb") return unitBox(0.22, 0.06, 0.78, 0.68);
    if (type == "sl") return unitBox(0.32, 0.2, 0.9, 0.8);
    if (type == "stl") return unitBox(0.38, 0.36, 0.94, 0.94);
    if (type == "str") return unitBox(0.1, 0.36, 0.68, 0.88);
    if (type == "sbl") return unitBox(0.36, 0.06, 0.94, 0.7);
    return unitBox(0.3, 0.3, 0.7, 0.7);  // w: within
}

// The outer parts written after what they enclose.
bool writtenLast(const std::string& token) {
    static const std::set<std::string> last = {"辶", "⻌", "⻍", "⻎", "廴", "凵"};
    return last.count(token) > 0;
}

// The order in which the parts' strokes are written: part by part, but an
// enclosure's inner part goes before 辶, 廴 and 凵, and inside 囗 before its
// closing stroke.
std::vector<std::pair<size_t, size_t>> writingOrder(const std::string& type,
                                                    const std::vector<std::string>& tokens,
                                                    const std::vector<size_t>& counts) {
    std::vector<std::pair<size_t, size_t>> order;  // (part, stroke)
    auto all = [&](size_t part, size_t from, size_t to) {
        for (size_t k = from; k < to; ++k) order.emplace_back(part, k);
    };
    if (kindOf(type) == Kind::Surround && counts.size() == 2) {
        if ((type == "sbl" || type == "sb") && writtenLast(tokens[0])) {
            all(1, 0, counts[1]);
            all(0, 0, counts[0]);
            return order;
        }
        if ((type == "s" || type == "rs") && counts[0] >= 2) {
            all(0, 0, counts[0] - 1);
            all(1, 0, counts[1]);
            all(0, counts[0] - 1, counts[0]);
            return order;
        }
    }
    for (size_t part = 0; part < counts.size(); ++part) all(part, 0, counts[part]);
    return order;
}

// A part as it is drawn inside a character of the source.
struct PartUse {
    char32_t donor = 0;
    std::vector<size_t> strokes;
};

class Composer {
  public:
    Composer(const CompositionSources& sources, std::map<std::string, Layout> layouts)
        : sources_(sources), layouts_(std::move(layouts)) {
        collectUses();
    }

    std::optional<SourceCharacter> compose(const std::string& token, int depth = 0) {
        if (const auto it = done_.find(token); it != done_.end()) return it->second;
        std::optional<SourceCharacter> result;
        if (depth <= 6) result = build(token, depth);
        done_[token] = result;
        return result;
    }

  private:
    const SourceCharacter* source(const std::string& token) const {
        const std::u32string codes = codePoints(token);
        if (codes.size() != 1) return nullptr;
        const auto it = sources_.strokes->find(codes[0]);
        return it == sources_.strokes->end() ? nullptr : &it->second;
    }

    // Records, for every character of the source whose parts' strokes add up
    // to its own, which of its strokes each part is.
    void collectUses() {
        for (const auto& [code, strokes] : *sources_.strokes) {
            const auto layout = layouts_.find(toUtf8(code));
            if (layout == layouts_.end()) continue;
            const Layout& l = layout->second;
            const Kind kind = kindOf(l.type);
            if (kind == Kind::None || l.parts.size() < 2) continue;
            if (kind == Kind::Surround && l.parts.size() != 2) continue;
            std::vector<size_t> counts;
            for (const std::string& part : l.parts) {
                const SourceCharacter* own = source(part);
                if (!own) break;
                counts.push_back(own->size());
            }
            if (counts.size() != l.parts.size()) continue;
            size_t total = 0;
            for (size_t n : counts) total += n;
            if (total != strokes.size()) continue;
            std::vector<PartUse> uses(counts.size());
            size_t index = 0;
            for (const auto& [part, k] : writingOrder(l.type, l.parts, counts)) {
                uses[part].donor = code;
                uses[part].strokes.push_back(index++);
            }
            // Side by side and one above the other, the parts must follow
            // in their order, or the strokes do not split as assumed.
            std::vector<Box> boxes;
            for (const PartUse& use : uses) boxes.push_back(boxOfUse(use));
            bool ordered = true;
            for (size_t i = 1; i < boxes.size(); ++i) {
                if (kind == Kind::Across && boxes[i].cx() <= boxes[i - 1].cx()) ordered = false;
                if (kind == Kind::Down && boxes[i].cy() >= boxes[i - 1].cy()) ordered = false;
            }
            if (!ordered) continue;
            for (size_t i = 0; i < uses.size(); ++i)
                uses_.emplace(std::make_tuple(l.type, i, l.parts[i]), uses[i]);
        }
    }

    Box boxOfUse(const PartUse& use) const {
        const SourceCharacter& donor = sources_.strokes->at(use.donor);
        SourceCharacter part;
        for (size_t k : use.strokes) part.push_back(donor[k]);
        return boxOf(part);
    }

    std::optional<SourceCharacter> build(const std::string& token, int depth) {
        if (const SourceCharacter* own = source(token)) return *own;
        const std::u32string codes = codePoints(token);
        // A radical form or stroke symbol the source lacks, as its character.
        if (codes.size() == 1 && sources_.equivalents) {
            const char32_t shown = shownPart(codes[0], *sources_.equivalents);
            if (shown != 0 && shown != codes[0]) return compose(toUtf8(shown), depth + 1);
        }
        const auto layout = layouts_.find(token);
        if (layout == layouts_.end()) return std::nullopt;
        const Layout& l = layout->second;
        const Kind kind = kindOf(l.type);
        const size_t n = l.parts.size();
        if (kind == Kind::None || n < 2 || (kind == Kind::Surround && n != 2) ||
            (kind == Kind::Triangle && n != 3) || (kind == Kind::Square && n != 4))
            return std::nullopt;

        // Each part's strokes, and the box they are drawn in: as in a
        // character of the source that has the part in the same place, or
        // its own strokes.
        std::vector<SourceCharacter> parts(n);
        std::vector<std::optional<Box>> placed(n);
        std::vector<std::string> drawnIn(l.parts);  // the character the strokes come from
        for (size_t i = 0; i < n; ++i) {
            const auto use = uses_.find(std::make_tuple(l.type, i, l.parts[i]));
            if (use != uses_.end()) {
                drawnIn[i] = toUtf8(use->second.donor);
                const SourceCharacter& donor = sources_.strokes->at(use->second.donor);
                for (size_t k : use->second.strokes) parts[i].push_back(donor[k]);
                placed[i] = boxOf(parts[i]);
            } else {
                auto own = compose(l.parts[i], depth + 1);
                if (!own || own->empty()) return std::nullopt;
                parts[i] = std::move(*own);
            }
        }
        const std::vector<Box> boxes = targetBoxes(l, kind, parts, placed);
        std::vector<size_t> counts;
        for (size_t i = 0; i < n; ++i) {
            if (!placed[i]) {
                const Affine a = fit(boxOf(parts[i]), boxes[i]);
                for (SourceStroke& stroke : parts[i]) stroke = moved(stroke, a);
            }
            counts.push_back(parts[i].size());
        }
        // The character's radical part is drawn brown; where the radical lies
        // inside a part filed under the same radical (藻 = 艹 + 澡 filed
        // under 艸 … or 㶉 = 氵 + …), that part's own radical strokes are.
        const std::u32string self = codePoints(token);
        std::vector<int> radicalPart(n, 0);  // 1 whole part, 2 its own marks
        bool any = false;
        for (size_t i = 0; i < n; ++i)
            if (self.size() == 1 && isRadicalPart(self[0], l.parts[i]))
                radicalPart[i] = 1, any = true;
        if (!any && self.size() == 1)
            for (size_t i = 0; i < n; ++i)
                if (sameRadical(self[0], l.parts[i])) radicalPart[i] = 2;
        SourceCharacter result;
        for (const auto& [part, k] : writingOrder(l.type, l.parts, counts)) {
            SourceStroke stroke = parts[part][k];
            // The part's own radical strokes: as its own data marks them
            // (the same strokes in the same order), or as the character it
            // was drawn in does when that is filed under the radical too.
            bool ownMark = false;
            if (radicalPart[part] == 2) {
                const SourceCharacter* own = source(l.parts[part]);
                if (own && own->size() == parts[part].size())
                    ownMark = (*own)[k].radical;
                else if (drawnIn[part] == l.parts[part] || sameRadical(self[0], drawnIn[part]))
                    ownMark = stroke.radical;
            }
            stroke.radical = radicalPart[part] == 1 || ownMark;
            result.push_back(std::move(stroke));
        }
        return result;
    }

    // Whether a part is filed under the character's radical.
    bool sameRadical(char32_t character, const std::string& token) const {
        const std::u32string codes = codePoints(token);
        if (codes.size() != 1) return false;
        const auto own = sources_.radicals.find(character);
        const auto part = sources_.radicals.find(codes[0]);
        return own != sources_.radicals.end() && part != sources_.radicals.end() &&
               part->second.first == own->second.first;
    }

    bool isRadicalPart(char32_t character, const std::string& token) const {
        std::u32string codes = codePoints(token);
        if (codes.size() != 1) return false;
        const auto own = sources_.radicals.find(character);
        if (own == sources_.radicals.end()) return false;
        // A radical form as its ideograph (⺮ 竹).
        if (sources_.equivalents)
            if (const char32_t shown = shownPart(codes[0], *sources_.equivalents); shown != 0)
                codes[0] = shown;
        if (codes[0] == own->second.first) return true;
        const auto part = sources_.radicals.find(codes[0]);
        return part != sources_.radicals.end() && part->second.first == own->second.first &&
               part->second.second;
    }

    // The box of each part: where the source draws it, or its share of the
    // square by the layout, side by side and one above the other by stroke
    // counts, next to the parts placed already.
    std::vector<Box> targetBoxes(const Layout& l, Kind kind,
                                 const std::vector<SourceCharacter>& parts,
                                 const std::vector<std::optional<Box>>& placed) const {
        const size_t n = parts.size();
        std::vector<Box> boxes(n);
        if (kind == Kind::Across || kind == Kind::Down) {
            // Shares of the square by stroke count, softened.
            double weights = 0;
            for (const auto& part : parts) weights += double(part.size()) + 3;
            constexpr double kMargin = 0.06, kGap = 0.02;
            const double room = 1 - 2 * kMargin - kGap * double(n - 1);
            double at = kMargin;
            for (size_t i = 0; i < n; ++i) {
                const double share = room * (double(parts[i].size()) + 3) / weights;
                boxes[i] = kind == Kind::Across ? unitBox(at, kMargin, at + share, 1 - kMargin)
                                                : unitBox(kMargin, at, 1 - kMargin, at + share);
                at += share + kGap;
            }
            // Next to a part the source places, the others take the rest.
            if (n == 2 && (placed[0].has_value() != placed[1].has_value())) {
                const size_t fixed = placed[0] ? 0 : 1, free = 1 - fixed;
                const Box& p = *placed[fixed];
                const double gap = kGap * kSize;
                Box& b = boxes[free];
                if (kind == Kind::Across) {
                    if (free == 1)
                        b.x0 = std::min(p.x1 + gap, kSize * (1 - kMargin) - 300);
                    else
                        b.x1 = std::max(p.x0 - gap, kSize * kMargin + 300);
                } else {
                    if (free == 1)
                        b.y1 = std::max(p.y0 - gap, kTop - kSize * (1 - kMargin) + 300);
                    else
                        b.y0 = std::min(p.y1 + gap, kTop - kSize * kMargin - 300);
                }
            }
        } else if (kind == Kind::Triangle) {
            boxes = {unitBox(0.25, 0.06, 0.75, 0.48), unitBox(0.06, 0.52, 0.48, 0.94),
                     unitBox(0.52, 0.52, 0.94, 0.94)};
        } else if (kind == Kind::Square) {
            boxes = {unitBox(0.06, 0.06, 0.48, 0.48), unitBox(0.52, 0.06, 0.94, 0.48),
                     unitBox(0.06, 0.52, 0.48, 0.94), unitBox(0.52, 0.52, 0.94, 0.94)};
        } else {
            boxes = {unitBox(0.06, 0.06, 0.94, 0.94), innerBox(l.type)};
            // The inner part where characters with the same enclosure have it.
            if (const auto inner = innerBoxes_.find({l.type, l.parts[0]});
                inner != innerBoxes_.end())
                boxes[1] = inner->second;
        }
        return boxes;
    }

  public:
    // The usual box of what each enclosure holds, from the source.
    void collectInnerBoxes() {
        std::map<std::pair<std::string, std::string>, std::pair<Box, int>> sums;
        for (const auto& [key, use] : uses_) {
            const auto& [type, position, token] = key;
            if (kindOf(type) != Kind::Surround || position != 1) continue;
            const auto layout = layouts_.find(toUtf8(use.donor));
            if (layout == layouts_.end()) continue;
            const Box b = boxOfUse(use);
            auto& [sum, count] = sums[{type, layout->second.parts[0]}];
            if (count == 0) sum = {0, 0, 0, 0};
            sum.x0 += b.x0, sum.y0 += b.y0, sum.x1 += b.x1, sum.y1 += b.y1;
            ++count;
        }
        for (auto& [key, value] : sums) {
            auto& [sum, count] = value;
            innerBoxes_[key] = {sum.x0 / count, sum.y0 / count, sum.x1 / count, sum.y1 / count};
        }
    }

  private:
    const CompositionSources& sources_;
    std::map<std::string, Layout> layouts_;
    std::multimap<std::tuple<std::string, size_t, std::string>, PartUse> uses_;
    std::map<std::pair<std::string, std::string>, Box> innerBoxes_;
    std::map<std::string, std::optional<SourceCharacter>> done_;
};

}  // namespace

std::map<char32_t, SourceCharacter> composeCharacters(const CompositionSources& sources,
                                                      const std::string& decompositionText,
                                                      const std::vector<char32_t>& wanted) {
    Composer composer(sources, parseLayouts(*sources.decompositions, decompositionText));
    composer.collectInnerBoxes();
    std::map<char32_t, SourceCharacter> composed;
    for (char32_t code : wanted) {
        if (sources.strokes->count(code) || composed.count(code)) continue;
        auto strokes = composer.compose(toUtf8(code));
        if (strokes && !strokes->empty() && strokes->size() <= 255)
            composed[code] = std::move(*strokes);
    }
    return composed;
}

}  // namespace tulvo::databuild
