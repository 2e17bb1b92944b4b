// data/freq.dat: the frequency value (frequency class and HSK level) of words
// and characters, in blocks of equal word length sorted by code unit, with
// text lines after the last block for values that apply to some readings
// only. The reader opens the file once and keeps it open (and its bytes in
// memory) for the whole run; the writer makes the same layout for the data
// build.
#pragma once

#include <cstdint>
#include <filesystem>
#include <map>
#include <string>
#include <string_view>
#include <vector>

#include "platform/whole_file.hpp"

namespace tulvo::characters {

inline const std::filesystem::path kFreqPath = std::filesystem::path("data") / "freq.dat";

// A frequency value: bits 0-3 the frequency class (0 = most frequent), bits
// 4-7 the HSK level (0 = not in the HSK lists).
inline constexpr int frequencyClass(int value) {
    return value & 15;
}
inline constexpr int hskLevel(int value) {
    return (value >> 4) & 15;
}
inline constexpr uint8_t frequencyValue(int frequencyClass, int hskLevel) {
    return static_cast<uint8_t>((frequencyClass & 15) | ((hskLevel & 15) << 4));
}

class FreqFile {
  public:
    FreqFile() = default;
    explicit FreqFile(const std::filesystem::path& path) { open(path); }
    ~FreqFile();
    FreqFile(const FreqFile&) = delete;
    FreqFile& operator=(const FreqFile&) = delete;

    // Opens the file read-only and keeps it open. A missing file behaves as
    // an empty one. Returns whether a file was opened.
    bool open(const std::filesystem::path& path);
    void close();
    bool isOpen() const { return file_.isOpen(); }

    // The frequency value (0..255) of `word`, or -1 when the file has none or
    // the value does not apply to `reading` (the entry's numbered pinyin; may
    // be empty). No favorite mark. A damaged or truncated file gives -1.
    int lookup(std::u16string_view word, std::string_view reading) const;

  private:
    bool readAt(int64_t offset, void* into, size_t size) const;
    void indexBlocks();

    MappedFile file_;
    int64_t size_ = 0;
    const char* data_ = nullptr;  // file_'s bytes
    int64_t textBase_ = 0;
    // Where the records of each word length are, in the order of the file.
    struct Block {
        int64_t length = 0, count = 0, start = 0;
    };
    std::vector<Block> blocks_;
};

// Collects words and values and lays them out as freq.dat.
class FreqFileWriter {
  public:
    // A value for `word`; `excludedReadings` are the readings it does not
    // apply to (an entry with one of these pinyin fields is unlisted). Adding
    // a word twice keeps the last value.
    void add(std::u16string_view word, uint8_t value,
             std::vector<std::string> excludedReadings = {});

    size_t size() const { return words_.size(); }
    std::string bytes() const;

  private:
    struct Entry {
        uint8_t value = 0;
        std::vector<std::string> excluded;
    };
    struct ByLengthThenUnits {
        bool operator()(const std::u16string& a, const std::u16string& b) const {
            if (a.size() != b.size()) return a.size() < b.size();
            return a < b;  // char16_t compares as unsigned 16-bit
        }
    };
    std::map<std::u16string, Entry, ByLengthThenUnits> words_;
};

}  // namespace tulvo::characters
