#include "characters/char_types.hpp"

#include <fcntl.h>
#include <unistd.h>

#include "platform/whole_file.hpp"

namespace tulvo::characters {

int charTypeByte(const std::filesystem::path& file, uint32_t code) {
    if (code < kCharTypesFirst || code > 0xFFFF) return -1;
    struct stat st;
    const int fd = openRegularFile(file, st);
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
