// The dictionary file: reading it line by line, and cutting the fields out of
// an entry line. Every reader of the dictionary uses these, so that all
// lookups see the same fields.
#pragma once

#include <algorithm>
#include <array>
#include <filesystem>
#include <functional>
#include <memory>
#include <string>
#include <string_view>

#include "platform/whole_file.hpp"

namespace tulvo::dictionary {

// Where the dictionary lives, relative to the program directory.
inline const std::filesystem::path kDictionaryPath = std::filesystem::path("data") / "CEDICT_ts.u8";

// The whole dictionary file as one read-only range of bytes: mapped into
// memory when the system allows it, else read. A holder keeps them from one
// load to the next as long as the file on disk stays the same.
class DictionaryBytes {
  public:
    // Opens the file, creating it empty when it is missing (open-or-create),
    // and makes its bytes available. Bytes already held are kept when the
    // file is still the same one (device, inode, size and modification
    // time); any change, a replaced file included, loads it afresh. Returns
    // false, and holds no bytes, when the file can be neither opened nor
    // created.
    bool load(const std::filesystem::path& path);
    // Gives the bytes (and their mapping) back.
    void release();
    std::string_view bytes() const { return file_.bytes(); }

  private:
    MappedFile file_;
    struct Identity {
        unsigned long long device = 0, inode = 0, size = 0;
        long long modifiedSeconds = 0, modifiedNanoseconds = 0;
        bool operator==(const Identity&) const = default;
    };
    Identity identity_;
    bool loaded_ = false;
};

// Gives back memory that was mapped for bytes.
struct UnmapBytes {
    size_t size = 0;
    void operator()(char* bytes) const;
};
using PopulatedBytes = std::unique_ptr<char[], UnmapBytes>;
// `size` bytes of memory with their pages present: pages that come in one by
// one as they are first written cost a fault each, far more than the
// system's filling them in one go. Throws std::bad_alloc when there is none.
PopulatedBytes populatedBytes(size_t size);

// The dictionary file read a block of whole lines at a time into one buffer
// that is used again for every block: a search reads each byte once, and
// the system copies a file into a buffer it has just touched faster than
// the pages of a mapping, or of a buffer the size of the file, come in.
class LineBlockReader {
  public:
    static constexpr size_t kBlockSize = 128 * 1024;

    // Opens the file, creating it empty when it is missing (open-or-create).
    // False when it can be neither opened nor created; something that is no
    // regular file opens with no lines.
    bool open(const std::filesystem::path& path);
    LineBlockReader() = default;
    LineBlockReader(const LineBlockReader&) = delete;
    LineBlockReader& operator=(const LineBlockReader&) = delete;
    // Hands the file from its first byte to `fn` in blocks of whole lines,
    // each line with its CR LF (the last line of the file may lack one); a
    // line longer than a block comes whole in a larger one. Stops when `fn`
    // returns false, and returns false then. The file is closed afterwards.
    bool forEachBlock(const std::function<bool(std::string_view block)>& fn);
    ~LineBlockReader();

  private:
    int fd_ = -1;
    PopulatedBytes buffer_;  // kept from one file to the next
    size_t capacity_ = 0;
};

// Finds where a needle occurs in the dictionary's bytes, ignoring ASCII case
// when the needle holds a letter (give it in lower case). It tests the
// needle's two rarest bytes at many positions at once and compares the few
// candidates whole, so that a rare needle costs about one read of the bytes.
class NeedleFinder {
  public:
    explicit NeedleFinder(std::string_view needle);
    // The first position from `from` on where the needle starts, or
    // hay.size() when there is none. An empty needle is found nowhere.
    size_t find(std::string_view hay, size_t from) const;
    size_t size() const { return needle_.size(); }

  private:
    std::string needle_;
    std::string foldMask_;         // 0x20 where the needle holds a letter, else 0
    size_t rare_ = 0, other_ = 0;  // positions of the two rarest bytes
};

// Finds the lines whose pinyin field (see pinyinField) may start with one of
// a set of bytes: the lines with a "[" followed by such a byte, and the
// lines without "[", whose field starts the line. Every line whose field
// does start with one is among them. It marks brackets and line ends
// sixty-four bytes at a time, so that a search whose key must begin the
// field passes over the other lines without cutting them out.
class FieldStartFinder {
  public:
    // `wanted[b]`: whether a field may start with byte b.
    explicit FieldStartFinder(const std::array<bool, 256>& wanted);
    // The start of the first such line at or after `from`, which must be
    // where a line starts; hay.size() when there is none.
    size_t nextLine(std::string_view hay, size_t from) const;

  private:
    std::array<bool, 256> wanted_;
    // The wanted bytes below 0x80 by their two halves, for the vector test:
    // bit h of lowNibbles_[l] set when byte h * 16 + l is wanted.
    std::array<unsigned char, 16> lowNibbles_{};
    bool asciiOnly_ = true;
};

// Where the first CR LF at or after `from` starts, or text.size().
size_t findLineEnd(std::string_view text, size_t from);
// Where the line holding position `pos` starts: just after the last CR LF
// before it, or 0.
size_t findLineStart(std::string_view text, size_t pos);

// Hands each line of `bytes` (lines end only at CR LF, which is removed; the
// last line may end without one) to `fn`; stops when `fn` returns false and
// returns false then.
template <typename Fn>
bool forEachLine(std::string_view bytes, Fn&& fn) {
    for (size_t start = 0; start < bytes.size();) {
        const size_t end = findLineEnd(bytes, start);
        if (!fn(bytes.substr(start, end - start))) return false;
        start = end + 2;
    }
    return true;
}

// The start of the first line at or after `from` (where a line starts) that
// contains the needle, or bytes.size(). A match that takes in part of a line
// end belongs to no line.
size_t nextLineContaining(std::string_view bytes, const NeedleFinder& needle, size_t from);

// Like forEachLine, but hands over only the lines that contain the needle;
// every other line cannot match a query whose key contains it.
template <typename Fn>
bool forEachLineContaining(std::string_view bytes, const NeedleFinder& needle, Fn&& fn) {
    for (size_t from = 0; from < bytes.size();) {
        const size_t start = nextLineContaining(bytes, needle, from);
        if (start >= bytes.size()) break;
        const size_t end = findLineEnd(bytes, start);
        if (!fn(bytes.substr(start, end - start))) return false;
        from = end + 2;
    }
    return true;
}

// Reads the file from its first byte and hands each line, without its CR LF,
// to `onLine`; stops early when `onLine` returns false. Lines end only at
// CR LF (a lone LF is part of the line). A missing file is created empty
// (open-or-create) and yields no lines. Returns false when the file could be
// neither opened nor created.
bool scanLines(const std::filesystem::path& path,
               const std::function<bool(std::string_view line)>& onLine);

// Like scanLines, but hands over only the lines that contain `needle`
// compared ignoring ASCII case (`needle` given in lower case). An empty
// needle hands over every line.
bool scanLinesContaining(const std::filesystem::path& path, std::string_view needle,
                         const std::function<bool(std::string_view line)>& onLine);

// Form 1 for matching: the bytes before the first space (the whole line when
// there is none).
std::string_view matchFormTraditional(std::string_view line);

// Form 2 for matching: as many bytes as form 1 has, starting right after the
// first space, whatever the second space says (the whole line when there is
// no space).
std::string_view matchFormSimplified(std::string_view line);

// The k-th field (1-based) of the line split at single spaces, as shown and
// as used by the reading lookup. Field 1 of a line without a space is the
// whole line, and so is field 2.
std::string_view spaceField(std::string_view line, int k);

// The bytes after the first "[" up to the byte before the first "]" after it.
// Without "[" the field starts at the line's first byte; without "]" it runs
// to the end of the line.
std::string_view pinyinField(std::string_view line);

// The bytes after the first "/" to the end of the line (the whole line when
// there is no "/").
std::string_view definitionText(std::string_view line);

// Calls `fn` with each definition of a definition text: the pieces before
// each "/" (the piece after the last "/" is not one). Stops when `fn`
// returns false; returns false then.
template <typename Fn>
bool forEachDefinition(std::string_view definitionText, Fn&& fn) {
    size_t start = 0;
    for (size_t slash = definitionText.find('/'); slash != std::string_view::npos;
         slash = definitionText.find('/', start)) {
        if (!fn(definitionText.substr(start, slash - start))) return false;
        start = slash + 1;
    }
    return true;
}

}  // namespace tulvo::dictionary
