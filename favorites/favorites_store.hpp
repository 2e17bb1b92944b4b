// The favorite words, kept in data/favorites.dat: blocks of words of equal
// length (int32 length, int32 count, the words as UTF-16LE units), in
// increasing length, each block sorted by code unit. The whole file is held
// in one buffer, changed in place and written back whole after each change.
#pragma once

#include <cstdint>
#include <filesystem>
#include <string>
#include <string_view>
#include <vector>

namespace tulvo::favorites {

inline const std::filesystem::path kFavoritesPath = std::filesystem::path("data") / "favorites.dat";
// While this file exists in the program directory, a count overflow is shown.
inline const std::filesystem::path kDebugMarkerPath = "debug.txt";

inline constexpr int kMaxWordLength = 30;
inline constexpr int32_t kMaxWordCount = 1'000'000;

// How the store shows its one diagnostic; the main window shows a message
// box with this caption and text.
class FavoritesMessages {
  public:
    virtual ~FavoritesMessages() = default;
    virtual void showMessage(std::u16string_view caption, std::u16string_view text) = 0;
};

class FavoritesStore {
  public:
    explicit FavoritesStore(std::filesystem::path file = kFavoritesPath,
                            std::filesystem::path debugMarker = kDebugMarkerPath,
                            FavoritesMessages* messages = nullptr);

    // Reads the file whole into the buffer; a missing file is created empty
    // unless `createMissing` is false (a read-only look at the store). A file
    // that exists but cannot be read is treated as empty and never written.
    void load(bool createMissing = true);

    // Inserts the word and writes the file when it was not there yet. Empty
    // words and words longer than 30 units are not stored.
    void add(std::u16string_view word);
    // Inserts the word into the buffer without writing the file; true when it
    // was not there yet (the list import adds many words, then saves once).
    bool insert(std::u16string_view word);
    // Writes the buffer to the file, replacing it; false when that failed.
    bool save() const;
    const std::filesystem::path& file() const { return file_; }

    // Deletes the word and writes the file when it was there.
    void remove(std::u16string_view word);
    // 1 when the word is a favorite, else 0. Never writes.
    int test(std::u16string_view word) const;

    const std::string& buffer() const { return buffer_; }

  private:
    // Where the scan for a word of length `length` ended.
    struct ScanResult {
        enum Kind { Block, NoBlock, Refused } kind = Refused;
        size_t position = 0;  // Block: the block header; NoBlock: where a new block goes
        int32_t count = 0;    // Block: its word count
    };
    ScanResult scan(size_t length) const;
    // Binary search in the block at `header`; the insertion index when absent.
    bool find(size_t header, int32_t count, std::u16string_view word, int32_t& index) const;
    void setInt32(size_t at, int32_t value);

    std::filesystem::path file_;
    std::filesystem::path debugMarker_;
    FavoritesMessages* messages_;
    std::string buffer_;
    bool writable_ = true;
};

}  // namespace tulvo::favorites
