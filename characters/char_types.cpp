#include "characters/char_types.hpp"

#include <fcntl.h>
#include <unistd.h>

namespace tulvo::characters {

int charTypeByte(const std::filesystem::path& file, uint32_t code) {
    if (code < kCharTypesFirst || code > 0xFFFF) return -1;
    // Non-blocking: a pipe in the file's place gives -1 instead of waiting.
    const int fd = ::open(file.c_str(), O_RDONLY | O_CLOEXEC | O_NONBLOCK);
    if (fd < 0) return -1;
    unsigned char byte;
    const ssize_t got = ::pread(fd, &byte, 1, static_cast<off_t>(code - kCharTypesFirst));
    ::close(fd);
    return got == 1 ? byte : -1;
}

int strokeCount(const std::filesystem::path& file, uint32_t code) {
    const int byte = charTypeByte(file, code);
    return byte < 0 ? -1 : (byte & 0x3F);
}

int formType(const std::filesystem::path& file, uint32_t code) {
    const int byte = charTypeByte(file, code);
    return byte < 0 ? -1 : (byte >> 6);
}

}  // namespace tulvo::characters
