#include "characters/whole_file.hpp"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace tulvo::characters {

std::optional<std::string> readWholeFile(const std::filesystem::path& file) {
    const int fd = ::open(file.c_str(), O_RDONLY | O_CLOEXEC);
    if (fd < 0) return std::nullopt;
    struct stat st;
    std::optional<std::string> bytes;
    if (::fstat(fd, &st) == 0 && S_ISREG(st.st_mode)) {
        bytes.emplace();
        char chunk[65536];
        for (;;) {
            const ssize_t got = ::read(fd, chunk, sizeof chunk);
            if (got < 0) {
                bytes.reset();
                break;
            }
            if (got == 0) break;
            bytes->append(chunk, static_cast<size_t>(got));
        }
    }
    ::close(fd);
    return bytes;
}

}  // namespace tulvo::characters
