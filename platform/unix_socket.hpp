// Local (Unix domain) stream sockets below Qt, for what Qt's local sockets
// cannot say: whether the kernel has queued a connection although the server
// does not read yet, which descriptors a listener keeps, and how a listening
// socket passes to a program it starts.
#pragma once

#include <string>
#include <string_view>

namespace tulvo::platform {

// A connection to the server at `path`. The kernel queues it as soon as a
// socket listens there, whatever the listening program is doing: fd >= 0
// means the server exists. Otherwise `error` says why: ENOENT or
// ECONNREFUSED when nobody listens, EAGAIN when the server's queue stayed
// full for `timeoutMs`.
struct UnixConnection {
    int fd = -1;
    int error = 0;
};
UnixConnection connectUnix(const std::string& path, int timeoutMs);

// Writes as much of `bytes` as the socket takes without waiting; the count
// written, or -1 when the peer is gone.
long writeWithoutWaiting(int fd, std::string_view bytes);
// Writes all of `bytes`, waiting at most `timeoutMs` for the peer to take
// each part; false when it went away or did not take them in time.
bool writeAll(int fd, std::string_view bytes, int timeoutMs);

// A socket listening at `path`, for this user only (mode 0600). A socket
// file that nobody listens on (left by a program that died) is replaced; a
// live one is left alone (`live`), and so is anything that is no socket
// (`problem` says what).
struct UnixListener {
    int fd = -1;
    bool live = false;
    std::string problem;
};
UnixListener listenUnix(const std::string& path);

// What is at `path`, when it is something other than a socket or nothing:
// "a regular file", "a folder", ...; empty otherwise.
std::string nonSocketAt(const std::string& path);

// An exclusive flock on `path` (created when missing), held for the object's
// life and by every program that inherits the descriptor.
class FileLock {
  public:
    explicit FileLock(const std::string& path);
    ~FileLock();
    FileLock(const FileLock&) = delete;
    FileLock& operator=(const FileLock&) = delete;
    bool held() const { return fd_ >= 0; }

  private:
    int fd_ = -1;
};

}  // namespace tulvo::platform
