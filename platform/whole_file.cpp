#include "platform/whole_file.hpp"

#include <fcntl.h>
#include <sys/mman.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdint>
#include <cstdio>
#include <cstdlib>

namespace tulvo {

bool writeWholeFile(const std::filesystem::path& file, std::string_view bytes,
                    std::optional<unsigned> wanted) {
    // A name of its own for each writer: two programs replacing the same file
    // at once must not write into one temporary file.
    std::string temporary = file.string() + ".tmp.XXXXXX";
    const int fd = ::mkostemp(temporary.data(), O_CLOEXEC);
    if (fd < 0) return false;
    // The permissions asked for, else those of the file it replaces, else
    // those of a new file. mkostemp made it 0600, so nothing leaks meanwhile.
    struct stat old;
    mode_t mode;
    if (wanted) {
        mode = static_cast<mode_t>(*wanted) & 07777;
    } else if (::stat(file.c_str(), &old) == 0) {
        mode = old.st_mode & 07777;
    } else {
        const mode_t mask = ::umask(0);
        ::umask(mask);
        mode = 0644 & ~mask;
    }
    int error = ::fchmod(fd, mode) == 0 ? 0 : errno;
    size_t done = 0;
    while (error == 0 && done < bytes.size()) {
        const ssize_t n = ::write(fd, bytes.data() + done, bytes.size() - done);
        if (n < 0 && errno == EINTR) continue;
        if (n <= 0)
            error = n < 0 ? errno : ENOSPC;
        else
            done += static_cast<size_t>(n);
    }
    // On disk before the rename, so a crash cannot leave an empty file.
    if (error == 0 && ::fsync(fd) != 0) error = errno;
    if (::close(fd) != 0 && error == 0) error = errno;
    if (error == 0 && std::rename(temporary.c_str(), file.c_str()) != 0) error = errno;
    if (error != 0) {
        ::unlink(temporary.c_str());
        errno = error;
        return false;
    }
    return true;
}

int openRegularFile(const std::filesystem::path& file, struct stat& status, ReadFailure* failure) {
    if (failure) *failure = ReadFailure::None;
    // Non-blocking, so that opening a pipe does not wait for a writer; it
    // changes nothing for a regular file.
    const int fd = ::open(file.c_str(), O_RDONLY | O_CLOEXEC | O_NONBLOCK);
    if (fd < 0) {
        if (failure) *failure = errno == ENOENT ? ReadFailure::Missing : ReadFailure::Unreadable;
        return -1;
    }
    if (::fstat(fd, &status) != 0 || !S_ISREG(status.st_mode)) {
        ::close(fd);
        if (failure) *failure = ReadFailure::NotRegular;
        return -1;
    }
    return fd;
}

std::optional<std::string> readWholeFile(const std::filesystem::path& file, size_t maxBytes,
                                         ReadFailure* failure) {
    const auto fail = [failure](ReadFailure why) -> std::optional<std::string> {
        if (failure) *failure = why;
        return std::nullopt;
    };
    struct stat st;
    const int fd = openRegularFile(file, st, failure);
    if (fd < 0) return std::nullopt;
    if (st.st_size < 0 || uint64_t(st.st_size) > maxBytes) {
        ::close(fd);
        return fail(ReadFailure::TooLarge);
    }
    std::string bytes;
    bytes.reserve(size_t(st.st_size));
    char buffer[65536];
    for (;;) {
        const ssize_t n = ::read(fd, buffer, sizeof buffer);
        if (n < 0 && errno == EINTR) continue;
        if (n < 0) {
            ::close(fd);
            return fail(ReadFailure::Unreadable);
        }
        if (n == 0) break;
        // The file may grow while it is read.
        if (bytes.size() + size_t(n) > maxBytes) {
            ::close(fd);
            return fail(ReadFailure::TooLarge);
        }
        bytes.append(buffer, size_t(n));
    }
    ::close(fd);
    return bytes;
}

bool MappedFile::open(const std::filesystem::path& file, size_t maxBytes) {
    close();
    struct stat st;
    const int fd = openRegularFile(file, st);
    if (fd < 0) return false;
    const bool held =
        st.st_size >= 0 && uint64_t(st.st_size) <= maxBytes && open(fd, size_t(st.st_size));
    ::close(fd);
    return held;
}

bool MappedFile::open(int fd, size_t size) {
    close();
    void* map =
        size > 0 ? ::mmap(nullptr, size, PROT_READ, MAP_PRIVATE | MAP_POPULATE, fd, 0) : MAP_FAILED;
    if (map != MAP_FAILED) {
        bytes_ = std::string_view(static_cast<const char*>(map), size);
        mapped_ = true;
    } else if (size > 0) {
        // Not mappable: read instead, as much as there is.
        copy_.resize(size);
        size_t done = 0;
        while (done < size) {
            const ssize_t got = ::read(fd, copy_.data() + done, size - done);
            if (got < 0 && errno == EINTR) continue;
            if (got < 0) {
                close();
                return false;
            }
            if (got == 0) break;
            done += static_cast<size_t>(got);
        }
        copy_.resize(done);
        bytes_ = copy_;
    }
    open_ = true;
    return true;
}

void MappedFile::close() {
    if (mapped_) ::munmap(const_cast<char*>(bytes_.data()), bytes_.size());
    mapped_ = false;
    open_ = false;
    bytes_ = {};
    copy_.clear();
    copy_.shrink_to_fit();
}

}  // namespace tulvo
