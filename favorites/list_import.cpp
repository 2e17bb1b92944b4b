#include "favorites/list_import.hpp"
#include "platform/whole_file.hpp"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cstdio>
#include <fstream>
#include <sstream>

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

std::optional<std::string> readFile(const std::filesystem::path& file) {
    std::error_code ec;
    if (!std::filesystem::is_regular_file(file, ec)) return std::nullopt;
    std::ifstream in(file, std::ios::binary);
    if (!in) return std::nullopt;
    std::ostringstream bytes;
    bytes << in.rdbuf();
    return bytes.str();
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

TextEncoding encodingOf(std::string_view text, int requested) {
    if (text.size() >= 3) {
        if (text.starts_with("\xFF\xFE")) return {kUtf16, 2};
        if (text.starts_with("\xEF\xBB\xBF")) return {kUtf8, 3};
    }
    int codePage = requested != -1 ? requested : detectCodePage(text);
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
    const TextEncoding found = encodingOf(request.text, request.encoding);
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
    int added = 0;
    for (const std::u16string& word : splitWords(*units, request.addSingleCharacters))
        if (store.insert(word)) ++added;
    if (added > 0) {
        std::filesystem::path backup = store.file();
        backup += ".bak";
        if (const auto old = readFile(store.file())) writeWholeFile(backup, *old);
        store.save();
    }
    return added;
}

bool appendToTrackedList(const std::filesystem::path& file, int encoding,
                         std::u16string_view word) {
    std::error_code ec;
    if (!std::filesystem::is_regular_file(file, ec)) return false;
    if (encoding == -1) {
        const auto old = readFile(file);
        if (!old) return false;
        encoding = encodingOf(*old, -1).codePage;
    }
    const auto bytes = encode(u" " + std::u16string(word), encoding);
    if (!bytes) return false;
    const int fd = ::open(file.c_str(), O_WRONLY | O_APPEND | O_CLOEXEC);
    if (fd < 0) return false;
    bool ok = true;
    for (size_t done = 0; done < bytes->size();) {
        const ssize_t put = ::write(fd, bytes->data() + done, bytes->size() - done);
        if (put <= 0) {
            ok = false;
            break;
        }
        done += size_t(put);
    }
    return ::close(fd) == 0 && ok;
}

}  // namespace tulvo::favorites
