#include "dictionary/dictionary_file.hpp"

#include <fcntl.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstdint>
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
        if (pos + 1 == end) return end;
        from = pos + 1;
    }
    return end;
}

// The start of the line that holds position `pos`: just after the last
// CR LF before it.
size_t lineStartBefore(const char* data, size_t pos) {
    while (pos > 0) {
        const void* lf = memrchr(data, '\n', pos);
        if (!lf) return 0;
        const size_t at = static_cast<const char*>(lf) - data;
        if (at > 0 && data[at - 1] == '\r') return at + 1;
        pos = at;
    }
    return 0;
}

bool hasAsciiLetter(std::string_view text) {
    for (char c : text)
        if ((c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z')) return true;
    return false;
}

// ASCII lower-casing of a whole block, sixteen bytes at a time.
void lowerBlock(const char* from, size_t size, char* to) {
    typedef unsigned char Bytes __attribute__((vector_size(16)));
    size_t i = 0;
    for (; i + 16 <= size; i += 16) {
        Bytes v;
        std::memcpy(&v, from + i, 16);
        const Bytes isUpper = (Bytes)((v - (unsigned char)'A') < 26);
        v += isUpper & 32;
        std::memcpy(to + i, &v, 16);
    }
    for (; i < size; ++i) {
        const unsigned char c = static_cast<unsigned char>(from[i]);
        to[i] = static_cast<char>(c + ((static_cast<unsigned char>(c - 'A') < 26) ? 32 : 0));
    }
}

// Finds the first occurrence of `needle` in hay[from, size): compares the
// needle's first and last byte at sixteen positions at once and checks the
// few candidates whole.
size_t findNeedle(const char* hay, size_t from, size_t size, std::string_view needle) {
    const size_t n = needle.size();
    if (n == 0 || size < n || from > size - n) return size;
    if (n == 1) {
        const void* hit = std::memchr(hay + from, needle[0], size - from);
        return hit ? static_cast<size_t>(static_cast<const char*>(hit) - hay) : size;
    }
    typedef unsigned char Bytes __attribute__((vector_size(16)));
    const unsigned char firstByte = static_cast<unsigned char>(needle.front());
    const unsigned char lastByte = static_cast<unsigned char>(needle.back());
    const Bytes first = firstByte - (Bytes){};
    const Bytes last = lastByte - (Bytes){};
    const size_t lastStart = size - n;  // the last position where the needle fits
    size_t i = from;
    for (; i + 16 <= lastStart + 1; i += 16) {
        Bytes a, b;
        std::memcpy(&a, hay + i, 16);
        std::memcpy(&b, hay + i + n - 1, 16);
        const Bytes both = (Bytes)((a == first) & (b == last));
        uint64_t halves[2];
        std::memcpy(halves, &both, 16);
        if ((halves[0] | halves[1]) == 0) continue;
        for (size_t k = 0; k < 16; ++k)
            if (both[k] && std::memcmp(hay + i + k, needle.data(), n) == 0) return i + k;
    }
    for (; i <= lastStart; ++i)
        if (static_cast<unsigned char>(hay[i]) == firstByte &&
            std::memcmp(hay + i, needle.data(), n) == 0)
            return i;
    return size;
}

// Hands the complete lines of data[0, size) to onLine: all of them, or with
// a needle only those that contain it. Returns false when onLine stopped.
class LineFeeder {
  public:
    LineFeeder(std::string_view needle, const std::function<bool(std::string_view)>& onLine)
        : needle_(needle), fold_(hasAsciiLetter(needle)), onLine_(onLine) {}

    bool feed(const char* data, size_t size) {
        if (needle_.empty()) {
            // [0, size) holds at least one line, possibly empty.
            for (size_t lineStart = 0;;) {
                const size_t crlf = findCrLf(data, lineStart, size);
                if (!onLine_(std::string_view(data + lineStart, crlf - lineStart))) return false;
                if (crlf >= size) return true;
                lineStart = crlf + 2;
            }
        }
        const char* haystack = data;
        if (fold_) {
            folded_.resize(size);
            lowerBlock(data, size, folded_.data());
            haystack = folded_.data();
        }
        size_t nextLine = 0;  // start of the first line not yet handed over
        for (size_t from = 0;;) {
            const size_t at = findNeedle(haystack, from, size, needle_);
            if (at >= size) break;
            // The first CR LF that touches or follows the match: a match that
            // takes in part of a line end belongs to no line.
            const size_t lineEnd = findCrLf(data, at > 0 ? at - 1 : 0, size);
            if (lineEnd < at + needle_.size()) {
                from = at + 1;
                continue;
            }
            const size_t lineStart = std::max(nextLine, lineStartBefore(data, at));
            if (!onLine_(std::string_view(data + lineStart, lineEnd - lineStart))) return false;
            nextLine = from = lineEnd + 2;
            if (nextLine > size) break;
        }
        return true;
    }

  private:
    std::string_view needle_;
    bool fold_;
    const std::function<bool(std::string_view)>& onLine_;
    std::vector<char> folded_;
};

bool scan(const std::filesystem::path& path, std::string_view needle,
          const std::function<bool(std::string_view line)>& onLine) {
    FdCloser file{openOrCreate(path)};
    if (file.fd < 0) return false;

    LineFeeder feeder(needle, onLine);
    std::vector<char> buffer(kBlockSize * 2);
    size_t filled = 0;  // bytes of buffer in use; a partial line stays at the front
    for (;;) {
        if (buffer.size() - filled < kBlockSize) buffer.resize(buffer.size() * 2);
        ssize_t got;
        do {
            got = ::read(file.fd, buffer.data() + filled, buffer.size() - filled);
        } while (got < 0 && errno == EINTR);
        if (got <= 0) {
            // The last line may end at the end of the file without CR LF.
            if (filled > 0) feeder.feed(buffer.data(), filled);
            return true;
        }
        filled += static_cast<size_t>(got);

        // Complete lines end at the last CR LF of the buffer.
        size_t complete = 0;
        for (size_t pos = filled; pos >= 2; --pos) {
            const void* lf = memrchr(buffer.data(), '\n', pos);
            if (!lf) break;
            const size_t at = static_cast<const char*>(lf) - buffer.data();
            if (at > 0 && buffer[at - 1] == '\r') {
                complete = at + 1;
                break;
            }
            pos = at + 1;
        }
        if (complete == 0) continue;
        if (!feeder.feed(buffer.data(), complete - 2)) return true;
        std::memmove(buffer.data(), buffer.data() + complete, filled - complete);
        filled -= complete;
    }
}

}  // namespace

bool scanLines(const std::filesystem::path& path,
               const std::function<bool(std::string_view line)>& onLine) {
    return scan(path, {}, onLine);
}

bool scanLinesContaining(const std::filesystem::path& path, std::string_view needle,
                         const std::function<bool(std::string_view line)>& onLine) {
    return scan(path, needle, onLine);
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
    return line.substr(start,
                       close == std::string_view::npos ? std::string_view::npos : close - start);
}

std::string_view definitionText(std::string_view line) {
    const size_t slash = line.find('/');
    return slash == std::string_view::npos ? line : line.substr(slash + 1);
}

}  // namespace tulvo::dictionary
