// data/chartypes.txt: one byte per code point U+4000..U+FFFF, the total stroke
// count in bits 0-5 and the form type in bits 6-7. The file is read whole
// once (49,152 bytes); lookups are then memory reads.
#pragma once

#include <cstdint>
#include <filesystem>
#include <string>

namespace tulvo::characters {

inline const std::filesystem::path kCharTypesPath = std::filesystem::path("data") / "chartypes.txt";
inline constexpr uint32_t kCharTypesFirst = 0x4000;
inline constexpr size_t kCharTypesSize = 0x10000 - kCharTypesFirst;  // 49,152 bytes

// Form types: which writing a character belongs to.
enum FormType {
    kFormBoth = 0,
    kFormSimplifiedOnly = 1,
    kFormTraditionalOnly = 2,
    kFormNeither = 3
};

class CharTypes {
  public:
    // Reads the file; a missing or unreadable file, or anything that is no
    // regular file, knows no character.
    explicit CharTypes(const std::filesystem::path& file);

    // The character's byte, or -1 outside U+4000..U+FFFF and beyond the
    // file's end.
    int byte(uint32_t code) const;
    // 0..63 (0 = not recorded), or -1 as above.
    int strokeCount(uint32_t code) const {
        const int b = byte(code);
        return b < 0 ? -1 : (b & 0x3F);
    }
    // 0..3 (see FormType), or -1 as above.
    int formType(uint32_t code) const {
        const int b = byte(code);
        return b < 0 ? -1 : (b >> 6);
    }

  private:
    std::string bytes_;
};

// The byte of a character: the stroke count (above 63 kept at 63) and the
// form type.
inline uint8_t encodeCharType(int strokes, FormType form) {
    const int kept = strokes < 0 ? 0 : (strokes > 63 ? 63 : strokes);
    return static_cast<uint8_t>(kept | (int(form) << 6));
}

}  // namespace tulvo::characters
