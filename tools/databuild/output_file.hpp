// Writing a data file whole: into a temporary file beside it, then renamed
// over the old one, so that a failed build never leaves half a file behind.
#pragma once

#include <filesystem>
#include <string_view>

namespace tulvo::databuild {

bool writeFileAtomically(const std::filesystem::path& path, std::string_view bytes,
                         std::string* error);

bool readWholeFile(const std::filesystem::path& path, std::string& bytes, std::string* error);

}  // namespace tulvo::databuild
