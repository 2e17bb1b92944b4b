#include "tools/databuild/output_file.hpp"

#include <fstream>
#include <sstream>
#include <system_error>

#include "platform/whole_file.hpp"

namespace tulvo::databuild {

bool writeFileAtomically(const std::filesystem::path& path, std::string_view bytes,
                         std::string* error) {
    std::error_code ec;
    if (path.has_parent_path()) std::filesystem::create_directories(path.parent_path(), ec);
    std::filesystem::path temporary = path;
    temporary += ".tmp";
    {
        std::ofstream out(temporary, std::ios::binary | std::ios::trunc);
        out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
        out.flush();
        if (!out) {
            if (error) *error = "cannot write " + temporary.string();
            std::filesystem::remove(temporary, ec);
            return false;
        }
    }
    std::filesystem::rename(temporary, path, ec);
    if (ec) {
        if (error) *error = "cannot rename " + temporary.string() + ": " + ec.message();
        std::filesystem::remove(temporary, ec);
        return false;
    }
    return true;
}

bool readWholeFile(const std::filesystem::path& path, std::string& bytes, std::string* error) {
    auto read = tulvo::readWholeFile(path);
    if (!read) {
        if (error) *error = "cannot read " + path.string();
        return false;
    }
    bytes = std::move(*read);
    return true;
}

}  // namespace tulvo::databuild
