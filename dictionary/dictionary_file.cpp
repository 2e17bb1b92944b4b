#include "dictionary/dictionary_file.hpp"

#include <fcntl.h>
#include <sys/mman.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>

#include "platform/whole_file.hpp"

#if defined(__x86_64__)
#include <immintrin.h>
// glibc's header is C-only under clang (it uses _Bool), so only GCC reads it.
#if __has_include(<sys/platform/x86.h>) && !defined(__clang__)
#define TULVO_GLIBC_CPU_FEATURES 1
#include <sys/platform/x86.h>
#endif
#endif

namespace tulvo::dictionary {
namespace {

// The file opened for reading, created empty when missing; -1 when it cannot
// be, or is no regular file (a pipe in its place is not waited on), with
// the reason in `failure`.
int openOrCreate(const std::filesystem::path& path, struct stat& status, ReadFailure& failure) {
    const int fd = openRegularFile(path, status, &failure);
    if (fd >= 0 || failure != ReadFailure::Missing) return fd;
    const int created = ::open(path.c_str(), O_RDONLY | O_CREAT | O_CLOEXEC, 0644);
    if (created < 0) return -1;
    ::close(created);
    return openRegularFile(path, status, &failure);
}

struct FdCloser {
    int fd;
    ~FdCloser() {
        if (fd >= 0) ::close(fd);
    }
};

// How common each byte value is in the dictionary text: four times the
// base-2 logarithm of its count in the whole file (letters counted in both
// cases), 0 for bytes that never occur. Only the order matters: the needle
// search tests the needle's rarest bytes first.
constexpr unsigned char kByteCommonness[256] = {
    0,  0,  0,  0,  0,  0,  0,  0,  0,  0,  68, 0,  0,  68, 0,  0,  0,  0,  0,  0,  0,  0,  0,  0,
    0,  0,  0,  0,  0,  0,  0,  0,  81, 35, 43, 21, 0,  14, 20, 52, 64, 64, 10, 26, 59, 55, 56, 74,
    48, 67, 67, 64, 68, 52, 44, 44, 45, 49, 47, 57, 9,  19, 5,  33, 9,  76, 66, 70, 69, 76, 67, 70,
    71, 76, 61, 62, 71, 68, 75, 75, 67, 58, 72, 72, 74, 72, 62, 64, 61, 67, 62, 69, 0,  69, 13, 1,
    0,  76, 66, 70, 69, 76, 67, 70, 71, 76, 61, 62, 71, 68, 75, 75, 67, 58, 72, 72, 74, 72, 62, 64,
    61, 67, 62, 20, 55, 20, 12, 0,  60, 59, 59, 58, 56, 60, 57, 59, 59, 60, 59, 60, 59, 60, 58, 60,
    59, 57, 56, 56, 58, 57, 59, 59, 58, 58, 57, 60, 60, 58, 57, 59, 57, 58, 56, 58, 59, 58, 57, 58,
    58, 57, 57, 56, 56, 60, 59, 59, 60, 59, 58, 58, 59, 56, 57, 59, 63, 59, 62, 60, 58, 59, 59, 60,
    0,  0,  38, 38, 26, 30, 0,  13, 1,  1,  9,  7,  20, 0,  24, 16, 7,  1,  0,  0,  0,  0,  0,  1,
    0,  0,  0,  0,  0,  0,  0,  0,  0,  17, 38, 36, 64, 72, 69, 68, 67, 66, 0,  1,  5,  0,  0,  41,
    35, 0,  0,  0,  0,  0,  0,  0,  0,  0,  0,  0,  0,  0,  0,  0};

}  // namespace

bool DictionaryBytes::load(const std::filesystem::path& path) {
    struct stat st;
    ReadFailure failure = ReadFailure::None;
    FdCloser file{openOrCreate(path, st, failure)};
    if (file.fd < 0) {
        // Something that is no regular file has no lines.
        release();
        return failure == ReadFailure::NotRegular;
    }
    const Identity identity{
        static_cast<unsigned long long>(st.st_dev), static_cast<unsigned long long>(st.st_ino),
        static_cast<unsigned long long>(st.st_size), static_cast<long long>(st.st_mtim.tv_sec),
        static_cast<long long>(st.st_mtim.tv_nsec)};
    if (loaded_ && identity == identity_) return true;
    release();
    identity_ = identity;
    loaded_ = true;
    if (st.st_size <= 0) return true;  // no lines

    const auto size = static_cast<size_t>(st.st_size);
    // Every page is read by a search, so they are mapped in one go.
    void* map = ::mmap(nullptr, size, PROT_READ, MAP_PRIVATE | MAP_POPULATE, file.fd, 0);
    if (map != MAP_FAILED) {
        data_ = static_cast<const char*>(map);
        size_ = size;
        mapped_ = true;
        return true;
    }
    // Not mappable: read it instead, as much as there is.
    copy_.resize(size);
    size_t done = 0;
    while (done < size) {
        const ssize_t got = ::read(file.fd, copy_.data() + done, size - done);
        if (got < 0 && errno == EINTR) continue;
        if (got <= 0) break;
        done += static_cast<size_t>(got);
    }
    copy_.resize(done);
    data_ = copy_.data();
    size_ = done;
    return true;
}

void DictionaryBytes::release() {
    if (mapped_) ::munmap(const_cast<char*>(data_), size_);
    mapped_ = false;
    data_ = nullptr;
    size_ = 0;
    copy_.clear();
    copy_.shrink_to_fit();
    loaded_ = false;
}

size_t findLineEnd(std::string_view text, size_t from) {
    const char* data = text.data();
    const size_t end = text.size();
    while (from < end) {
        const void* cr = std::memchr(data + from, '\r', end - from);
        if (!cr) return end;
        const size_t pos = static_cast<size_t>(static_cast<const char*>(cr) - data);
        if (pos + 1 < end && data[pos + 1] == '\n') return pos;
        from = pos + 1;
    }
    return end;
}

size_t findLineStart(std::string_view text, size_t pos) {
    const char* data = text.data();
    while (pos > 0) {
        const void* lf = ::memrchr(data, '\n', pos);
        if (!lf) return 0;
        const size_t at = static_cast<size_t>(static_cast<const char*>(lf) - data);
        if (at > 0 && data[at - 1] == '\r') return at + 1;
        pos = at;
    }
    return 0;
}

NeedleFinder::NeedleFinder(std::string_view needle) : needle_(needle), foldMask_(needle.size(), 0) {
    for (size_t i = 0; i < needle_.size(); ++i) {
        const char c = needle_[i];
        if (c >= 'a' && c <= 'z') foldMask_[i] = 0x20;
    }
    const auto commonness = [&](size_t i) {
        return kByteCommonness[static_cast<unsigned char>(needle_[i])];
    };
    for (size_t i = 1; i < needle_.size(); ++i)
        if (commonness(i) < commonness(rare_)) rare_ = i;
    other_ = rare_;
    for (size_t i = 0; i < needle_.size(); ++i)
        if (i != rare_ && (other_ == rare_ || commonness(i) < commonness(other_))) other_ = i;
}

namespace {

// The needle compared at `at`, letters in either case where the mask says.
inline bool needleAt(const char* at, const char* needle, const char* mask, size_t n) {
    for (size_t k = 0; k < n; ++k)
        if ((at[k] | mask[k]) != needle[k]) return false;
    return true;
}

struct NeedleScan {
    const char* hay;
    const char* needle;
    const char* mask;
    size_t n;
    size_t rare, other;
};

// The positions from `from` to `lastStart` whose two rarest bytes fit are
// found sixteen (or thirty-two) at a time; each is then compared whole.
#if defined(__x86_64__)
size_t findSse2(const NeedleScan& s, size_t from, size_t lastStart) {
    const __m128i rareByte = _mm_set1_epi8(s.needle[s.rare]);
    const __m128i rareMask = _mm_set1_epi8(s.mask[s.rare]);
    const __m128i otherByte = _mm_set1_epi8(s.needle[s.other]);
    const __m128i otherMask = _mm_set1_epi8(s.mask[s.other]);
    size_t i = from;
    for (; i + 16 <= lastStart + 1; i += 16) {
        const __m128i a = _mm_loadu_si128(reinterpret_cast<const __m128i*>(s.hay + i + s.rare));
        const __m128i b = _mm_loadu_si128(reinterpret_cast<const __m128i*>(s.hay + i + s.other));
        unsigned bits = static_cast<unsigned>(_mm_movemask_epi8(
            _mm_and_si128(_mm_cmpeq_epi8(_mm_or_si128(a, rareMask), rareByte),
                          _mm_cmpeq_epi8(_mm_or_si128(b, otherMask), otherByte))));
        for (; bits != 0; bits &= bits - 1) {
            const size_t at = i + static_cast<size_t>(__builtin_ctz(bits));
            if (needleAt(s.hay + at, s.needle, s.mask, s.n)) return at;
        }
    }
    return i;  // where the caller goes on one position at a time
}

// The first position of `found` (a mask of candidates from i on) where the
// whole needle is, or npos.
__attribute__((target("avx2"))) inline size_t firstMatchAvx2(const NeedleScan& s, size_t i,
                                                             __m256i found) {
    for (auto bits = static_cast<unsigned>(_mm256_movemask_epi8(found)); bits != 0;
         bits &= bits - 1) {
        const size_t at = i + static_cast<size_t>(__builtin_ctz(bits));
        if (needleAt(s.hay + at, s.needle, s.mask, s.n)) return at;
    }
    return std::string_view::npos;
}

__attribute__((target("avx2"))) size_t findAvx2(const NeedleScan& s, size_t from,
                                                size_t lastStart) {
    const __m256i rareByte = _mm256_set1_epi8(s.needle[s.rare]);
    const __m256i rareMask = _mm256_set1_epi8(s.mask[s.rare]);
    const __m256i otherByte = _mm256_set1_epi8(s.needle[s.other]);
    const __m256i otherMask = _mm256_set1_epi8(s.mask[s.other]);
#define TULVO_CANDIDATES(i)                                                                    \
    _mm256_and_si256(                                                                          \
        _mm256_cmpeq_epi8(_mm256_or_si256(_mm256_loadu_si256(reinterpret_cast<const __m256i*>( \
                                              s.hay + (i) + s.rare)),                          \
                                          rareMask),                                           \
                          rareByte),                                                           \
        _mm256_cmpeq_epi8(_mm256_or_si256(_mm256_loadu_si256(reinterpret_cast<const __m256i*>( \
                                              s.hay + (i) + s.other)),                         \
                                          otherMask),                                          \
                          otherByte))
    size_t i = from;
    // Sixty-four positions a round, tested together: candidates are rare.
    for (; i + 64 <= lastStart + 1; i += 64) {
        const __m256i low = TULVO_CANDIDATES(i), high = TULVO_CANDIDATES(i + 32);
        const __m256i either = _mm256_or_si256(low, high);
        if (_mm256_testz_si256(either, either)) continue;
        if (const size_t at = firstMatchAvx2(s, i, low); at != std::string_view::npos) return at;
        if (const size_t at = firstMatchAvx2(s, i + 32, high); at != std::string_view::npos)
            return at;
    }
    for (; i + 32 <= lastStart + 1; i += 32)
        if (const size_t at = firstMatchAvx2(s, i, TULVO_CANDIDATES(i));
            at != std::string_view::npos)
            return at;
#undef TULVO_CANDIDATES
    return i;
}

// glibc's own record of the processor's features: asking the processor
// again costs more than the search of a short text in a virtual machine.
#if defined(TULVO_GLIBC_CPU_FEATURES)
const bool kHasAvx2 = CPU_FEATURE_ACTIVE(AVX2);
#else
const bool kHasAvx2 = [] {
    __builtin_cpu_init();
    return __builtin_cpu_supports("avx2") != 0;
}();
#endif
#endif

}  // namespace

size_t NeedleFinder::find(std::string_view hay, size_t from) const {
    const size_t n = needle_.size();
    const size_t size = hay.size();
    if (n == 0 || size < n || from > size - n) return size;
    const size_t lastStart = size - n;  // the last position where the needle fits
    const NeedleScan s{hay.data(), needle_.data(), foldMask_.data(), n, rare_, other_};
    size_t i = from;
#if defined(__x86_64__)
    // Either the first match or where the vectors stopped: the loop below
    // starts by comparing there.
    i = kHasAvx2 ? findAvx2(s, i, lastStart) : findSse2(s, i, lastStart);
#endif
    for (; i <= lastStart; ++i)
        if (needleAt(s.hay + i, s.needle, s.mask, n)) return i;
    return size;
}

bool scanLines(const std::filesystem::path& path,
               const std::function<bool(std::string_view line)>& onLine) {
    DictionaryBytes file;
    if (!file.load(path)) return false;
    forEachLine(file.bytes(), onLine);
    return true;
}

bool scanLinesContaining(const std::filesystem::path& path, std::string_view needle,
                         const std::function<bool(std::string_view line)>& onLine) {
    if (needle.empty()) return scanLines(path, onLine);
    DictionaryBytes file;
    if (!file.load(path)) return false;
    forEachLineContaining(file.bytes(), NeedleFinder(needle), onLine);
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
