#include "favorites/favorites_store.hpp"
#include "platform/little_endian.hpp"
#include "platform/unicode_text.hpp"
#include "platform/whole_file.hpp"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <sys/file.h>

#include <cerrno>
#include <chrono>
#include <cstdio>
#include <cstring>

namespace tulvo::favorites {

namespace {

int32_t int32At(std::string_view bytes, size_t at) {
    return readLe32Signed(reinterpret_cast<const unsigned char*>(bytes.data()) + at);
}

// Why `bytes` is not a sequence of whole blocks of increasing length; empty
// when it is one. Changing such a file would keep or spread the damage, and
// the words after it could no longer be read.
std::string damageOf(std::string_view bytes) {
    size_t position = 0;
    int32_t previous = 0;
    while (position < bytes.size()) {
        const std::string at = " at byte " + std::to_string(position);
        if (bytes.size() - position < 8) return "a block header is cut short" + at;
        const int32_t length = int32At(bytes, position);
        const int32_t count = int32At(bytes, position + 4);
        if (length <= previous || length > kMaxWordLength)
            return "a word length of " + std::to_string(length) + at;
        if (count < 0 || count > kMaxWordCount)
            return "a word count of " + std::to_string(count) + at;
        const size_t words = size_t(count) * 2 * size_t(length);
        if (words > bytes.size() - position - 8) return "a block is cut short" + at;
        position += 8 + words;
        previous = length;
    }
    return {};
}

// The file a link (or a chain of links) names; `file` itself when it is no
// link. Replacing the link by a regular file would cut it from its target.
std::filesystem::path linkTarget(std::filesystem::path file) {
    for (int hops = 0; hops < 40; ++hops) {
        std::error_code ec;
        if (!std::filesystem::is_symlink(file, ec)) break;
        const std::filesystem::path target = std::filesystem::read_symlink(file, ec);
        if (ec) break;
        file = target.is_absolute() ? target : file.parent_path() / target;
    }
    return file;
}

// Why `file` must not be replaced although the folder would allow it: the
// user made it read-only, or may not write it. Empty when it may be.
std::string unwritable(const std::filesystem::path& file) {
    struct stat st;
    if (::stat(file.c_str(), &st) != 0) return {};
    if ((st.st_mode & 0222) == 0) return "the file is read-only";
    if (::access(file.c_str(), W_OK) != 0) return std::strerror(errno);
    return {};
}

}  // namespace

FavoritesStore::FavoritesStore(std::filesystem::path file, std::filesystem::path debugMarker,
                               FavoritesMessages* messages)
    : file_(std::move(file)), debugMarker_(std::move(debugMarker)), messages_(messages) {}

namespace {

int64_t nanoseconds(const timespec& t) {
    return int64_t(t.tv_sec) * 1'000'000'000 + t.tv_nsec;
}

int64_t steadyNow() {
    return std::chrono::duration_cast<std::chrono::nanoseconds>(
               std::chrono::steady_clock::now().time_since_epoch())
        .count();
}

// How long test() trusts its last look at the file.
constexpr int64_t kRecheckAfter = 10'000'000;  // 10 ms

// An exclusive flock on the lock file, held for the object's life. The
// kernel releases it when the descriptor is closed, also when the holder
// dies, so a crashed program never leaves the store locked.
class StoreLock {
  public:
    explicit StoreLock(const std::filesystem::path& file) {
        fd_ = ::open(file.c_str(), O_RDWR | O_CREAT | O_CLOEXEC, 0644);
        if (fd_ < 0) {
            error_ = errno;
            return;
        }
        while (::flock(fd_, LOCK_EX) != 0) {
            if (errno == EINTR) continue;
            error_ = errno;
            ::close(fd_);
            fd_ = -1;
            return;
        }
    }
    ~StoreLock() {
        if (fd_ >= 0) ::close(fd_);
    }
    StoreLock(const StoreLock&) = delete;
    StoreLock& operator=(const StoreLock&) = delete;
    bool held() const { return fd_ >= 0; }
    int error() const { return error_; }

  private:
    int fd_ = -1;
    int error_ = 0;
};

}  // namespace

std::filesystem::path FavoritesStore::lockFile() const {
    std::filesystem::path lock = file_;
    lock += ".lock";
    return lock;
}

FavoritesStore::Identity FavoritesStore::identity() const {
    struct stat st;
    if (::stat(file_.c_str(), &st) != 0) return {};
    return {
        true, st.st_dev, st.st_ino, st.st_size, nanoseconds(st.st_mtim), nanoseconds(st.st_ctim)};
}

void FavoritesStore::load(bool createMissing) {
    read(createMissing);
    lastCheck_ = steadyNow();
}

void FavoritesStore::read(bool createMissing) {
    buffer_.clear();
    readable_ = true;
    damage_.clear();
    seen_ = {};
    // A file that is there but cannot be read, or is no regular file, is
    // treated as empty and never replaced: writing over it would lose every
    // favorite in it.
    struct stat st;
    ReadFailure failure = ReadFailure::None;
    const int fd = openRegularFile(file_, st, &failure);
    if (fd < 0) {
        if (failure == ReadFailure::Missing) {
            if (createMissing) {
                const int created = ::open(file_.c_str(), O_WRONLY | O_CREAT | O_CLOEXEC, 0644);
                if (created >= 0) ::close(created);
                seen_ = identity();
            }
        } else {
            readable_ = false;
            seen_ = identity();
        }
        return;
    }
    bool ok = true;
    seen_ = {
        true, st.st_dev, st.st_ino, st.st_size, nanoseconds(st.st_mtim), nanoseconds(st.st_ctim)};
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
        readable_ = false;
        return;
    }
    damage_ = damageOf(buffer_);
}

bool FavoritesStore::refresh() {
    lastCheck_ = steadyNow();
    if (identity() == seen_) return false;
    read(/*createMissing=*/false);
    return true;
}

template <class Apply>
FavoritesStore::Change FavoritesStore::change(Apply apply, bool backup, bool tell) {
    const Change result = changeLocked(apply, backup);
    // Told after the lock is given up: the message waits for the user, the
    // other programs must not.
    if (result == Change::Failed && tell) reportFailure();
    return result;
}

template <class Apply>
FavoritesStore::Change FavoritesStore::changeLocked(Apply apply, bool backup) {
    failure_.clear();
    const StoreLock lock(lockFile());
    if (!lock.held()) {
        failure_ = std::strerror(lock.error());
        refresh();
        return Change::Failed;
    }
    // The file as it is now: another program may have changed it. Read
    // whole under the lock rather than trusting its identity, which a reused
    // inode with coarse time stamps could fake.
    lastCheck_ = steadyNow();
    read(/*createMissing=*/false);
    if (!damage_.empty()) {
        // The scan still gives its own diagnostics (the overflow message);
        // whatever the change did to the buffer is dropped.
        apply();
        failure_ = "the file is damaged (" + damage_ + ") and is kept as it is";
        read(/*createMissing=*/false);
        return Change::Failed;
    }
    const std::string before = backup ? buffer_ : std::string();
    if (!apply()) return Change::Unchanged;
    bool written = false;
    const std::filesystem::path target = linkTarget(file_);
    if (!readable_) {
        failure_ = "the file cannot be read";
    } else if (std::string why = unwritable(target); !why.empty()) {
        failure_ = std::move(why);
    } else {
        if (backup && seen_.exists) {
            std::filesystem::path copy = file_;
            copy += ".bak";
            writeWholeFile(copy, before);
        }
        written = writeWholeFile(target, buffer_);
        if (!written) failure_ = std::strerror(errno);
    }
    if (written) {
        seen_ = identity();
        failureTold_ = false;
        return Change::Written;
    }
    // Show the store as it really is, without the change.
    read(/*createMissing=*/false);
    return Change::Failed;
}

void FavoritesStore::reportFailure() {
    if (failureTold_ || !messages_) return;
    failureTold_ = true;
    messages_->showMessage(u"Tulvo", u"Sorry, the favorite words could not be saved in " +
                                         file_.filename().u16string() + u".\r" +
                                         utf8ToUtf16(failure_));
}

FavoritesStore::ScanResult FavoritesStore::scan(size_t length) const {
    const size_t size = buffer_.size();
    auto int32At = [this](size_t at) { return favorites::int32At(buffer_, at); };
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

FavoritesStore::Change FavoritesStore::add(std::u16string_view word) {
    if (word.empty() || word.size() > size_t(kMaxWordLength)) return Change::Unchanged;
    return change([&] { return insert(word); }, false, true);
}

FavoritesStore::Change FavoritesStore::remove(std::u16string_view word) {
    if (word.empty() || word.size() > size_t(kMaxWordLength)) return Change::Unchanged;
    return change([&] { return erase(word); }, false, true);
}

int FavoritesStore::addWords(const std::vector<std::u16string>& words, bool backup) {
    int added = 0;
    const Change result = change(
        [&] {
            added = 0;
            for (const std::u16string& word : words)
                if (insert(word)) ++added;
            return added > 0;
        },
        backup, false);
    return result == Change::Failed ? -1 : added;
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

bool FavoritesStore::erase(std::u16string_view word) {
    if (word.empty() || word.size() > size_t(kMaxWordLength)) return false;
    const ScanResult at = scan(word.size());
    if (at.kind != ScanResult::Block) return false;
    int32_t index;
    if (!find(at.position, at.count, word, index)) return false;
    buffer_.erase(at.position + 8 + size_t(index) * 2 * word.size(), 2 * word.size());
    setInt32(at.position + 4, at.count - 1);
    return true;
}

int FavoritesStore::test(std::u16string_view word) {
    if (word.empty() || word.size() > size_t(kMaxWordLength)) return 0;
    if (steadyNow() - lastCheck_ > kRecheckAfter) refresh();
    const ScanResult at = scan(word.size());
    if (at.kind != ScanResult::Block) return 0;
    int32_t index;
    return find(at.position, at.count, word, index) ? 1 : 0;
}

}  // namespace tulvo::favorites
