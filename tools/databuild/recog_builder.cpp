#include "tools/databuild/recog_builder.hpp"

#include <algorithm>
#include <cmath>
#include <map>
#include <random>

#include "characters/char_types.hpp"
#include "handwriting/features.hpp"
#include "handwriting/matcher.hpp"
#include "platform/unicode_text.hpp"
#include "tools/databuild/json.hpp"
#include "tools/databuild/output_file.hpp"
#include "tools/databuild/synthetic_writing.hpp"

namespace fs = std::filesystem;
using namespace tulvo::handwriting;

namespace tulvo::databuild {

std::optional<std::vector<Polyline>> mediansFromJson(std::string_view json, std::string* error) {
    const auto doc = parseJson(json, error);
    if (!doc) return std::nullopt;
    const JsonValue* medians = doc->member("medians");
    const auto* strokes = medians ? medians->array() : nullptr;
    if (!strokes || strokes->empty()) {
        if (error) *error = "no \"medians\" array";
        return std::nullopt;
    }
    std::vector<Polyline> out;
    for (const JsonValue& stroke : *strokes) {
        const auto* points = stroke.array();
        if (!points || points->empty()) {
            if (error) *error = "a median is not a non-empty array";
            return std::nullopt;
        }
        Polyline line;
        for (const JsonValue& point : *points) {
            const auto* xy = point.array();
            if (!xy || xy->size() != 2 || !(*xy)[0].number() || !(*xy)[1].number()) {
                if (error) *error = "a median point is not [x, y]";
                return std::nullopt;
            }
            line.push_back({*(*xy)[0].number(), *(*xy)[1].number()});
        }
        out.push_back(std::move(line));
    }
    return out;
}

Placement centredPlacement(double size) {
    return Placement{size / 1024.0, 100 - size / 2, 100 - size / 2};
}

std::vector<Polyline> placeOnPad(const std::vector<Polyline>& medians, const Placement& placement) {
    std::vector<Polyline> out;
    for (const Polyline& line : medians) {
        Polyline placed;
        for (const Point2& p : line)
            placed.push_back({placement.offsetX + placement.scale * p.x,
                              placement.offsetY + placement.scale * (900.0 - p.y)});
        out.push_back(std::move(placed));
    }
    return out;
}

MouseStroke sampleAsMouse(const Polyline& line, double step) {
    MouseStroke out;
    auto emit = [&](Point2 p) {
        const std::pair<int, int> xy{int(std::nearbyint(p.x)), int(std::nearbyint(p.y))};
        if (out.empty() || out.back() != xy) out.push_back(xy);
    };
    if (line.empty()) return out;
    emit(line[0]);
    double carried = 0;  // path walked since the last reported position
    for (size_t i = 1; i < line.size(); ++i) {
        const Point2 a = line[i - 1], b = line[i];
        const double length = std::hypot(b.x - a.x, b.y - a.y);
        double at = step - carried;
        while (at <= length) {
            const double t = at / length;
            emit({a.x + t * (b.x - a.x), a.y + t * (b.y - a.y)});
            at += step;
        }
        carried = length - (at - step);
    }
    emit(line.back());
    return out;
}

Drawing writeOnPad(const std::vector<MouseStroke>& strokes) {
    Drawing drawing;
    PadCapture pad(drawing);
    for (const MouseStroke& stroke : strokes) {
        if (stroke.empty()) continue;
        pad.penDown(stroke[0].first, stroke[0].second);
        for (size_t i = 1; i < stroke.size(); ++i) pad.penMove(stroke[i].first, stroke[i].second);
        pad.penUp();
    }
    reduceNewStrokes(drawing);
    return drawing;
}

RecogTemplate templateFromDrawing(char16_t character, uint8_t formFlag, const Drawing& drawing) {
    RecogTemplate t;
    t.character = character;
    t.formFlag = formFlag;
    t.strokes = static_cast<uint8_t>(std::min(drawing.strokeCount, 255));
    const int box = boxSize(drawing.box);
    for (size_t i = 0; i < drawing.segmentCount(); ++i) {
        int length = box > 0 ? drawing.segmentLengths[i] * 255 / box : 0;
        if (length < kLengthFloor) length = kLengthFloor;
        t.segments.push_back(
            {drawing.directionCodes[i], static_cast<uint8_t>(std::min(length, 255))});
    }
    return t;
}

uint8_t formFlagOf(int formType) {
    if (formType == characters::kFormSimplifiedOnly) return kSimplifiedForm;
    if (formType == characters::kFormTraditionalOnly) return kTraditionalForm;
    return kOfferedAlways;
}

namespace {

// A reduced writing of the character, and how many segments each stroke gave.
struct Writing {
    Drawing drawing;
    std::vector<int> strokeSegments;
};

Writing writeAndReduce(const std::vector<MouseStroke>& strokes) {
    Writing w;
    PadCapture pad(w.drawing);
    for (const MouseStroke& stroke : strokes) {
        if (stroke.empty()) continue;
        pad.penDown(stroke[0].first, stroke[0].second);
        for (size_t i = 1; i < stroke.size(); ++i) pad.penMove(stroke[i].first, stroke[i].second);
        pad.penUp();
        const size_t before = w.drawing.segmentCount();
        reduceNewStrokes(w.drawing);
        w.strokeSegments.push_back(int(w.drawing.segmentCount() - before));
    }
    return w;
}

}  // namespace

RecogTemplate averagedTemplate(const std::vector<const RecogTemplate*>& group) {
    RecogTemplate t = *group.front();
    constexpr double kTurn = 2 * 3.14159265358979323846 / 256;
    for (size_t j = 0; j < t.segments.size(); ++j) {
        double x = 0, y = 0, length = 0;
        for (const RecogTemplate* member : group) {
            x += std::cos(member->segments[j].direction * kTurn);
            y += std::sin(member->segments[j].direction * kTurn);
            length += member->segments[j].length;
        }
        double angle = std::atan2(y, x) / kTurn;
        if (angle < 0) angle += 256;
        t.segments[j].direction = uint8_t(int(std::lround(angle)) % 256);
        t.segments[j].length = uint8_t(
            std::clamp<long>(std::lround(length / double(group.size())), kLengthFloor, 255));
    }
    return t;
}

namespace {

std::vector<RecogTemplate> cleanTemplates(char16_t character, uint8_t formFlag,
                                          const std::vector<Polyline>& medians,
                                          const TemplateRecipe& recipe) {
    std::vector<RecogTemplate> out;
    for (const Placement& placement : recipe.placements) {
        std::vector<MouseStroke> strokes;
        for (const Polyline& line : placeOnPad(medians, placement))
            strokes.push_back(sampleAsMouse(line, recipe.step));
        RecogTemplate t = templateFromDrawing(character, formFlag, writeOnPad(strokes));
        const bool known = std::any_of(out.begin(), out.end(), [&](const RecogTemplate& other) {
            return other.segments.size() == t.segments.size();
        });
        if (!known) out.push_back(std::move(t));
    }
    return out;
}

}  // namespace

TemplateRecipe shippedRecipe() {
    TemplateRecipe recipe;
    recipe.renderings = 40;
    recipe.maxStrength = 1.0;
    recipe.maxTemplates = 8;
    recipe.minGain = 0.006;
    return recipe;
}

std::vector<RecogTemplate> templatesForCharacter(char16_t character, uint8_t formFlag,
                                                 const std::vector<Polyline>& medians,
                                                 const TemplateRecipe& recipe) {
    if (recipe.renderings <= 0) return cleanTemplates(character, formFlag, medians, recipe);

    // The writings: clean ones at every placement, then the synthetic ones.
    std::vector<Writing> writings;
    for (const Placement& placement : recipe.placements) {
        std::vector<MouseStroke> strokes;
        for (const Polyline& line : placeOnPad(medians, placement))
            strokes.push_back(sampleAsMouse(line, recipe.step));
        writings.push_back(writeAndReduce(strokes));
    }
    std::mt19937 rng(recipe.seed ^ (uint32_t(character) * 2654435761u));
    for (int k = 0; k < recipe.renderings; ++k) {
        const double strength = recipe.minStrength + (recipe.maxStrength - recipe.minStrength) *
                                                         (k + 0.5) / recipe.renderings;
        writings.push_back(
            writeAndReduce(writeSynthetic(medians, randomStyle(strength, rng), rng)));
    }
    std::vector<RecogTemplate> own;
    for (const Writing& w : writings)
        own.push_back(templateFromDrawing(character, formFlag, w.drawing));

    // Candidates: each group of writings with the same segments per stroke,
    // averaged, the largest groups first.
    std::map<std::vector<int>, std::vector<size_t>> groups;
    for (size_t k = 0; k < writings.size(); ++k) groups[writings[k].strokeSegments].push_back(k);
    std::vector<std::vector<size_t>> ordered;
    for (auto& [shape, members] : groups) ordered.push_back(std::move(members));
    std::stable_sort(ordered.begin(), ordered.end(),
                     [](const auto& a, const auto& b) { return a.size() > b.size(); });
    // The clean writing comes first and is always kept: a tidy hand must
    // still meet the character exactly.
    std::vector<RecogTemplate> candidates{own.front()};
    for (const auto& members : ordered) {
        std::vector<const RecogTemplate*> group;
        for (const size_t k : members) group.push_back(&own[k]);
        candidates.push_back(averagedTemplate(group));
    }

    // Each writing's score against each candidate, per segment of the
    // writing; a candidate outside the writing's filters scores -1.
    const size_t W = writings.size(), C = candidates.size();
    std::vector<double> score(W * C, -1.0);
    Recognizer recognizer;
    for (size_t w = 0; w < W; ++w) {
        Drawing& drawing = writings[w].drawing;
        if (!recognizer.prepareFor(drawing)) continue;
        const int s = drawing.strokeCount, n = int(drawing.segmentCount());
        const int strokeTolerance = strokeWindow(s), segmentTolerance = segmentWindow(n);
        for (size_t c = 0; c < C; ++c) {
            const RecogTemplate& t = candidates[c];
            const int S = int(t.segments.size());
            if (std::abs(int(t.strokes) - s) > strokeTolerance ||
                std::abs(S - n) > segmentTolerance)
                continue;
            std::vector<uint8_t> bytes;
            for (const TemplateSegment& seg : t.segments) {
                bytes.push_back(seg.direction);
                bytes.push_back(seg.length);
            }
            score[w * C + c] = recognizer.align(bytes, t.strokes) / double(std::max(n, 1));
        }
    }

    // Greedy coverage: keep the candidate that raises the sum of every
    // writing's best score the most, while it adds enough.
    std::vector<double> best(W, -2.0);
    std::vector<bool> kept(C, false);
    std::vector<RecogTemplate> out;
    while (int(out.size()) < recipe.maxTemplates) {
        double bestGain = 0;
        size_t chosen = C;
        for (size_t c = 0; c < C; ++c) {
            if (kept[c]) continue;
            double gain = 0;
            for (size_t w = 0; w < W; ++w) gain += std::max(0.0, score[w * C + c] - best[w]);
            if (gain > bestGain) bestGain = gain, chosen = c;
        }
        if (out.empty()) chosen = 0;
        if (chosen == C || (!out.empty() && bestGain / double(W) < recipe.minGain)) break;
        kept[chosen] = true;
        for (size_t w = 0; w < W; ++w) best[w] = std::max(best[w], score[w * C + chosen]);
        out.push_back(candidates[chosen]);
    }
    return out;
}

namespace {

// The character a stroke-data file stands for, or 0 for any other file.
char16_t characterOfFile(const fs::path& file) {
    if (file.extension() != ".json") return 0;
    const std::u16string stem = utf8ToUtf16(file.stem().string());
    if (stem.size() != 1 || stem[0] == 0xFFFD || (stem[0] >= 0xD800 && stem[0] < 0xE000)) return 0;
    return stem[0];
}

}  // namespace

std::optional<size_t> forEachCharacterMedians(
    const fs::path& strokeDir, std::string* error,
    const std::function<void(char16_t, const std::vector<Polyline>&)>& visit) {
    std::map<char16_t, fs::path> files;
    std::error_code ec;
    for (const auto& entry : fs::directory_iterator(strokeDir, ec)) {
        if (const char16_t c = characterOfFile(entry.path())) files.emplace(c, entry.path());
    }
    if (ec) {
        if (error) *error = "cannot list " + strokeDir.string() + ": " + ec.message();
        return std::nullopt;
    }
    for (const auto& [character, file] : files) {
        std::string json, why;
        if (!readWholeFile(file, json, error)) return std::nullopt;
        const auto medians = mediansFromJson(json, &why);
        if (!medians) {
            if (error) *error = file.string() + ": " + why;
            return std::nullopt;
        }
        visit(character, *medians);
    }
    return files.size();
}

std::optional<std::vector<RecogTemplate>> buildRecogTemplates(const fs::path& strokeDir,
                                                              const fs::path& charTypes,
                                                              std::string* error,
                                                              size_t* characters,
                                                              const TemplateRecipe& recipe) {
    // Without the file every template is offered under both forms.
    const tulvo::characters::CharTypes types(charTypes);
    std::vector<RecogTemplate> templates;
    const auto count = forEachCharacterMedians(
        strokeDir, error, [&](char16_t character, const std::vector<Polyline>& medians) {
            const uint8_t form = formFlagOf(types.formType(character));
            for (auto& t : templatesForCharacter(character, form, medians, recipe))
                templates.push_back(std::move(t));
        });
    if (!count) return std::nullopt;
    if (characters) *characters = *count;
    return templates;
}

}  // namespace tulvo::databuild
