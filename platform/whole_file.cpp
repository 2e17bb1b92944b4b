#include "platform/whole_file.hpp"

#include <fcntl.h>
#include <unistd.h>

#include <cstdio>

namespace tulvo {

bool writeWholeFile(const std::filesystem::path& file, std::string_view bytes, unsigned mode) {
    std::filesystem::path temporary = file;
    temporary += ".tmp";
    // A new file, so that it gets `mode` (a left-over one keeps its own).
    ::unlink(temporary.c_str());
    const int fd = ::open(temporary.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC,
                          static_cast<mode_t>(mode));
    if (fd < 0) return false;
    bool ok = true;
    size_t done = 0;
    while (ok && done < bytes.size()) {
        const ssize_t n = ::write(fd, bytes.data() + done, bytes.size() - done);
        if (n <= 0)
            ok = false;
        else
            done += static_cast<size_t>(n);
    }
    // On disk before the rename, so a crash cannot leave an empty file.
    if (ok && ::fsync(fd) != 0) ok = false;
    if (::close(fd) != 0) ok = false;
    if (!ok || std::rename(temporary.c_str(), file.c_str()) != 0) {
        ::unlink(temporary.c_str());
        return false;
    }
    return true;
}

std::optional<std::string> readWholeFile(const std::filesystem::path& file, size_t maxBytes) {
    std::FILE* in = std::fopen(file.c_str(), "rb");
    if (!in) return std::nullopt;
    std::string bytes;
    char buffer[65536];
    size_t n;
    while ((n = std::fread(buffer, 1, sizeof buffer, in)) > 0) {
        if (bytes.size() + n > maxBytes) {
            std::fclose(in);
            return std::nullopt;
        }
        bytes.append(buffer, n);
    }
    const bool failed = std::ferror(in) != 0;
    std::fclose(in);
    if (failed) return std::nullopt;
    return bytes;
}

}  // namespace tulvo
