#include "favorites/list_import.hpp"
#include "platform/whole_file.hpp"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstring>

#include "favorites/code_pages.hpp"

namespace tulvo::favorites {
namespace {

constexpr size_t kMaxImportedWord = 15;
constexpr size_t kPreviewLimit = 10'000;

bool isIdeograph(char16_t unit) {
    return unit >= 0x4E00 && unit <= 0x9FFF;
}

std::u16string ascii(std::string_view text) {
    return std::u16string(text.begin(), text.end());
}

}  // namespace

std::vector<EncodingEntry> encodingEntries(int codePage) {
    std::vector<EncodingEntry> entries{
        {u"Unicode, standard encoding", kUtf16},
        {u"Unicode, UTF-8", kUtf8},
        {u"Unicode, UTF-7", kUtf7},
        {u"Simplified Chinese, GB2312 encoding", kGbk},
        {u"Traditional Chinese, Big5 encoding", kBig5},
    };
    if (codePage != kGbk && codePage != kBig5 && codePage != kUtf8 && codePage != kUtf16) {
        std::u16string label = u"Encoding #" + ascii(std::to_string(codePage));
        if (codePage == 1200 || codePage == 1252 || codePage == 1254 || codePage == 20127)
            label += u" (Western characters only)";
        entries.push_back({label, codePage});
    }
    return entries;
}

int selectedEntry(const std::vector<EncodingEntry>& entries, int codePage) {
    switch (codePage) {
        case kUtf16:
            return 0;
        case kUtf8:
            return 1;
        case kUtf7:
            return 2;
        case kGbk:
            return 3;
        case kBig5:
            return 4;
        default:
            break;
    }
    // The detected code page's own entry, so that the list names the
    // decoding the preview shows and OK imports with it.
    return entries.size() > 5 ? 5 : 0;
}

std::u16string previewText(std::string_view text, int codePage) {
    if (codePage == kUtf16) text = text.substr(0, kPreviewLimit);
    return decode(text, codePage, kPreviewLimit).value_or(std::u16string());
}

TextEncoding encodingOf(std::string_view text, int requested, const WordClasses& classes) {
    if (text.size() >= 3) {
        if (text.starts_with("\xFF\xFE")) return {kUtf16, 2};
        if (text.starts_with("\xEF\xBB\xBF")) return {kUtf8, 3};
    }
    int codePage = requested != -1 ? requested : detectListCodePage(text, classes);
    if (codePage == kShiftJis) codePage = kGbk;
    return {codePage, 0};
}

std::vector<std::u16string> splitWords(std::u16string_view text, bool singles) {
    std::vector<std::u16string> words;
    size_t start = 0;
    for (size_t i = 0; i <= text.size(); ++i) {
        const char16_t unit = i < text.size() ? text[i] : u'\0';
        if (isIdeograph(unit)) continue;
        const size_t length = i - start;
        if (length >= 1 && length <= kMaxImportedWord) {
            const std::u16string_view word = text.substr(start, length);
            words.emplace_back(word);
            if (singles && length > 1)
                for (char16_t c : word) words.emplace_back(1, c);
        }
        if (unit == u'\0') break;
        start = i + 1;
    }
    return words;
}

int importList(const ImportRequest& request, FavoritesStore& store, FilePreview* preview,
               int* chosenCodePage) {
    const TextEncoding found = encodingOf(request.text, request.encoding, request.classes);
    const std::string_view text = request.text.substr(found.skip);
    int codePage = found.codePage;
    if (request.showPreview && preview) {
        const std::vector<EncodingEntry> entries = encodingEntries(codePage);
        codePage = preview->choose(text, entries, selectedEntry(entries, codePage));
    }
    if (chosenCodePage) *chosenCodePage = codePage;
    if (codePage == -1) return -1;

    const std::optional<std::u16string> units = decode(text, codePage);
    if (!units) return 0;
    // One read-modify-write of the store for all words, with a backup of
    // the file as it was when anything is new.
    const int added = store.addWords(splitWords(*units, request.addSingleCharacters), true);
    return added < 0 ? kImportFailed : added;
}

ListFile readListFile(const std::filesystem::path& file) {
    ListFile list;
    ReadFailure why = ReadFailure::None;
    if (auto bytes = readWholeFile(file, kMaxListBytes, &why)) {
        list.status = ListFile::Read;
        list.bytes = std::move(*bytes);
        return list;
    }
    switch (why) {
        case ReadFailure::Missing:
            list.status = ListFile::Missing;
            break;
        case ReadFailure::NotRegular:
            list.status = ListFile::NotAFile;
            break;
        case ReadFailure::TooLarge:
            list.status = ListFile::TooLarge;
            break;
        default:
            list.status = ListFile::Unreadable;
            break;
    }
    return list;
}

std::string listFileProblem(ListFile::Status status) {
    switch (status) {
        case ListFile::Read:
            return {};
        case ListFile::Missing:
            return "the file does not exist";
        case ListFile::NotAFile:
            return "it is not a regular file";
        case ListFile::TooLarge:
            return "it is larger than 64 MiB, too large for a word list";
        case ListFile::Unreadable:
            break;
    }
    return "the file cannot be read";
}

UpdateBack appendToTrackedList(const std::filesystem::path& file, int encoding,
                               std::u16string_view word, const WordClasses& classes,
                               std::string* reason) {
    std::error_code ec;
    if (!std::filesystem::is_regular_file(file, ec)) return UpdateBack::NoFile;
    if (encoding == -1) {
        const ListFile old = readListFile(file);
        if (old.status == ListFile::Missing || old.status == ListFile::NotAFile)
            return UpdateBack::NoFile;
        if (old.status != ListFile::Read) {
            if (reason) *reason = listFileProblem(old.status);
            return UpdateBack::Failed;
        }
        encoding = encodingOf(old.bytes, -1, classes).codePage;
    }
    const auto bytes = encode(u" " + std::u16string(word), encoding, /*strict=*/true);
    if (!bytes) return UpdateBack::CannotHold;
    const int fd = ::open(file.c_str(), O_WRONLY | O_NONBLOCK | O_CLOEXEC);
    if (fd < 0) {
        if (errno == ENOENT) return UpdateBack::NoFile;
        if (reason) *reason = std::strerror(errno);
        return UpdateBack::Failed;
    }
    struct stat st;
    if (::fstat(fd, &st) != 0 || !S_ISREG(st.st_mode)) {
        ::close(fd);
        return UpdateBack::NoFile;
    }
    // Written at the end as the file is now; on any failure the file is cut
    // back to that length, so that no half word stays in it.
    const off_t end = st.st_size;
    int error = 0;
    for (size_t done = 0; done < bytes->size();) {
        const ssize_t put =
            ::pwrite(fd, bytes->data() + done, bytes->size() - done, end + off_t(done));
        if (put < 0 && errno == EINTR) continue;
        if (put <= 0) {
            error = put < 0 ? errno : ENOSPC;
            break;
        }
        done += size_t(put);
    }
    if (error == 0 && ::fsync(fd) != 0) error = errno;
    if (error != 0 && ::ftruncate(fd, end) != 0) {
        // Nothing more can be done: the file keeps what was written.
    }
    if (::close(fd) != 0 && error == 0) error = errno;
    if (error != 0) {
        if (reason) *reason = std::strerror(error);
        return UpdateBack::Failed;
    }
    return UpdateBack::Appended;
}

}  // namespace tulvo::favorites
