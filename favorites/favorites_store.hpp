// The favorite words, kept in data/favorites.dat: blocks of words of equal
// length (int32 length, int32 count, the words as UTF-16LE units), in
// increasing length, each block sorted by code unit. The whole file is held
// in one buffer. Several programs share the file, so every change is a
// read-modify-write under an exclusive lock of the store (flock on
// "<store>.lock" beside it): the file as it is now is read again when it
// changed, the one operation is applied, and the buffer replaces the file
// through a uniquely named temporary file and a rename. Readers need no lock:
// the file is only ever replaced whole. A store that is a link is changed in
// the link's target.
#pragma once

#include <cstdint>
#include <filesystem>
#include <string>
#include <string_view>
#include <vector>

#include <sys/types.h>

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

    // What a change did to the file.
    enum class Change { Unchanged, Written, Failed };

    // Inserts the word and writes the file when it was not there yet. Empty
    // words and words longer than 30 units are not stored. On Failed the
    // buffer shows the file as it is (without the word) and the failure has
    // been told through the messages, once until a write succeeds again. A
    // file whose blocks do not hold together, or that is read-only, is never
    // changed: Failed, with the reason.
    Change add(std::u16string_view word);
    // Deletes the word and writes the file when it was there.
    Change remove(std::u16string_view word);
    // Adds every word under one lock and writes the file once; the number of
    // words newly added, or -1 when the file could not be written (nothing
    // was added; failureReason() says why). With `backup` the file as it was
    // is first copied to the same name with ".bak" appended.
    int addWords(const std::vector<std::u16string>& words, bool backup);
    // Why the last write failed ("No space left on device", ...).
    const std::string& failureReason() const { return failure_; }

    const std::filesystem::path& file() const { return file_; }
    std::filesystem::path lockFile() const;

    // 1 when the word is a favorite, else 0. Never writes. Reads the file
    // again first when another program replaced it (checked at most every
    // few milliseconds, so that colouring a long list costs one check).
    int test(std::u16string_view word);
    // Reads the file again when it changed since it was last read or
    // written; true when it did.
    bool refresh();

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
    // Change the buffer only; true when the word was inserted or erased.
    bool insert(std::u16string_view word);
    bool erase(std::u16string_view word);
    // Reads the file into the buffer and notes its identity.
    void read(bool createMissing);
    // Runs `apply` on the file as it is now, under the lock, and writes the
    // buffer when it returns true.
    // With `tell`, a failure is shown through the messages.
    template <class Apply>
    Change change(Apply apply, bool backup, bool tell);
    template <class Apply>
    Change changeLocked(Apply apply, bool backup);
    void reportFailure();

    // What identifies one version of the file: replaced files differ in
    // inode, a rewritten one in size or times.
    struct Identity {
        bool exists = false;
        dev_t device = 0;
        ino_t inode = 0;
        off_t size = 0;
        int64_t modified = 0;
        int64_t changed = 0;
        bool operator==(const Identity&) const = default;
    };
    Identity identity() const;

    std::filesystem::path file_;
    std::filesystem::path debugMarker_;
    FavoritesMessages* messages_;
    std::string buffer_;
    bool readable_ = true;
    std::string damage_;  // why the buffer's blocks do not hold together
    Identity seen_;
    int64_t lastCheck_ = 0;  // steady clock, nanoseconds
    std::string failure_;
    bool failureTold_ = false;
};

}  // namespace tulvo::favorites
