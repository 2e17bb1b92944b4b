#include "tools/ploskar/zip_extract.hpp"

#include <archive.h>
#include <archive_entry.h>

#include <filesystem>
#include <memory>

#include "platform/unicode_text.hpp"
#include "platform/whole_file.hpp"

namespace tulvo::ploskar {
namespace {

// Below this the ratio is not judged: a few blocks of output can come from
// very little input at the start of any entry.
constexpr size_t kRatioFloor = size_t(64) << 10;
// How much of the text's start shows whether it is a dictionary.
constexpr size_t kDictionaryProbe = size_t(64) << 10;

using Reader = std::unique_ptr<archive, decltype(&archive_read_free)>;

std::string finalComponent(std::string_view name) {
    const size_t slash = name.find_last_of("/\\");
    return std::string(slash == std::string_view::npos ? name : name.substr(slash + 1));
}

// A dictionary line: traditional, simplified, [pinyin], /definitions/.
bool isEntryLine(std::string_view line) {
    while (!line.empty() && (line.back() == '\r' || line.back() == ' ')) line.remove_suffix(1);
    const size_t firstSpace = line.find(' ');
    if (firstSpace == 0 || firstSpace == std::string_view::npos) return false;
    const size_t secondSpace = line.find(' ', firstSpace + 1);
    if (secondSpace == std::string_view::npos || secondSpace == firstSpace + 1) return false;
    const std::string_view rest = line.substr(secondSpace + 1);
    const size_t close = rest.find("] /");
    return rest.starts_with('[') && close != std::string_view::npos && line.ends_with('/') &&
           rest.size() > close + 3;
}

// Appends `data` with LF not preceded by CR turned into CR LF; `last` is the
// byte before it.
void appendWithCrLf(std::string& out, std::string_view data, char& last) {
    for (char c : data) {
        if (c == '\n' && last != '\r') out.push_back('\r');
        out.push_back(c);
        last = c;
    }
}

}  // namespace

bool escapesDirectory(std::string_view name) {
    if (name.empty() || name.front() == '/' || name.front() == '\\') return true;
    if (name.size() >= 2 && name[1] == ':') return true;
    size_t start = 0;
    while (start <= name.size()) {
        size_t end = name.find_first_of("/\\", start);
        if (end == std::string_view::npos) end = name.size();
        if (name.substr(start, end - start) == "..") return true;
        start = end + 1;
    }
    return false;
}

std::string withCrLf(std::string_view text) {
    std::string out;
    out.reserve(text.size() + text.size() / 32);
    char last = '\0';
    appendWithCrLf(out, text, last);
    return out;
}

bool looksLikeDictionary(std::string_view text) {
    text = text.substr(0, kDictionaryProbe);
    while (!text.empty()) {
        const size_t end = text.find('\n');
        // A line cut by the probe's end is not judged.
        if (end == std::string_view::npos && text.size() == kDictionaryProbe) return false;
        const std::string_view line = text.substr(0, end);
        if (isEntryLine(line)) return true;
        if (end == std::string_view::npos) break;
        text.remove_prefix(end + 1);
    }
    return false;
}

Extracted extractDictionary(std::string_view zip, size_t maxBytes) {
    // Only the central directory says what an archive holds: a reader that
    // walks the local headers would take a cut or doctored file for good.
    Reader reader(archive_read_new(), archive_read_free);
    archive* a = reader.get();
    archive_read_support_format_zip_seekable(a);
    if (archive_read_open_memory(a, zip.data(), zip.size()) != ARCHIVE_OK)
        return {ExtractError::NotAnArchive, {}};

    bool unsafe = false;
    bool first = true;
    archive_entry* entry = nullptr;
    while (true) {
        const int header = archive_read_next_header(a, &entry);
        if (header == ARCHIVE_EOF) break;
        if (header < ARCHIVE_WARN)
            return {first ? ExtractError::NotAnArchive : ExtractError::Corrupt, {}};
        first = false;
        const char* path = archive_entry_pathname(entry);
        const std::string_view name = path ? path : "";
        if (asciiLowered(finalComponent(name)) != kEntryName) continue;
        // Neither a name that leaves the directory nor a link is followed; a
        // safe entry of the same name further on still counts.
        if (escapesDirectory(name) || archive_entry_filetype(entry) != AE_IFREG ||
            archive_entry_hardlink(entry) || archive_entry_symlink(entry)) {
            unsafe = true;
            continue;
        }
        if (archive_entry_is_encrypted(entry)) return {ExtractError::Unsupported, {}};
        if (archive_entry_size_is_set(entry) && size_t(archive_entry_size(entry)) > maxBytes)
            return {ExtractError::TooLarge, {}};

        Extracted result;
        const la_int64_t start = archive_filter_bytes(a, -1);
        size_t total = 0;
        char last = '\0';
        char block[64 * 1024];
        while (true) {
            const la_ssize_t got = archive_read_data(a, block, sizeof block);
            if (got == 0) break;
            // Failed inflate, a CRC or size that does not match.
            if (got < 0) return {ExtractError::Corrupt, {}};
            total += size_t(got);
            // The compressed bytes read so far; a stored entry may be read
            // from memory without counting (it is 1:1 anyway). Whatever the
            // count, no entry is larger than the whole archive.
            const size_t consumed = size_t(archive_filter_bytes(a, -1) - start);
            const bool overRatio =
                total > kRatioFloor &&
                ((consumed > 0 && total > kMaxRatio * consumed) || total > kMaxRatio * zip.size());
            if (total > maxBytes || overRatio) return {ExtractError::TooLarge, {}};
            appendWithCrLf(result.bytes, std::string_view(block, size_t(got)), last);
        }
        if (!looksLikeDictionary(result.bytes)) return {ExtractError::NotADictionary, {}};
        return result;
    }
    return {unsafe ? ExtractError::UnsafeName : ExtractError::EntryMissing, {}};
}

int run(const std::string& directory) {
    const std::filesystem::path dir(directory);
    std::error_code ec;
    // A marker left by an earlier run must not make this run look successful.
    std::filesystem::remove(dir / kMarkerName, ec);
    const auto archive = readWholeFile(dir / kArchiveName);
    if (!archive) return 1;
    const Extracted extracted = extractDictionary(*archive);
    if (extracted.error != ExtractError::None) return 2;
    // Written whole through a temporary file: a failure keeps the old dictionary.
    if (!writeWholeFile(dir / kOutputName, extracted.bytes)) return 3;
    if (!writeWholeFile(dir / kMarkerName, "")) return 3;
    return 0;
}

}  // namespace tulvo::ploskar
