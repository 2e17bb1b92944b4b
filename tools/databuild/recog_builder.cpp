#include "tools/databuild/recog_builder.hpp"

#include <algorithm>
#include <cmath>
#include <map>

#include "characters/char_types.hpp"
#include "handwriting/features.hpp"
#include "handwriting/matcher.hpp"
#include "platform/unicode_text.hpp"
#include "tools/databuild/json.hpp"
#include "tools/databuild/output_file.hpp"

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

std::vector<RecogTemplate> templatesForCharacter(char16_t character, uint8_t formFlag,
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

namespace {

// The character a stroke-data file stands for, or 0 for any other file.
char16_t characterOfFile(const fs::path& file) {
    if (file.extension() != ".json") return 0;
    const std::u16string stem = utf8ToUtf16(file.stem().string());
    if (stem.size() != 1 || stem[0] == 0xFFFD || (stem[0] >= 0xD800 && stem[0] < 0xE000)) return 0;
    return stem[0];
}

}  // namespace

std::optional<std::vector<RecogTemplate>> buildRecogTemplates(const fs::path& strokeDir,
                                                              const fs::path& charTypes,
                                                              std::string* error,
                                                              size_t* characters,
                                                              const TemplateRecipe& recipe) {
    std::map<char16_t, fs::path> files;
    std::error_code ec;
    for (const auto& entry : fs::directory_iterator(strokeDir, ec)) {
        if (const char16_t c = characterOfFile(entry.path())) files.emplace(c, entry.path());
    }
    if (ec) {
        if (error) *error = "cannot list " + strokeDir.string() + ": " + ec.message();
        return std::nullopt;
    }
    const bool haveTypes = fs::exists(charTypes);
    std::vector<RecogTemplate> templates;
    for (const auto& [character, file] : files) {
        std::string json, why;
        if (!readWholeFile(file, json, error)) return std::nullopt;
        const auto medians = mediansFromJson(json, &why);
        if (!medians) {
            if (error) *error = file.string() + ": " + why;
            return std::nullopt;
        }
        const uint8_t form =
            formFlagOf(haveTypes ? tulvo::characters::formType(charTypes, character) : -1);
        for (auto& t : templatesForCharacter(character, form, *medians, recipe))
            templates.push_back(std::move(t));
    }
    if (characters) *characters = files.size();
    return templates;
}

}  // namespace tulvo::databuild
