#include "tools/ploskar/zip_extract.hpp"

#include <zlib.h>

#include <cstdint>
#include <filesystem>
#include <optional>

#include "platform/unicode_text.hpp"
#include "platform/whole_file.hpp"

namespace tulvo::ploskar {
namespace {

constexpr uint32_t kEndSignature = 0x06054b50;
constexpr uint32_t kCentralSignature = 0x02014b50;
constexpr uint32_t kLocalSignature = 0x04034b50;
constexpr size_t kEndSize = 22;
constexpr size_t kCentralSize = 46;
constexpr size_t kLocalSize = 30;

uint32_t u16at(std::string_view b, size_t at) {
    return uint32_t(uint8_t(b[at])) | uint32_t(uint8_t(b[at + 1])) << 8;
}
uint32_t u32at(std::string_view b, size_t at) {
    return u16at(b, at) | u16at(b, at + 2) << 16;
}

bool fits(std::string_view b, size_t at, size_t n) {
    return at <= b.size() && n <= b.size() - at;
}

struct Entry {
    std::string name;
    uint32_t flags = 0, method = 0, crc = 0, compressed = 0, size = 0, localOffset = 0;
};

std::string finalComponent(std::string_view name) {
    const size_t slash = name.find_last_of("/\\");
    return std::string(slash == std::string_view::npos ? name : name.substr(slash + 1));
}

bool inflateRaw(std::string_view in, size_t expected, std::string& out) {
    z_stream z{};
    if (inflateInit2(&z, -MAX_WBITS) != Z_OK) return false;
    out.resize(expected);
    z.next_in = reinterpret_cast<Bytef*>(const_cast<char*>(in.data()));
    z.avail_in = static_cast<uInt>(in.size());
    z.next_out = reinterpret_cast<Bytef*>(out.data());
    z.avail_out = static_cast<uInt>(expected);
    const int result = inflate(&z, Z_FINISH);
    const bool ok = result == Z_STREAM_END && z.total_out == expected;
    inflateEnd(&z);
    return ok;
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
    for (size_t i = 0; i < text.size(); ++i) {
        if (text[i] == '\n' && (i == 0 || text[i - 1] != '\r')) out.push_back('\r');
        out.push_back(text[i]);
    }
    return out;
}

Extracted extractDictionary(std::string_view zip, size_t maxBytes) {
    Extracted result;
    // The end record is in the last 22 + 65535 bytes (its comment is at most 64 KiB).
    if (zip.size() < kEndSize) return {ExtractError::NotAnArchive, {}};
    size_t end = std::string_view::npos;
    const size_t lowest = zip.size() > kEndSize + 65535 ? zip.size() - kEndSize - 65535 : 0;
    for (size_t at = zip.size() - kEndSize + 1; at-- > lowest;) {
        if (u32at(zip, at) == kEndSignature) {
            end = at;
            break;
        }
    }
    if (end == std::string_view::npos) return {ExtractError::NotAnArchive, {}};
    const uint32_t count = u16at(zip, end + 10);
    const uint32_t directorySize = u32at(zip, end + 12);
    const uint32_t directoryOffset = u32at(zip, end + 16);
    if (!fits(zip, directoryOffset, directorySize)) return {ExtractError::NotAnArchive, {}};

    std::optional<Entry> wanted;
    bool unsafeName = false;
    size_t at = directoryOffset;
    for (uint32_t i = 0; i < count; ++i) {
        if (!fits(zip, at, kCentralSize) || u32at(zip, at) != kCentralSignature)
            return {ExtractError::NotAnArchive, {}};
        Entry entry;
        entry.flags = u16at(zip, at + 8);
        entry.method = u16at(zip, at + 10);
        entry.crc = u32at(zip, at + 16);
        entry.compressed = u32at(zip, at + 20);
        entry.size = u32at(zip, at + 24);
        const uint32_t nameLength = u16at(zip, at + 28);
        const uint32_t extraLength = u16at(zip, at + 30);
        const uint32_t commentLength = u16at(zip, at + 32);
        entry.localOffset = u32at(zip, at + 42);
        if (!fits(zip, at + kCentralSize, size_t(nameLength) + extraLength + commentLength))
            return {ExtractError::NotAnArchive, {}};
        entry.name = std::string(zip.substr(at + kCentralSize, nameLength));
        at += kCentralSize + nameLength + extraLength + commentLength;
        if (asciiLowered(finalComponent(entry.name)) != kEntryName) continue;
        if (escapesDirectory(entry.name)) {
            unsafeName = true;
            continue;
        }
        if (!wanted) wanted = entry;
    }
    if (!wanted) return {unsafeName ? ExtractError::UnsafeName : ExtractError::EntryMissing, {}};
    const Entry& e = *wanted;
    if ((e.flags & 1) != 0 || (e.method != 0 && e.method != 8))
        return {ExtractError::Unsupported, {}};
    if (e.size > maxBytes) return {ExtractError::TooLarge, {}};
    if (!fits(zip, e.localOffset, kLocalSize) || u32at(zip, e.localOffset) != kLocalSignature)
        return {ExtractError::Corrupt, {}};
    const size_t dataAt = size_t(e.localOffset) + kLocalSize + u16at(zip, e.localOffset + 26) +
                          u16at(zip, e.localOffset + 28);
    if (!fits(zip, dataAt, e.compressed)) return {ExtractError::Corrupt, {}};
    const std::string_view data = zip.substr(dataAt, e.compressed);
    std::string bytes;
    if (e.method == 0) {
        if (e.compressed != e.size) return {ExtractError::Corrupt, {}};
        bytes.assign(data);
    } else if (!inflateRaw(data, e.size, bytes)) {
        return {ExtractError::Corrupt, {}};
    }
    const uLong crc =
        crc32(0L, reinterpret_cast<const Bytef*>(bytes.data()), static_cast<uInt>(bytes.size()));
    if (crc != e.crc) return {ExtractError::Corrupt, {}};
    result.bytes = withCrLf(bytes);
    return result;
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
    if (!writeWholeFile(dir / kOutputName, extracted.bytes)) return 3;
    if (!writeWholeFile(dir / kMarkerName, "")) return 3;
    return 0;
}

}  // namespace tulvo::ploskar
