#include "characters/freq_file.hpp"

#include <algorithm>
#include <cstring>

#include "platform/little_endian.hpp"
#include "platform/whole_file.hpp"

namespace tulvo::characters {

namespace {

// Far beyond any real frequency file (about 1 MB); a larger one is not one.
constexpr size_t kMaxFreqFileBytes = size_t(1) << 28;

void appendInt32(std::string& out, int32_t value) {
    const auto u = static_cast<uint32_t>(value);
    for (int shift = 0; shift < 32; shift += 8) out.push_back(char((u >> shift) & 0xFF));
}

}  // namespace

FreqFile::~FreqFile() {
    close();
}

bool FreqFile::open(const std::filesystem::path& path) {
    // Only a regular file of sane size is used. It stays mapped (read once
    // when it cannot be) for the run, so that a lookup per result row costs
    // no system call.
    if (!file_.open(path, kMaxFreqFileBytes)) return false;
    data_ = file_.bytes().data();
    size_ = static_cast<int64_t>(file_.bytes().size());
    indexBlocks();
    return true;
}

void FreqFile::indexBlocks() {
    blocks_.clear();
    unsigned char header[8];
    if (!readAt(0, header, 4)) return;
    textBase_ = readLe32Signed(header);
    // The blocks by word length, up to the first that cannot be one: a
    // lookup finds its block here instead of reading every header before it.
    for (int64_t position = 4; position < size_;) {
        if (!readAt(position, header, 8)) return;
        const int64_t length = readLe32Signed(header);
        const int64_t count = readLe32Signed(header + 4);
        // Lengths and counts below 1 cannot occur in a sound file; reading
        // on would loop or run backwards. Lengths only grow.
        if (length < 1 || count < 1) return;
        if (!blocks_.empty() && length <= blocks_.back().length) return;
        const int64_t recordSize = 2 * length + 4;
        const int64_t blockStart = position + 8;
        if (count > (size_ - blockStart) / recordSize) return;  // ends inside the block
        blocks_.push_back(Block{length, count, blockStart});
        position = blockStart + count * recordSize;
    }
}

void FreqFile::close() {
    file_.close();
    data_ = nullptr;
    size_ = 0;
    blocks_.clear();
}

bool FreqFile::readAt(int64_t offset, void* into, size_t size) const {
    if (!isOpen() || offset < 0 || offset > size_ || int64_t(size) > size_ - offset) return false;
    std::memcpy(into, data_ + offset, size);
    return true;
}

int FreqFile::lookup(std::u16string_view word, std::string_view reading) const {
    if (!isOpen()) return -1;
    const auto queryLength = static_cast<int64_t>(word.size());
    const auto block = std::find_if(blocks_.begin(), blocks_.end(),
                                    [&](const Block& b) { return b.length >= queryLength; });
    if (block == blocks_.end() || block->length != queryLength) return -1;

    // The whole block lies inside the file (checked when it was indexed):
    // its records are compared where they are.
    const int64_t length = block->length;
    const int64_t recordSize = 2 * length + 4;
    int32_t value = -1;
    bool found = false;
    int64_t low = 0, high = block->count - 1;
    while (low <= high) {
        const int64_t mid = low + (high - low) / 2;
        const auto* record =
            reinterpret_cast<const unsigned char*>(data_ + block->start + mid * recordSize);
        int order = 0;
        for (int64_t i = 0; i < length && order == 0; ++i) {
            const char16_t unit = char16_t(record[2 * i] | record[2 * i + 1] << 8);
            if (word[i] != unit) order = word[i] < unit ? -1 : 1;
        }
        if (order == 0) {
            value = readLe32Signed(record + 2 * length);
            found = true;
            break;
        }
        if (order < 0)
            high = mid - 1;
        else
            low = mid + 1;
    }
    if (!found) return -1;
    if (value > 255) return -1;  // not a frequency value: a damaged record
    if (value >= 0) return value;

    // A value for some readings only: the line at text base - V holds the
    // value byte, then a TAB before each reading it does not apply to.
    const int64_t lineStart = textBase_ - int64_t(value);
    if (lineStart < 0 || lineStart >= size_) return -1;
    std::string line;
    char chunk[256];
    for (int64_t at = lineStart; at < size_;) {
        const size_t want = static_cast<size_t>(std::min<int64_t>(sizeof chunk, size_ - at));
        if (!readAt(at, chunk, want)) return -1;
        line.append(chunk, want);
        at += static_cast<int64_t>(want);
        const size_t end = line.find("\r\n", 1);
        if (end != std::string::npos) {
            line.resize(end);
            break;
        }
    }
    // The readings start after the value byte, so that a value byte that
    // happens to be a TAB (class 9, no HSK level) is not taken for an empty
    // reading.
    std::string readings = line.substr(1);
    readings.push_back('\t');
    std::string needle = "\t";
    needle += reading;
    needle += '\t';
    if (readings.find(needle) != std::string::npos) return -1;
    return static_cast<unsigned char>(line[0]);
}

void FreqFileWriter::add(std::u16string_view word, uint8_t value,
                         std::vector<std::string> excludedReadings) {
    words_[std::u16string(word)] = Entry{value, std::move(excludedReadings)};
}

std::string FreqFileWriter::bytes() const {
    // Blocks first, then the text lines; a record's negative value counts
    // back from the text base, which lies one byte before the first line.
    std::string blocks, text;
    size_t blocksSize = 4;
    for (auto it = words_.begin(); it != words_.end();) {
        const size_t length = it->first.size();
        auto end = it;
        size_t count = 0;
        while (end != words_.end() && end->first.size() == length) ++end, ++count;
        blocksSize += 8 + count * (2 * length + 4);
        it = end;
    }
    const int32_t textBase = static_cast<int32_t>(blocksSize) - 1;
    appendInt32(blocks, textBase);
    for (auto it = words_.begin(); it != words_.end();) {
        const size_t length = it->first.size();
        auto end = it;
        size_t count = 0;
        while (end != words_.end() && end->first.size() == length) ++end, ++count;
        appendInt32(blocks, static_cast<int32_t>(length));
        appendInt32(blocks, static_cast<int32_t>(count));
        for (; it != end; ++it) {
            for (char16_t unit : it->first) {
                blocks.push_back(char(unit & 0xFF));
                blocks.push_back(char(unit >> 8));
            }
            const Entry& entry = it->second;
            if (entry.excluded.empty()) {
                appendInt32(blocks, entry.value);
            } else {
                appendInt32(blocks, textBase - static_cast<int32_t>(blocksSize + text.size()));
                text.push_back(char(entry.value));
                for (const std::string& reading : entry.excluded) text += "\t" + reading;
                text += "\r\n";
            }
        }
    }
    return blocks + text;
}

}  // namespace tulvo::characters
