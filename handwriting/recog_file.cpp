#include "handwriting/recog_file.hpp"

#include <fstream>

#include "platform/little_endian.hpp"

namespace tulvo::handwriting {

namespace {

void put16(std::string& out, uint32_t v) {
    out += char(v & 0xFF);
    out += char((v >> 8) & 0xFF);
}

void put32(std::string& out, uint32_t v) {
    put16(out, v & 0xFFFF);
    put16(out, v >> 16);
}

}  // namespace

RecogView::RecogView(std::span<const uint8_t> bytes) : bytes_(bytes) {
    if (bytes.size() < 4) return;
    const uint64_t claimed = readLe32(bytes.data());
    const uint64_t present = (bytes.size() - 4) / kRecogHeaderSize;
    count_ = static_cast<size_t>(claimed < present ? claimed : present);
    segmentArea_ = static_cast<size_t>(4 + kRecogHeaderSize * claimed < bytes.size()
                                           ? 4 + kRecogHeaderSize * claimed
                                           : bytes.size());
}

TemplateHeader RecogView::header(size_t k) const {
    TemplateHeader h;
    if (k >= count_) return h;
    const uint8_t* p = bytes_.data() + 4 + kRecogHeaderSize * k;
    h.character = char16_t(p[0] | p[1] << 8);
    h.formFlag = p[2];
    h.strokes = p[3];
    h.segmentCount = p[4];
    h.segmentOffset = readLe32(p + 5);
    return h;
}

std::span<const uint8_t> RecogView::segments(const TemplateHeader& h) const {
    const uint64_t begin = uint64_t(segmentArea_) + h.segmentOffset;
    const uint64_t end = begin + 2 * uint64_t(h.segmentCount);
    if (end > bytes_.size()) return {};
    return bytes_.subspan(static_cast<size_t>(begin), 2 * size_t(h.segmentCount));
}

std::string encodeRecog(const std::vector<RecogTemplate>& templates) {
    std::string headers, area;
    put32(headers, static_cast<uint32_t>(templates.size()));
    for (const RecogTemplate& t : templates) {
        if (t.segments.size() > 255) return {};
        put16(headers, t.character);
        headers += char(t.formFlag);
        headers += char(t.strokes);
        headers += char(t.segments.size());
        put32(headers, static_cast<uint32_t>(area.size()));
        for (const TemplateSegment& s : t.segments) {
            area += char(s.direction);
            area += char(s.length);
        }
    }
    return headers + area;
}

std::optional<std::vector<RecogTemplate>> decodeRecog(std::span<const uint8_t> bytes) {
    if (bytes.size() < 4) return std::nullopt;
    const RecogView view(bytes);
    if (view.size() != readLe32(bytes.data())) return std::nullopt;
    std::vector<RecogTemplate> out;
    out.reserve(view.size());
    for (size_t k = 0; k < view.size(); ++k) {
        const TemplateHeader h = view.header(k);
        const auto seg = view.segments(h);
        if (seg.size() != 2 * size_t(h.segmentCount)) return std::nullopt;
        RecogTemplate t{h.character, h.formFlag, h.strokes, {}};
        for (size_t i = 0; i < seg.size(); i += 2) t.segments.push_back({seg[i], seg[i + 1]});
        out.push_back(std::move(t));
    }
    return out;
}

std::vector<uint8_t> readRecogFile(const std::filesystem::path& file) {
    // Only a regular file of a size a template file can have is read: a
    // folder or a device has no size to allocate from.
    std::error_code ec;
    if (!std::filesystem::is_regular_file(file, ec)) return {};
    const uintmax_t size = std::filesystem::file_size(file, ec);
    if (ec || size == 0 || size > kRecogMaxFileSize) return {};
    std::ifstream in(file, std::ios::binary);
    if (!in) return {};
    std::vector<uint8_t> bytes(static_cast<size_t>(size));
    in.read(reinterpret_cast<char*>(bytes.data()), static_cast<std::streamsize>(size));
    bytes.resize(static_cast<size_t>(in.gcount()));
    return bytes;
}

}  // namespace tulvo::handwriting
