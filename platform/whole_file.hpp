// Files read and written whole. A write goes into a temporary file beside the
// target and is renamed over it, so a failed write never leaves half a file.
#pragma once

#include <filesystem>
#include <optional>
#include <string>
#include <string_view>

namespace tulvo {

// The temporary file has a unique name, so that writers of one file never
// share it. False with errno set when the file could not be replaced.
bool writeWholeFile(const std::filesystem::path& file, std::string_view bytes);

// Empty when the file cannot be read or is larger than `maxBytes`.
std::optional<std::string> readWholeFile(const std::filesystem::path& file,
                                         size_t maxBytes = size_t(1) << 30);

}  // namespace tulvo
