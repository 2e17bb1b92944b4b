#include "dictionary/dictionary_file.hpp"

#include <fcntl.h>
#include <sys/mman.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdint>
#include <cstring>
#include <new>
#include <utility>

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
    // A file that cannot be read has no lines.
    loaded_ = file_.open(file.fd, static_cast<size_t>(std::max<off_t>(st.st_size, 0)));
    return true;
}

void DictionaryBytes::release() {
    file_.close();
    loaded_ = false;
}

void UnmapBytes::operator()(char* bytes) const {
    ::munmap(bytes, size);
}

PopulatedBytes populatedBytes(size_t size) {
    void* bytes = ::mmap(nullptr, size, PROT_READ | PROT_WRITE,
                         MAP_PRIVATE | MAP_ANONYMOUS | MAP_POPULATE, -1, 0);
    if (bytes == MAP_FAILED) throw std::bad_alloc();
    return PopulatedBytes(static_cast<char*>(bytes), UnmapBytes{size});
}

bool LineBlockReader::open(const std::filesystem::path& path) {
    if (fd_ >= 0) ::close(fd_);
    struct stat st;
    ReadFailure failure = ReadFailure::None;
    fd_ = openOrCreate(path, st, failure);
    return fd_ >= 0 || failure == ReadFailure::NotRegular;
}

LineBlockReader::~LineBlockReader() {
    if (fd_ >= 0) ::close(fd_);
}

bool LineBlockReader::forEachBlock(const std::function<bool(std::string_view block)>& fn) {
    if (fd_ < 0) return true;
    const FdCloser file{std::exchange(fd_, -1)};
    if (!buffer_) {
        buffer_ = populatedBytes(kBlockSize);
        capacity_ = kBlockSize;
    }
    size_t held = 0;  // bytes of a line begun in the last block
    for (;;) {
        const ssize_t got = ::read(file.fd, buffer_.get() + held, capacity_ - held);
        if (got < 0 && errno == EINTR) continue;
        if (got <= 0) break;
        const size_t filled = held + static_cast<size_t>(got);
        // Up to the last CR LF that the buffer holds whole.
        const size_t cut = findLineStart(std::string_view(buffer_.get(), filled), filled);
        if (cut > 0 && !fn(std::string_view(buffer_.get(), cut))) return false;
        held = filled - cut;
        if (held == capacity_) {
            PopulatedBytes larger = populatedBytes(2 * capacity_);
            std::memcpy(larger.get(), buffer_.get(), held);
            buffer_ = std::move(larger);
            capacity_ *= 2;
        } else {
            std::memmove(buffer_.get(), buffer_.get() + cut, held);
        }
    }
    return held == 0 || fn(std::string_view(buffer_.get(), held));
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

// Bytes with the case bit of letters set where `mask` says, when the needle
// folds case at all.
template <bool Fold>
__attribute__((target("avx2"))) inline __m256i fold(__m256i bytes, __m256i mask) {
    if constexpr (Fold)
        return _mm256_or_si256(bytes, mask);
    else
        return bytes;
}

// `Fold`: whether either of the two bytes is a letter compared in either
// case; a needle of Chinese characters has none and saves the two ORs.
template <bool Fold>
__attribute__((target("avx2"))) size_t findAvx2(const NeedleScan& s, size_t from,
                                                size_t lastStart) {
    const __m256i rareByte = _mm256_set1_epi8(s.needle[s.rare]);
    const __m256i rareMask = _mm256_set1_epi8(s.mask[s.rare]);
    const __m256i otherByte = _mm256_set1_epi8(s.needle[s.other]);
    const __m256i otherMask = _mm256_set1_epi8(s.mask[s.other]);
#define TULVO_CANDIDATES(i)                                                                        \
    _mm256_and_si256(                                                                              \
        _mm256_cmpeq_epi8(                                                                         \
            fold<Fold>(_mm256_loadu_si256(reinterpret_cast<const __m256i*>(s.hay + (i) + s.rare)), \
                       rareMask),                                                                  \
            rareByte),                                                                             \
        _mm256_cmpeq_epi8(fold<Fold>(_mm256_loadu_si256(                                           \
                                         reinterpret_cast<const __m256i*>(s.hay + (i) + s.other)), \
                                     otherMask),                                                   \
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
    if (!kHasAvx2)
        i = findSse2(s, i, lastStart);
    else if (foldMask_[rare_] != 0 || foldMask_[other_] != 0)
        i = findAvx2<true>(s, i, lastStart);
    else
        i = findAvx2<false>(s, i, lastStart);
#endif
    for (; i <= lastStart; ++i)
        if (needleAt(s.hay + i, s.needle, s.mask, n)) return i;
    return size;
}

size_t nextLineContaining(std::string_view bytes, const NeedleFinder& needle, size_t from) {
    const size_t lineStart = from;
    while (from < bytes.size()) {
        const size_t at = needle.find(bytes, from);
        if (at >= bytes.size()) break;
        // The first CR LF that touches or follows the match.
        const size_t end = findLineEnd(bytes, at > 0 ? at - 1 : 0);
        if (end >= at + needle.size()) return std::max(lineStart, findLineStart(bytes, at));
        from = at + 1;
    }
    return bytes.size();
}

namespace {

// What the field-start search needs of 64 bytes: bit i of `opens` set where
// byte i is "[", of `feeds` where it is LF, of `fitting` where byte i + 1 is
// a wanted byte.
struct BlockMarks {
    uint64_t opens = 0, feeds = 0, fitting = 0;
};

// Byte by byte, for the last bytes of the text; `fitting` only where it
// matters, after a "[".
BlockMarks plainMarks(const char* block, size_t count, size_t available,
                      const std::array<bool, 256>& wanted) {
    BlockMarks marks;
    for (size_t i = 0; i < count; ++i) {
        const uint64_t bit = uint64_t(1) << i;
        if (block[i] == '\n') marks.feeds |= bit;
        if (block[i] != '[') continue;
        marks.opens |= bit;
        if (i + 1 < available && wanted[static_cast<unsigned char>(block[i + 1])])
            marks.fitting |= bit;
    }
    return marks;
}

#if defined(__x86_64__)
// Sixteen bytes at a time; `fitting` looked up after each "[".
BlockMarks sse2Marks(const char* block, const std::array<bool, 256>& wanted) {
    BlockMarks marks;
    const __m128i open = _mm_set1_epi8('['), feed = _mm_set1_epi8('\n');
    for (int k = 0; k < 4; ++k) {
        const __m128i v = _mm_loadu_si128(reinterpret_cast<const __m128i*>(block + 16 * k));
        marks.opens |= uint64_t(unsigned(_mm_movemask_epi8(_mm_cmpeq_epi8(v, open)))) << (16 * k);
        marks.feeds |= uint64_t(unsigned(_mm_movemask_epi8(_mm_cmpeq_epi8(v, feed)))) << (16 * k);
    }
    for (uint64_t opens = marks.opens; opens != 0; opens &= opens - 1) {
        const int i = __builtin_ctzll(opens);
        if (wanted[static_cast<unsigned char>(block[i + 1])]) marks.fitting |= opens & -opens;
    }
    return marks;
}

// Thirty-two bytes at a time, the wanted bytes (all below 0x80) looked up
// by their two halves: bit h of lowNibbles[l] says whether byte h * 16 + l
// is wanted.
struct Avx2Tables {
    __m256i lowNibbles, highBits;
};

__attribute__((target("avx2"))) inline uint64_t mask64(__m256i low, __m256i high) {
    return uint64_t(unsigned(_mm256_movemask_epi8(low))) |
           uint64_t(unsigned(_mm256_movemask_epi8(high))) << 32;
}

__attribute__((target("avx2"))) inline __m256i wantedBytes(__m256i v, const Avx2Tables& t) {
    const __m256i nibble = _mm256_set1_epi8(0x0F);
    const __m256i low = _mm256_shuffle_epi8(t.lowNibbles, _mm256_and_si256(v, nibble));
    const __m256i high =
        _mm256_shuffle_epi8(t.highBits, _mm256_and_si256(_mm256_srli_epi16(v, 4), nibble));
    return _mm256_xor_si256(_mm256_cmpeq_epi8(_mm256_and_si256(low, high), _mm256_setzero_si256()),
                            _mm256_set1_epi8(-1));
}

// Needs 65 readable bytes from `block`.
__attribute__((target("avx2"))) inline BlockMarks avx2Marks(const char* block,
                                                            const Avx2Tables& t) {
    const auto* at = reinterpret_cast<const __m256i*>(block);
    const auto* next = reinterpret_cast<const __m256i*>(block + 1);
    const __m256i a = _mm256_loadu_si256(at), b = _mm256_loadu_si256(at + 1);
    const __m256i nextA = _mm256_loadu_si256(next), nextB = _mm256_loadu_si256(next + 1);
    const __m256i open = _mm256_set1_epi8('['), feed = _mm256_set1_epi8('\n');
    BlockMarks marks;
    marks.opens = mask64(_mm256_cmpeq_epi8(a, open), _mm256_cmpeq_epi8(b, open));
    marks.feeds = mask64(_mm256_cmpeq_epi8(a, feed), _mm256_cmpeq_epi8(b, feed));
    marks.fitting = mask64(wantedBytes(nextA, t), wantedBytes(nextB, t));
    return marks;
}
#endif

// The walk over the blocks from `from`, with `marksOf(block)` for each whole
// block that has a byte after it.
template <typename MarksOf>
__attribute__((always_inline)) inline size_t walkBlocks(std::string_view hay, size_t from,
                                                        const std::array<bool, 256>& wanted,
                                                        MarksOf marksOf) {
    const char* data = hay.data();
    const size_t size = hay.size();
    // Whether a "[" came after the last LF: the carry of the sums below from
    // one block to the next. `from` starts a line, so none has.
    bool opened = false;
    for (size_t block = from; block < size; block += 64) {
        const size_t count = std::min<size_t>(64, size - block);
        const BlockMarks marks = block + 64 < size
                                     ? marksOf(data + block)
                                     : plainMarks(data + block, count, size - block, wanted);
        // Each "[" starts a carry that runs up to the next LF: an LF gets a
        // carry exactly when a "[" comes after the LF before it. The lines
        // are cut at every LF here, a lone one too: a piece without "[" is
        // handed over for its whole line, which is then looked at in full.
        const uint64_t valid = count == 64 ? ~uint64_t(0) : (uint64_t(1) << count) - 1;
        unsigned long long sum = 0;
        const bool carry = __builtin_uaddll_overflow(~marks.feeds & valid, marks.opens, &sum);
        const bool carried = __builtin_uaddll_overflow(sum, uint64_t(opened), &sum);
        const uint64_t found = (marks.opens & marks.fitting) | (marks.feeds & ~sum);
        if (found != 0) {
            const size_t at = block + static_cast<size_t>(__builtin_ctzll(found));
            return std::max(from, findLineStart(hay, at));
        }
        opened = count == 64 ? carry || carried : (sum >> count) & 1;
    }
    // A last line without CR LF and without "[" starts its own field.
    const size_t last = std::max(from, findLineStart(hay, size));
    return last < size && !opened ? last : size;
}

#if defined(__x86_64__)
__attribute__((target("avx2"))) size_t walkAvx2(std::string_view hay, size_t from,
                                                const std::array<bool, 256>& wanted,
                                                const Avx2Tables& tables) {
    return walkBlocks(hay, from, wanted,
                      [&](const char* block) { return avx2Marks(block, tables); });
}
#endif

}  // namespace

FieldStartFinder::FieldStartFinder(const std::array<bool, 256>& wanted) : wanted_(wanted) {
    for (size_t b = 0; b < 256; ++b) {
        if (!wanted[b]) continue;
        if (b >= 0x80)
            asciiOnly_ = false;
        else
            lowNibbles_[b & 15] |= static_cast<unsigned char>(1u << (b >> 4));
    }
}

size_t FieldStartFinder::nextLine(std::string_view hay, size_t from) const {
#if defined(__x86_64__)
    if (kHasAvx2 && asciiOnly_) {
        Avx2Tables tables;
        std::memcpy(&tables.lowNibbles, lowNibbles_.data(), 16);
        std::memcpy(reinterpret_cast<char*>(&tables.lowNibbles) + 16, lowNibbles_.data(), 16);
        // Bit h for high half h below 8; bytes from 0x80 on are never wanted here.
        alignas(32) static constexpr unsigned char kHighBits[32] = {
            1, 2, 4, 8, 16, 32, 64, 128, 0, 0, 0, 0, 0, 0, 0, 0,
            1, 2, 4, 8, 16, 32, 64, 128, 0, 0, 0, 0, 0, 0, 0, 0};
        std::memcpy(&tables.highBits, kHighBits, 32);
        return walkAvx2(hay, from, wanted_, tables);
    }
    return walkBlocks(hay, from, wanted_,
                      [&](const char* block) { return sse2Marks(block, wanted_); });
#else
    return walkBlocks(hay, from, wanted_,
                      [&](const char* block) { return plainMarks(block, 64, 65, wanted_); });
#endif
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
