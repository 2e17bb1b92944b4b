// The clipboard save file clipboard.tmp: one record per clipboard format, no
// header, little-endian: format number (4 bytes), size n (4 bytes), n bytes.
#pragma once

#include <cstdint>
#include <filesystem>
#include <optional>
#include <string>
#include <vector>

namespace tulvo::shell {

inline constexpr const char* kClipboardSaveFile = "clipboard.tmp";
// Formats of this size or more are not saved (and so lost by a capture).
inline constexpr size_t kClipboardFormatLimit = 2'000'000;

struct ClipboardRecord {
    uint32_t format = 0;
    std::string data;
    bool operator==(const ClipboardRecord&) const = default;
};

// The file's bytes for the records whose size is above 0 and below the limit.
std::string encodeClipboardRecords(const std::vector<ClipboardRecord>& records);
// The whole records of the bytes; a truncated last record is dropped.
std::vector<ClipboardRecord> decodeClipboardRecords(std::string_view bytes);

bool writeClipboardFile(const std::filesystem::path& file,
                        const std::vector<ClipboardRecord>& records);
// Empty when the file does not exist.
std::optional<std::vector<ClipboardRecord>> readClipboardFile(const std::filesystem::path& file);

}  // namespace tulvo::shell
