#include "favorites/favorites_store.hpp"
#include "platform/whole_file.hpp"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>

namespace tulvo::favorites {

namespace {

std::u16string asciiToUtf16(const std::string& text) {
    return std::u16string(text.begin(), text.end());
}

}  // namespace

FavoritesStore::FavoritesStore(std::filesystem::path file, std::filesystem::path debugMarker,
                               FavoritesMessages* messages)
    : file_(std::move(file)), debugMarker_(std::move(debugMarker)), messages_(messages) {}

void FavoritesStore::load(bool createMissing) {
    buffer_.clear();
    writable_ = true;
    const int fd = ::open(file_.c_str(), O_RDONLY | O_CLOEXEC);
    if (fd < 0) {
        if (errno == ENOENT) {
            if (createMissing) {
                const int created = ::open(file_.c_str(), O_WRONLY | O_CREAT | O_CLOEXEC, 0644);
                if (created >= 0) ::close(created);
            }
        } else {
            writable_ = false;
        }
        return;
    }
    // A file that is there but cannot be read is treated as empty and never
    // replaced: writing over it would lose every favorite in it.
    struct stat st;
    bool ok = ::fstat(fd, &st) == 0 && S_ISREG(st.st_mode);
    char chunk[65536];
    while (ok) {
        const ssize_t got = ::read(fd, chunk, sizeof chunk);
        if (got < 0) ok = false;
        if (got <= 0) break;
        buffer_.append(chunk, static_cast<size_t>(got));
    }
    ::close(fd);
    if (!ok) {
        buffer_.clear();
        writable_ = false;
    }
}

FavoritesStore::ScanResult FavoritesStore::scan(size_t length) const {
    const auto* p = reinterpret_cast<const unsigned char*>(buffer_.data());
    const size_t size = buffer_.size();
    auto int32At = [p](size_t at) {
        return static_cast<int32_t>(uint32_t(p[at]) | uint32_t(p[at + 1]) << 8 |
                                    uint32_t(p[at + 2]) << 16 | uint32_t(p[at + 3]) << 24);
    };
    ScanResult result;
    int32_t previous = -1;
    size_t position = 0;
    while (position < size) {
        // A header or a block cut short by the end of the buffer, a length
        // below 1 or a negative count is damage like a misordered length:
        // reading on would go beyond the buffer or loop.
        if (size - position < 8) return result;
        const int32_t blockLength = int32At(position);
        const int32_t count = int32At(position + 4);
        if (blockLength <= previous || blockLength > kMaxWordLength || blockLength < 1)
            return result;
        if (count > kMaxWordCount) {
            std::error_code ec;
            if (messages_ && std::filesystem::exists(debugMarker_, ec)) {
                messages_->showMessage(
                    u"Tulvo", u"overflow in favorites.dat\rlength: " +
                                  asciiToUtf16(std::to_string(blockLength)) + u" nbwords: " +
                                  asciiToUtf16(std::to_string(count)) + u" favlength: " +
                                  asciiToUtf16(std::to_string(length)));
            }
            return result;
        }
        if (count < 0) return result;
        const size_t words = size_t(count) * 2 * size_t(blockLength);
        if (words > size - position - 8) return result;
        previous = blockLength;
        if (size_t(blockLength) < length) {
            position += 8 + words;
            continue;
        }
        if (size_t(blockLength) == length) {
            result.kind = ScanResult::Block;
            result.position = position;
            result.count = count;
            return result;
        }
        break;  // the first longer block: a new block goes before it
    }
    result.kind = ScanResult::NoBlock;
    result.position = position;
    return result;
}

bool FavoritesStore::find(size_t header, int32_t count, std::u16string_view word,
                          int32_t& index) const {
    const auto* words = reinterpret_cast<const unsigned char*>(buffer_.data()) + header + 8;
    const size_t length = word.size();
    int32_t low = 0, high = count - 1;
    while (low <= high) {
        const int32_t mid = low + (high - low) / 2;
        const unsigned char* probe = words + size_t(mid) * 2 * length;
        int order = 0;
        for (size_t i = 0; i < length && order == 0; ++i) {
            const char16_t unit = char16_t(probe[2 * i] | probe[2 * i + 1] << 8);
            if (word[i] != unit) order = word[i] < unit ? -1 : 1;
        }
        if (order == 0) {
            index = mid;
            return true;
        }
        if (order < 0)
            high = mid - 1;
        else
            low = mid + 1;
    }
    index = low;
    return false;
}

void FavoritesStore::setInt32(size_t at, int32_t value) {
    const auto u = static_cast<uint32_t>(value);
    for (int i = 0; i < 4; ++i) buffer_[at + i] = char((u >> (8 * i)) & 0xFF);
}

namespace {

std::string wordBytes(std::u16string_view word) {
    std::string bytes;
    bytes.reserve(2 * word.size());
    for (char16_t unit : word) {
        bytes.push_back(char(unit & 0xFF));
        bytes.push_back(char(unit >> 8));
    }
    return bytes;
}

}  // namespace

void FavoritesStore::add(std::u16string_view word) {
    if (insert(word)) save();
}

bool FavoritesStore::insert(std::u16string_view word) {
    if (word.empty() || word.size() > size_t(kMaxWordLength)) return false;
    const ScanResult at = scan(word.size());
    if (at.kind == ScanResult::Refused) return false;
    if (at.kind == ScanResult::Block) {
        int32_t index;
        if (find(at.position, at.count, word, index)) return false;
        buffer_.insert(at.position + 8 + size_t(index) * 2 * word.size(), wordBytes(word));
        setInt32(at.position + 4, at.count + 1);
    } else {
        std::string block(8, '\0');
        block += wordBytes(word);
        buffer_.insert(at.position, block);
        setInt32(at.position, static_cast<int32_t>(word.size()));
        setInt32(at.position + 4, 1);
    }
    return true;
}

void FavoritesStore::remove(std::u16string_view word) {
    if (word.empty() || word.size() > size_t(kMaxWordLength)) return;
    const ScanResult at = scan(word.size());
    if (at.kind != ScanResult::Block) return;
    int32_t index;
    if (!find(at.position, at.count, word, index)) return;
    buffer_.erase(at.position + 8 + size_t(index) * 2 * word.size(), 2 * word.size());
    setInt32(at.position + 4, at.count - 1);
    save();
}

int FavoritesStore::test(std::u16string_view word) const {
    if (word.empty() || word.size() > size_t(kMaxWordLength)) return 0;
    const ScanResult at = scan(word.size());
    if (at.kind != ScanResult::Block) return 0;
    int32_t index;
    return find(at.position, at.count, word, index) ? 1 : 0;
}

// The whole buffer goes to a temporary file beside the store, which then
// replaces the store in one rename: a failed write leaves the old file whole.
// A failure is not reported to the user.
bool FavoritesStore::save() const {
    if (!writable_) return false;
    return writeWholeFile(file_, buffer_);
}

}  // namespace tulvo::favorites
