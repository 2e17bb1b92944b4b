#include "shell/lookup_launcher.hpp"

#include <fcntl.h>
#include <sys/wait.h>
#include <unistd.h>
#include <QDateTime>
#include <QFile>
#include <QtEndian>
#include <cerrno>
#include <cstring>
#include <fstream>
#include <iostream>

#include "platform/local_messages.hpp"
#include "platform/unix_socket.hpp"
#include "shell/hidden_locator.hpp"

namespace tulvo::shell {
namespace {

// How long the kernel may keep a connection waiting for room in a full
// queue, and how long a child finishing a long text waits for the window
// (which may be busy with the options program).
constexpr int kConnectTimeoutMs = 5'000;
constexpr int kDeliveryTimeoutMs = 600'000;

QByteArray frameFor(const QByteArray& text) {
    const bool showOnly = text.trimmed().isEmpty();
    QByteArray bytes(24, '\0');
    qToLittleEndian<int64_t>(showOnly ? 0x508 : kMessageLookupText, bytes.data());
    if (showOnly) return bytes;
    qToLittleEndian<int64_t>(text.size(), bytes.data() + 8);
    return bytes + text;
}

// Standard input, output and error on /dev/null: a started program must not
// keep the caller's terminal or pipe (`x=$(tulvo --lookup ...)` would wait
// for it).
void detachOutput() {
    const int null = ::open("/dev/null", O_RDWR);
    if (null < 0) return;
    for (int fd = 0; fd <= 2; ++fd) ::dup2(null, fd);
    if (null > 2) ::close(null);
}

// Writes `bytes` into the connection `fd` and closes it. What the socket does
// not take at once is written by a child in a session of its own, which
// outlives this program; false when the window went away.
bool deliver(int fd, std::string_view bytes) {
    const long written = platform::writeWithoutWaiting(fd, bytes);
    if (written < 0) {
        ::close(fd);
        return false;
    }
    if (size_t(written) == bytes.size()) {
        ::close(fd);
        return true;
    }
    const std::string_view rest = bytes.substr(size_t(written));
    const pid_t child = ::fork();
    if (child == 0) {
        // Nothing but the connection: a start-up lock held here would keep
        // other starts waiting for this window to read.
        for (int other = 3; other < 1024; ++other)
            if (other != fd) ::close(other);
        ::setsid();
        detachOutput();
        ::_exit(platform::writeAll(fd, rest, kDeliveryTimeoutMs) ? 0 : 1);
    }
    if (child < 0) {
        const bool ok = platform::writeAll(fd, rest, kDeliveryTimeoutMs);
        ::close(fd);
        return ok;
    }
    ::close(fd);
    return true;
}

// Starts the window, detached from this program's session and output, with
// the listening socket `listener` (named in its environment). An empty
// string when it started, else why not.
std::string startWindow(const std::string& program, int listener) {
    int report[2];
    if (::pipe2(report, O_CLOEXEC) != 0) return std::strerror(errno);
    const pid_t middle = ::fork();
    if (middle < 0) {
        const int error = errno;
        ::close(report[0]);
        ::close(report[1]);
        return std::strerror(error);
    }
    if (middle == 0) {
        // A new session, and a grandchild that init adopts: the window
        // belongs to neither the caller's terminal nor its process.
        ::close(report[0]);
        ::setsid();
        const pid_t window = ::fork();
        if (window == 0) {
            detachOutput();
            ::fcntl(listener, F_SETFD, 0);
            ::setenv(kInheritedListener, std::to_string(listener).c_str(), 1);
            char* const argv[] = {const_cast<char*>(program.c_str()), nullptr};
            ::execv(program.c_str(), argv);
            const int error = errno;
            [[maybe_unused]] const ssize_t n = ::write(report[1], &error, sizeof error);
            ::_exit(127);
        }
        ::_exit(window < 0 ? 1 : 0);
    }
    ::close(report[1]);
    int status = 0;
    while (::waitpid(middle, &status, 0) < 0 && errno == EINTR) {
    }
    int error = 0;
    ssize_t got;
    do {
        got = ::read(report[0], &error, sizeof error);
    } while (got < 0 && errno == EINTR);
    ::close(report[0]);
    if (got == ssize_t(sizeof error)) return std::strerror(error);
    if (!WIFEXITED(status) || WEXITSTATUS(status) != 0) return "fork failed";
    return {};
}

// -1 when no window listens at `path`, else the exit status of handing the
// frame to it.
int handTo(const std::string& path, std::string_view frame) {
    const platform::UnixConnection connection = platform::connectUnix(path, kConnectTimeoutMs);
    if (connection.fd >= 0) {
        if (deliver(connection.fd, frame)) return 0;
        std::cerr << "tulvo: the window closed the connection before it had the text\n";
        return 1;
    }
    if (connection.error == ENOENT || connection.error == ECONNREFUSED) return -1;
    if (connection.error == EAGAIN)
        std::cerr << "tulvo: the window takes no more lookups for now\n";
    else
        std::cerr << "tulvo: cannot reach the window at " << path << ": "
                  << std::strerror(connection.error) << "\n";
    return 1;
}

}  // namespace

int handOverLookup(const QByteArray& text, const std::string& program,
                   const std::function<std::string()>& whyNoWindow) {
    const platform::LocalServerPlace place = platform::localServerPlace(kHiddenLocator);
    for (const QString& problem : place.problems)
        std::cerr << "tulvo: " << problem.toStdString() << "\n";
    if (place.path.isEmpty()) {
        std::cerr << "tulvo: no private folder for the locator's socket: lookups cannot reach a "
                     "window\n";
        return 1;
    }
    const std::string path = QFile::encodeName(place.path).toStdString();
    const QByteArray frameBytes = frameFor(text);
    const std::string_view frame(frameBytes.constData(), size_t(frameBytes.size()));
    if (const int status = handTo(path, frame); status >= 0) return status;

    // No window: one launcher at a time makes one.
    const platform::FileLock lock(QFile::encodeName(startLockPath(place.path)).toStdString());
    if (const int status = handTo(path, frame); status >= 0) return status;
    if (whyNoWindow) {
        if (const std::string why = whyNoWindow(); !why.empty()) {
            std::cerr << why;
            return 1;
        }
    }
    const platform::UnixListener listener = platform::listenUnix(path);
    if (listener.live) return handTo(path, frame) == 0 ? 0 : 1;
    if (listener.fd < 0) {
        std::cerr << "tulvo: " << listener.problem << "\n";
        return 1;
    }
    // The text waits in the new socket's queue until the window reads it;
    // it is queued before the lock is given up, so that it comes before the
    // text of any launcher that waited for the lock.
    const platform::UnixConnection own = platform::connectUnix(path, kConnectTimeoutMs);
    const bool queued = own.fd >= 0 && deliver(own.fd, frame);
    const std::string why = startWindow(program, listener.fd);
    ::close(listener.fd);
    if (!why.empty()) {
        ::unlink(path.c_str());
        std::cerr << "tulvo: could not start Tulvo: " << why << "\n";
        return 1;
    }
    if (!queued) {
        std::cerr << "tulvo: Tulvo started, but the text could not be handed to it\n";
        return 1;
    }
    return 0;
}

void reportProblems(const QStringList& problems, const std::filesystem::path& log) {
    if (problems.isEmpty()) return;
    std::ofstream out(log, std::ios::app);
    const std::string now = QDateTime::currentDateTime().toString(Qt::ISODate).toStdString();
    for (const QString& problem : problems) {
        std::cerr << "tulvo: " << problem.toStdString() << "\n";
        out << now << " " << problem.toStdString() << "\n";
    }
}

}  // namespace tulvo::shell
