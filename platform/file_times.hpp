// File creation times: the birth time where the file system keeps one, else
// the modification time.
#pragma once

#include <chrono>
#include <filesystem>
#include <optional>

namespace tulvo {

using FileClock = std::chrono::system_clock;

std::optional<FileClock::time_point> fileCreationTime(const std::filesystem::path& file);

}  // namespace tulvo
