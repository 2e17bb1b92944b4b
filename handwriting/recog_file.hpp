// data/recog.dat: the recognition templates. A 4-byte count N, N headers of
// 9 bytes (character as one UTF-16 unit, form flag, stroke count, segment
// count S, 4-byte offset into the segment area), then the segment area of
// 2-byte segments (direction code, normalised length). Little-endian.
#pragma once

#include <cstdint>
#include <filesystem>
#include <optional>
#include <span>
#include <string>
#include <vector>

namespace tulvo::handwriting {

inline const std::filesystem::path kRecogPath = std::filesystem::path("data") / "recog.dat";
inline constexpr size_t kRecogHeaderSize = 9;

// A template's segment and stroke counts are single bytes.
inline constexpr int kMaxTemplateSegments = 255;
inline constexpr int kMaxTemplateStrokes = 255;

// Form flags: which character-form preferences offer a template.
enum FormFlag : uint8_t { kOfferedAlways = 0, kSimplifiedForm = 1, kTraditionalForm = 2 };

struct TemplateSegment {
    uint8_t direction = 0;
    uint8_t length = 0;  // normalised to the drawing's box, 0..255
    bool operator==(const TemplateSegment&) const = default;
};

struct RecogTemplate {
    char16_t character = 0;
    uint8_t formFlag = kOfferedAlways;
    uint8_t strokes = 0;
    std::vector<TemplateSegment> segments;
    bool operator==(const RecogTemplate&) const = default;
};

// One header as read, with the place of its segments in the file.
struct TemplateHeader {
    char16_t character = 0;
    uint8_t formFlag = 0;
    uint8_t strokes = 0;
    uint8_t segmentCount = 0;
    uint32_t segmentOffset = 0;  // from the start of the segment area
};

// Bounds-checked view of the file's bytes. A file shorter than its count
// claims exposes only the headers it holds; segments() is empty for a
// template whose segments lie past the end.
class RecogView {
  public:
    explicit RecogView(std::span<const uint8_t> bytes);
    size_t size() const { return count_; }
    TemplateHeader header(size_t k) const;
    // The template's 2·S segment bytes, or an empty span when they do not
    // lie inside the file.
    std::span<const uint8_t> segments(const TemplateHeader& h) const;

  private:
    std::span<const uint8_t> bytes_;
    size_t count_ = 0;        // headers present in the file
    size_t segmentArea_ = 0;  // offset of the segment area (4 + 9·N)
};

// The file's bytes for these templates, segments stored in template order.
// Empty when a template has more than 255 segments.
std::string encodeRecog(const std::vector<RecogTemplate>& templates);

// Every template of the bytes, or nullopt when any header or segment run
// lies outside them (for checking a built file).
std::optional<std::vector<RecogTemplate>> decodeRecog(std::span<const uint8_t> bytes);

// Several templates for every character take a few megabytes; a larger file
// is not a template file.
inline constexpr uintmax_t kRecogMaxFileSize = uintmax_t(64) << 20;

// The whole file, or an empty vector when it is missing, unreadable, not a
// regular file or larger than kRecogMaxFileSize.
std::vector<uint8_t> readRecogFile(const std::filesystem::path& file);

}  // namespace tulvo::handwriting
