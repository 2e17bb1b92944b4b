#include "dictionary/dictionary_file.hpp"

#include <fcntl.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <memory>
#include <vector>

namespace tulvo::dictionary {
namespace {

// Large blocks: one search is one pass over ~10 MB, and block size is free
// as long as lines are split only at CR LF.
constexpr size_t kBlockSize = 256 * 1024;

int openOrCreate(const std::filesystem::path& path) {
    int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC);
    if (fd < 0 && errno == ENOENT) {
        fd = ::open(path.c_str(), O_RDONLY | O_CREAT | O_CLOEXEC, 0644);
    }
    return fd;
}

struct FdCloser {
    int fd;
    ~FdCloser() {
        if (fd >= 0) ::close(fd);
    }
};

// Finds the first CR LF in [from, end) of data; returns end when none.
size_t findCrLf(const char* data, size_t from, size_t end) {
    while (from < end) {
        const void* cr = std::memchr(data + from, '\r', end - from);
        if (!cr) return end;
        size_t pos = static_cast<const char*>(cr) - data;
        if (pos + 1 < end && data[pos + 1] == '\n') return pos;
        if (pos + 1 == end) return end;  // the LF may arrive with the next block
        from = pos + 1;
    }
    return end;
}

}  // namespace

bool scanLines(const std::filesystem::path& path,
               const std::function<bool(std::string_view line)>& onLine) {
    FdCloser file{openOrCreate(path)};
    if (file.fd < 0) return false;

    std::vector<char> buffer(kBlockSize * 2);
    size_t filled = 0;  // bytes of buffer in use; a partial line stays at the front
    bool atEnd = false;
    while (!atEnd) {
        if (buffer.size() - filled < kBlockSize) buffer.resize(buffer.size() * 2);
        ssize_t got;
        do {
            got = ::read(file.fd, buffer.data() + filled, buffer.size() - filled);
        } while (got < 0 && errno == EINTR);
        if (got <= 0) atEnd = true;
        else filled += static_cast<size_t>(got);

        size_t lineStart = 0;
        for (;;) {
            const size_t crlf = findCrLf(buffer.data(), lineStart, filled);
            if (crlf == filled) break;
            if (!onLine(std::string_view(buffer.data() + lineStart, crlf - lineStart))) return true;
            lineStart = crlf + 2;
        }
        if (atEnd) {
            if (lineStart < filled &&
                !onLine(std::string_view(buffer.data() + lineStart, filled - lineStart)))
                return true;
            break;
        }
        std::memmove(buffer.data(), buffer.data() + lineStart, filled - lineStart);
        filled -= lineStart;
    }
    return true;
}

std::string_view matchFormTraditional(std::string_view line) {
    const size_t space = line.find(' ');
    return space == std::string_view::npos ? line : line.substr(0, space);
}

std::string_view matchFormSimplified(std::string_view line) {
    const size_t space = line.find(' ');
    if (space == std::string_view::npos) return line;
    return line.substr(space + 1, space);
}

std::string_view matchForm(std::string_view line, int index) {
    return index == 1 ? matchFormTraditional(line) : matchFormSimplified(line);
}

std::string_view spaceField(std::string_view line, int k) {
    size_t start = 0;
    for (int field = 1; field < k; ++field) {
        const size_t space = line.find(' ', start);
        if (space == std::string_view::npos) return start == 0 ? line : line.substr(start);
        start = space + 1;
    }
    const size_t end = line.find(' ', start);
    return line.substr(start, end == std::string_view::npos ? std::string_view::npos : end - start);
}

std::string_view pinyinField(std::string_view line) {
    const size_t open = line.find('[');
    const size_t start = open == std::string_view::npos ? 0 : open + 1;
    const size_t close = line.find(']', start);
    return line.substr(start, close == std::string_view::npos ? std::string_view::npos : close - start);
}

std::string_view definitionText(std::string_view line) {
    const size_t slash = line.find('/');
    return slash == std::string_view::npos ? line : line.substr(slash + 1);
}

}  // namespace tulvo::dictionary
