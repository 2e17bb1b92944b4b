// data/strokeorderdata.dat: for each character its strokes in writing
// order, each an outline polygon in a 256 x 256 glyph square (y down) with
// its sweep direction, pause flag and colour flag. The file stays open for
// the whole run (closed only while the stroke editor rewrites it); each
// lookup reads what it needs and checks every read against the file's size.
// Also the geometry of the animation: the glyph-to-canvas and glyph-to-screen
// mappings and the sweep list that fills a stroke along its direction.
#pragma once

#include <cstdint>
#include <filesystem>
#include <optional>
#include <string>
#include <vector>

namespace tulvo::characters {

inline const std::filesystem::path kStrokeOrderPath =
    std::filesystem::path("data") / "strokeorderdata.dat";

// Sweep directions: the direction in which a stroke is written.
enum SweepDirection : uint8_t {
    kLeftToRight = 1,
    kTowardsBottomRight = 2,
    kTopToBottom = 3,
    kTowardsBottomLeft = 4,
    kRightToLeft = 5,
    kTowardsTopLeft = 6,
    kBottomToTop = 7,
    kTowardsTopRight = 8  // and any other value
};

struct GlyphPoint {
    int x = 0;
    int y = 0;
    bool operator==(const GlyphPoint&) const = default;
};

struct Stroke {
    uint8_t direction = kLeftToRight;
    uint8_t pause = 0;                // non-zero: pause 0.2 s after the stroke
    uint8_t colour = 0;               // non-zero: brown (a stroke of the radical)
    std::vector<GlyphPoint> outline;  // closed: the last point is the first
};

// Brown strokes.
inline constexpr uint8_t kBrownRed = 128, kBrownGreen = 64, kBrownBlue = 0;

// Repeats the first point at the end when the first and last differ.
void closeOutline(std::vector<GlyphPoint>& outline);

class StrokeOrderFile {
  public:
    StrokeOrderFile() = default;
    explicit StrokeOrderFile(std::filesystem::path file) { open(std::move(file)); }
    ~StrokeOrderFile();
    StrokeOrderFile(const StrokeOrderFile&) = delete;
    StrokeOrderFile& operator=(const StrokeOrderFile&) = delete;

    // Opens the file when it exists and is not a directory, and reads N from
    // it when it is longer than 4 bytes; N stays 0 otherwise.
    void open(std::filesystem::path file);
    // Closes it (for the stroke editor); N becomes 0.
    void close();
    // Opens the same file again and reads N again.
    void reopen() { open(path_); }

    bool isOpen() const { return fd_ >= 0; }
    uint32_t count() const { return count_; }

    // The strokes of `code`, outlines closed; nothing when the character is
    // not in the file or its record does not lie whole within the file.
    std::optional<std::vector<Stroke>> lookup(char16_t code) const;
    // The codes in file order (as many as lie within the file).
    std::vector<char16_t> codes() const;

  private:
    bool readAt(uint64_t offset, void* into, size_t size) const;
    std::filesystem::path path_;
    int fd_ = -1;
    uint32_t count_ = 0;
};

// The bytes of a whole file for these characters, in the order given.
// Outlines are written as given (at most 127 points, coordinates 0..255);
// false with `error` set otherwise.
struct CharacterStrokes {
    char16_t code = 0;
    std::vector<Stroke> strokes;
};
bool strokeOrderBytes(const std::vector<CharacterStrokes>& characters, std::string& out,
                      std::string* error);

// Canvas of 400 x 400 and screen box of 100 x 100: the glyph point scaled
// and truncated; the screen point offset by the box's top left corner.
GlyphPoint glyphToCanvas(GlyphPoint p);
inline constexpr int kStrokeBoxLeft = 201;
GlyphPoint glyphToScreen(GlyphPoint p, int top, int left = kStrokeBoxLeft);

// The sweep list of a stroke, in glyph coordinates: for each sweep position
// in writing order, the points where the outline's edges meet the sweep line
// (both end points of an edge lying on it). Empty for an outline with a
// point outside the 256 square.
std::vector<GlyphPoint> sweepList(const Stroke& stroke);

}  // namespace tulvo::characters
