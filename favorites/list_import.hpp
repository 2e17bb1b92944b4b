// Importing a word-list file into the favorites: its encoding found from a
// byte-order mark, the caller's choice or detection, optionally checked by
// the user in a preview, the text cut into words of CJK unified ideographs,
// every new word added to the store, which is then saved once with a backup
// of the old file. Also the update-back of a tracked list.
#pragma once

#include <filesystem>
#include <string>
#include <string_view>
#include <vector>

#include "favorites/favorites_store.hpp"
#include "favorites/list_detector.hpp"

namespace tulvo::favorites {

struct ImportRequest {
    std::string_view text;  // the whole file
    bool addSingleCharacters = true;
    bool showPreview = false;
    int encoding = -1;    // code page chosen by the user or the settings; -1 none
    WordClasses classes;  // the frequency data, for the detection
};

// What importList returns when the store could not be written; the store's
// failureReason() says why.
inline constexpr int kImportFailed = -2;

// Word-list files are read only when they are regular files of at most this
// size: a device or a pipe named as a list would never end, and no word list
// is larger.
inline constexpr size_t kMaxListBytes = size_t(64) << 20;

struct ListFile {
    enum Status { Read, Missing, NotAFile, TooLarge, Unreadable } status = Unreadable;
    std::string bytes;
};
// Reads a word-list file whole, without blocking on pipes or devices.
ListFile readListFile(const std::filesystem::path& file);
// A sentence for the user about a list file that was not read.
std::string listFileProblem(ListFile::Status status);

// One entry of the preview's encoding list.
struct EncodingEntry {
    std::u16string label;
    int codePage;
};

// The five fixed entries, plus "Encoding #n" when `codePage` is not one of
// 936, 950, 65001 and 0.
std::vector<EncodingEntry> encodingEntries(int codePage);
// The entry the list opens with for `codePage`.
int selectedEntry(const std::vector<EncodingEntry>& entries, int codePage);
// The text the preview shows: code page 0 shows at most the first 10,000
// bytes as UTF-16, any other at most 10,000 converted units.
std::u16string previewText(std::string_view text, int codePage);

// The "File preview" dialog as the import sees it.
class FilePreview {
  public:
    virtual ~FilePreview() = default;
    // Shows `text` decoded with the code page of entry `selected` and lets
    // the user pick an entry; the code page of the entry taken with OK, or -1
    // when the user cancelled.
    virtual int choose(std::string_view text, const std::vector<EncodingEntry>& entries,
                       int selected) = 0;
};

// The code page the import uses before any preview, and how many bytes of a
// byte-order mark to skip.
struct TextEncoding {
    int codePage;
    size_t skip;
};
TextEncoding encodingOf(std::string_view text, int requested, const WordClasses& classes = {});

// The words of `text`: runs of 1 to 15 units from U+4E00 to U+9FFF, each
// followed by its single characters when `singles` is set and it has more
// than one. Longer runs are skipped whole. The text ends at a zero unit.
std::vector<std::u16string> splitWords(std::u16string_view text, bool singles);

// Runs the import; the number of words newly added to `store`, -1 when the
// user cancelled the preview, kImportFailed when the store could not be
// written (then nothing was added). `chosenCodePage` receives the code page
// used. The preview is only asked for when the request says so.
int importList(const ImportRequest& request, FavoritesStore& store, FilePreview* preview,
               int* chosenCodePage = nullptr);

enum class UpdateBack {
    Appended,
    NoFile,      // the tracked file does not exist (or is no regular file)
    CannotHold,  // the file's encoding has no bytes for a character of the word
    Failed,      // writing failed; the file is as it was
};
// Appends a space and `word` to the tracked list file, in its encoding (0 is
// UTF-16LE; -1 takes the encoding the import would find in the file). The
// whole word or nothing: a word the encoding cannot hold is not written, and
// a failed write is cut off again. `reason` receives why a write failed.
UpdateBack appendToTrackedList(const std::filesystem::path& file, int encoding,
                               std::u16string_view word, const WordClasses& classes = {},
                               std::string* reason = nullptr);

}  // namespace tulvo::favorites
