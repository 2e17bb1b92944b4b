#include "shell/clipboard_save_file.hpp"

#include "platform/little_endian.hpp"
#include "platform/whole_file.hpp"

namespace tulvo::shell {
namespace {

void put32(std::string& out, uint32_t v) {
    for (int i = 0; i < 4; ++i) out.push_back(static_cast<char>((v >> (8 * i)) & 0xFF));
}

}  // namespace

std::string encodeClipboardRecords(const std::vector<ClipboardRecord>& records) {
    std::string out;
    for (const ClipboardRecord& r : records) {
        if (r.data.empty() || r.data.size() >= kClipboardFormatLimit) continue;
        put32(out, r.format);
        put32(out, static_cast<uint32_t>(r.data.size()));
        out += r.data;
    }
    return out;
}

std::vector<ClipboardRecord> decodeClipboardRecords(std::string_view bytes) {
    std::vector<ClipboardRecord> records;
    size_t at = 0;
    while (bytes.size() - at >= 8) {
        const uint32_t format = readLe32(bytes.data() + at);
        const uint32_t size = readLe32(bytes.data() + at + 4);
        if (size > bytes.size() - at - 8) break;
        records.push_back({format, std::string(bytes.substr(at + 8, size))});
        at += 8 + size;
    }
    return records;
}

bool writeClipboardFile(const std::filesystem::path& file,
                        const std::vector<ClipboardRecord>& records) {
    // The clipboard may hold a password: only its owner may read the file.
    return writeWholeFile(file, encodeClipboardRecords(records), 0600);
}

std::optional<std::vector<ClipboardRecord>> readClipboardFile(const std::filesystem::path& file) {
    const auto bytes = readWholeFile(file);
    if (!bytes) return std::nullopt;
    return decodeClipboardRecords(*bytes);
}

}  // namespace tulvo::shell
