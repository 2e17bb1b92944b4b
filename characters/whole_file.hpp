// Reading a lookup file whole, without exceptions: a missing file, a
// directory or a read error gives nothing.
#pragma once

#include <filesystem>
#include <optional>
#include <string>

namespace tulvo::characters {

std::optional<std::string> readWholeFile(const std::filesystem::path& file);

}  // namespace tulvo::characters
