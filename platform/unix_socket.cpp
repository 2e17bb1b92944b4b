#include "platform/unix_socket.hpp"

#include <fcntl.h>
#include <poll.h>
#include <sys/file.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/un.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>

namespace tulvo::platform {
namespace {

bool socketAddress(const std::string& path, sockaddr_un& address) {
    address = {};
    address.sun_family = AF_UNIX;
    if (path.empty() || path.size() >= sizeof address.sun_path) return false;
    std::memcpy(address.sun_path, path.data(), path.size());
    return true;
}

}  // namespace

UnixConnection connectUnix(const std::string& path, int timeoutMs) {
    sockaddr_un address;
    if (!socketAddress(path, address)) return {-1, ENAMETOOLONG};
    const int fd = ::socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0);
    if (fd < 0) return {-1, errno};
    // A blocking connect waits while the server's queue is full; the send
    // time-out bounds that wait.
    const timeval timeout{timeoutMs / 1000, (timeoutMs % 1000) * 1000};
    ::setsockopt(fd, SOL_SOCKET, SO_SNDTIMEO, &timeout, sizeof timeout);
    int result;
    do {
        result = ::connect(fd, reinterpret_cast<const sockaddr*>(&address), sizeof address);
    } while (result != 0 && errno == EINTR);
    if (result != 0) {
        const int error = errno == EINPROGRESS ? EAGAIN : errno;
        ::close(fd);
        return {-1, error};
    }
    return {fd, 0};
}

long writeWithoutWaiting(int fd, std::string_view bytes) {
    size_t done = 0;
    while (done < bytes.size()) {
        const ssize_t n =
            ::send(fd, bytes.data() + done, bytes.size() - done, MSG_DONTWAIT | MSG_NOSIGNAL);
        if (n < 0 && errno == EINTR) continue;
        if (n < 0 && (errno == EAGAIN || errno == EWOULDBLOCK)) break;
        if (n <= 0) return -1;
        done += static_cast<size_t>(n);
    }
    return static_cast<long>(done);
}

bool writeAll(int fd, std::string_view bytes, int timeoutMs) {
    size_t done = 0;
    while (done < bytes.size()) {
        const long n = writeWithoutWaiting(fd, bytes.substr(done));
        if (n < 0) return false;
        done += static_cast<size_t>(n);
        if (done == bytes.size()) break;
        pollfd wait{fd, POLLOUT, 0};
        const int ready = ::poll(&wait, 1, timeoutMs);
        if (ready < 0 && errno == EINTR) continue;
        if (ready <= 0 || (wait.revents & (POLLERR | POLLHUP))) return false;
    }
    return true;
}

std::string nonSocketAt(const std::string& path) {
    struct stat info {};
    if (::lstat(path.c_str(), &info) != 0 || S_ISSOCK(info.st_mode)) return {};
    if (S_ISREG(info.st_mode)) return "a regular file";
    if (S_ISDIR(info.st_mode)) return "a folder";
    if (S_ISLNK(info.st_mode)) return "a symbolic link";
    if (S_ISFIFO(info.st_mode)) return "a named pipe";
    return "a device";
}

UnixListener listenUnix(const std::string& path) {
    UnixListener listener;
    sockaddr_un address;
    if (!socketAddress(path, address)) {
        listener.problem = "the name " + path + " is too long for a socket";
        return listener;
    }
    if (const std::string what = nonSocketAt(path); !what.empty()) {
        listener.problem = path + " is " + what + ", not a socket; it is left as it is";
        return listener;
    }
    const UnixConnection probe = connectUnix(path, 500);
    if (probe.fd >= 0 || probe.error == EAGAIN) {
        if (probe.fd >= 0) ::close(probe.fd);
        listener.live = true;
        return listener;
    }
    // Nobody listens: a socket left behind by a program that died.
    if (probe.error == ECONNREFUSED) ::unlink(path.c_str());
    const int fd = ::socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC | SOCK_NONBLOCK, 0);
    if (fd < 0) {
        listener.problem = std::strerror(errno);
        return listener;
    }
    if (::bind(fd, reinterpret_cast<const sockaddr*>(&address), sizeof address) != 0 ||
        ::chmod(path.c_str(), 0600) != 0 || ::listen(fd, SOMAXCONN) != 0) {
        listener.problem = "cannot listen at " + path + ": " + std::strerror(errno);
        ::close(fd);
        return listener;
    }
    listener.fd = fd;
    return listener;
}

FileLock::FileLock(const std::string& path) {
    fd_ = ::open(path.c_str(), O_RDWR | O_CREAT | O_CLOEXEC | O_NOFOLLOW, 0600);
    if (fd_ < 0) return;
    while (::flock(fd_, LOCK_EX) != 0) {
        if (errno == EINTR) continue;
        ::close(fd_);
        fd_ = -1;
        return;
    }
}

FileLock::~FileLock() {
    if (fd_ >= 0) ::close(fd_);
}

}  // namespace tulvo::platform
