// Files read and written whole. A write goes into a temporary file beside the
// target and is renamed over it, so a failed write never leaves half a file.
#pragma once

#include <filesystem>
#include <optional>
#include <string>
#include <string_view>

namespace tulvo {

// `mode` is the new file's permission bits (less the process's umask).
bool writeWholeFile(const std::filesystem::path& file, std::string_view bytes,
                    unsigned mode = 0644);

// Empty when the file cannot be read or is larger than `maxBytes`.
std::optional<std::string> readWholeFile(const std::filesystem::path& file,
                                         size_t maxBytes = size_t(1) << 30);

}  // namespace tulvo
