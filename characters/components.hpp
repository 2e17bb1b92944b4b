// data/components.dat: for each character its radical and components, as
// headerless records (u16 code, u8 length n, n UTF-16LE units). A record's
// text is the radical, a separator unit, the residual stroke count as ASCII
// digits ended by a space, then the other components. Every lookup is one
// forward pass over the file; a truncated record ends the pass.
#pragma once

#include <cstdint>
#include <filesystem>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace tulvo::characters {

inline const std::filesystem::path kComponentsPath =
    std::filesystem::path("data") / "components.dat";

// What the data build puts between the radical and the stroke count, so that
// the shown text reads "女+3 子". Readers skip it whatever it is.
inline constexpr char16_t kComponentSeparator = u'+';

// The record's component text (without terminator), or none.
std::optional<std::u16string> componentText(const std::filesystem::path& file, char16_t code);

// Every character whose component text holds `code` (radical and digits
// included), in file order, once per occurrence; a record never lists itself.
std::vector<char16_t> charactersBuiltOn(const std::filesystem::path& file, char16_t code);

struct ComponentRecord {
    char16_t code = 0;
    char16_t radical = 0;     // unit 1, 0 when the text is empty
    int residualStrokes = 0;  // the digits from unit 3 on
    int length = 0;           // n, units in the text
};

// Every record in file order.
std::vector<ComponentRecord> componentRecords(const std::filesystem::path& file);

// The writer's side: a component text and a whole record.
std::u16string makeComponentText(char16_t radical, int residualStrokes, std::u16string_view others);
// Appends the record; false (nothing appended) when the text is longer than
// 255 units.
bool appendComponentRecord(std::string& out, char16_t code, std::u16string_view text);

}  // namespace tulvo::characters
