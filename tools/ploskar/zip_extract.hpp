// Extracting the dictionary from its ZIP archive (read by libarchive): the
// entry named cedict_ts.u8 (any case, in any folder of the archive) is
// inflated, checked against its CRC and size, checked to be a dictionary, and
// given CR LF line ends. Nothing larger or more compressed than a dictionary
// ever is gets unpacked.
#pragma once

#include <string>
#include <string_view>

#include "updates/dictionary_update.hpp"

namespace tulvo::ploskar {

inline constexpr std::string_view kArchiveName = updates::kArchiveName;
inline constexpr std::string_view kEntryName = "cedict_ts.u8";
inline constexpr std::string_view kOutputName = updates::kDictionaryName;
inline constexpr std::string_view kMarkerName = updates::kUnzipMarker;

// The whole dictionary is about 10 MB and compresses about 3:1; an entry far
// beyond either is a decompression bomb, stopped at the limit.
inline constexpr size_t kMaxEntryBytes = size_t(64) << 20;
inline constexpr size_t kMaxRatio = 50;

enum class ExtractError {
    None,
    NotAnArchive,    // no central directory, or one that points outside the file
    EntryMissing,    // no entry of that name
    UnsafeName,      // an entry name that would leave the directory, or a link
    Unsupported,     // encrypted
    Corrupt,         // inflate failed, or size or CRC do not match
    TooLarge,        // above the size limit, or compressed beyond the ratio
    NotADictionary,  // empty, or no dictionary entry line near its start
};

struct Extracted {
    ExtractError error = ExtractError::None;
    std::string bytes;
};

// Finds and inflates the dictionary entry of the archive bytes, stopping as
// soon as it passes `maxBytes` or the ratio limit.
Extracted extractDictionary(std::string_view archive, size_t maxBytes = kMaxEntryBytes);

// True when the text starts like a dictionary: a line such as
// "中國 中国 [Zhong1 guo2] /China/" among its first lines (comment lines and
// the header may come before).
bool looksLikeDictionary(std::string_view text);

// LF not preceded by CR becomes CR LF; existing CR LF stays.
std::string withCrLf(std::string_view text);

// True when the entry name would write outside the directory it is
// unpacked into: absolute, a drive, or a ".." component.
bool escapesDirectory(std::string_view entryName);

// The whole tool, run in the current directory: 0 on success, when the
// dictionary and the marker were written.
int run(const std::string& directory);

}  // namespace tulvo::ploskar
