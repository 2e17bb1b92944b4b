// Extracting the dictionary from its ZIP archive: the entry named
// cedict_ts.u8 (any case, in any folder of the archive) is inflated, checked
// against its CRC and size, and given CR LF line ends.
#pragma once

#include <string>
#include <string_view>

namespace tulvo::ploskar {

inline constexpr const char* kArchiveName = "cedict_1_0_ts_utf-8_mdbg.zip";
inline constexpr const char* kEntryName = "cedict_ts.u8";
inline constexpr const char* kOutputName = "CEDICT_ts.u8";
inline constexpr const char* kMarkerName = "ploskar.txt";

enum class ExtractError {
    None,
    NotAnArchive,  // no end record, or a record that points outside the file
    EntryMissing,  // no entry of that name
    UnsafeName,    // an entry name that would leave the directory
    Unsupported,   // encrypted, or a method other than stored and deflate
    Corrupt,       // inflate failed, or size or CRC do not match
    TooLarge,
};

struct Extracted {
    ExtractError error = ExtractError::None;
    std::string bytes;
};

// Finds and inflates the dictionary entry of the archive bytes.
Extracted extractDictionary(std::string_view archive, size_t maxBytes = size_t(512) << 20);

// LF not preceded by CR becomes CR LF; existing CR LF stays.
std::string withCrLf(std::string_view text);

// True when the entry name would write outside the directory it is
// unpacked into: absolute, a drive, or a ".." component.
bool escapesDirectory(std::string_view entryName);

// The whole tool, run in the current directory: 0 on success, when the
// dictionary and the marker were written.
int run(const std::string& directory);

}  // namespace tulvo::ploskar
