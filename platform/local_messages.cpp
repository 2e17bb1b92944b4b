#include "platform/local_messages.hpp"

#include <sys/stat.h>
#include <unistd.h>
#include <QDir>
#include <QLocalSocket>
#include <QtEndian>
#include <cerrno>
#include <cstring>
#include <vector>

#include "platform/unix_socket.hpp"

namespace tulvo::platform {
namespace {

QByteArray frame(uint32_t message, int64_t first, int64_t second) {
    QByteArray bytes(24, '\0');
    qToLittleEndian<int64_t>(message, bytes.data());
    qToLittleEndian<int64_t>(first, bytes.data() + 8);
    qToLittleEndian<int64_t>(second, bytes.data() + 16);
    return bytes;
}

// Why `path` cannot hold this user's sockets: no real directory (a link is
// not followed), another user's, or open to others. Empty when it can.
QString unusableFolder(const QByteArray& path) {
    struct stat info {};
    const QString name = QFile::decodeName(path);
    if (::lstat(path.constData(), &info) != 0)
        return name + QStringLiteral(": ") + QString::fromLocal8Bit(std::strerror(errno));
    if (!S_ISDIR(info.st_mode)) return name + QStringLiteral(" is no folder");
    if (info.st_uid != ::geteuid())
        return name + QStringLiteral(" belongs to another user (uid %1)").arg(info.st_uid);
    if ((info.st_mode & 077) != 0) return name + QStringLiteral(" is open to other users");
    return {};
}

// A private folder made when missing.
QString unusableMadeFolder(const QByteArray& path) {
    if (::mkdir(path.constData(), 0700) != 0 && errno != EEXIST)
        return QFile::decodeName(path) + QStringLiteral(": ") +
               QString::fromLocal8Bit(std::strerror(errno));
    return unusableFolder(path);
}

}  // namespace

LocalServerPlace localServerPlace(const QString& title) {
    // In order: the session's runtime folder; tulvo-<uid> in the temporary
    // folder; tulvo in the user's cache folder, which no other user can
    // take first. A folder is passed over when it is not this user's
    // private folder or when something other than a socket holds the name
    // there; that thing is never removed.
    LocalServerPlace place;
    const QByteArray runtime = qgetenv("XDG_RUNTIME_DIR");
    const QString uid = QString::number(static_cast<qulonglong>(::geteuid()));
    const QByteArray temporary =
        QFile::encodeName(QDir::tempPath() + QStringLiteral("/tulvo-") + uid);
    QByteArray cache = qgetenv("XDG_CACHE_HOME");
    if (!cache.startsWith('/')) cache = qgetenv("HOME") + "/.cache";
    struct Candidate {
        QByteArray folder;
        bool make;
        QByteArray parent;  // made first when missing
    };
    std::vector<Candidate> candidates;
    if (runtime.startsWith('/')) candidates.push_back({runtime, false, {}});
    candidates.push_back({temporary, true, {}});
    if (cache.startsWith('/')) candidates.push_back({cache + "/tulvo", true, cache});
    for (const Candidate& candidate : candidates) {
        if (!candidate.parent.isEmpty()) ::mkdir(candidate.parent.constData(), 0700);
        const QString why = candidate.make ? unusableMadeFolder(candidate.folder)
                                           : unusableFolder(candidate.folder);
        if (!why.isEmpty()) {
            place.problems << why;
            continue;
        }
        const QString path = QFile::decodeName(candidate.folder) + QLatin1Char('/') + title;
        const std::string what = nonSocketAt(QFile::encodeName(path).toStdString());
        if (!what.empty()) {
            place.problems << path + QStringLiteral(" is ") + QString::fromStdString(what) +
                                  QStringLiteral(", not a socket; it is left as it is");
            continue;
        }
        place.path = path;
        break;
    }
    return place;
}

namespace {

bool connectAndWrite(QLocalSocket& socket, const QString& title, const QByteArray& bytes) {
    const QString path = localServerPath(title);
    if (path.isEmpty()) return false;
    socket.connectToServer(path);
    if (!socket.waitForConnected(500)) return false;
    socket.write(bytes);
    socket.waitForBytesWritten(500);
    return true;
}

}  // namespace

QString localServerPath(const QString& title) {
    return localServerPlace(title).path;
}

bool serverAccepts(const QString& title, int timeoutMs) {
    const QString path = localServerPath(title);
    if (path.isEmpty()) return false;
    QLocalSocket socket;
    socket.connectToServer(path);
    const bool accepted = socket.waitForConnected(timeoutMs);
    socket.abort();
    return accepted;
}

std::optional<int64_t> sendMessage(const QString& title, uint32_t message, int64_t first,
                                   int64_t second, int timeoutMs) {
    QLocalSocket socket;
    if (!connectAndWrite(socket, title, frame(message, first, second))) return std::nullopt;
    while (socket.bytesAvailable() < 8) {
        if (!socket.waitForReadyRead(timeoutMs)) return 0;
    }
    const QByteArray reply = socket.read(8);
    return qFromLittleEndian<int64_t>(reply.constData());
}

bool postMessage(const QString& title, uint32_t message, int64_t first, int64_t second) {
    QLocalSocket socket;
    const bool sent = connectAndWrite(socket, title, frame(message, first, second));
    socket.disconnectFromServer();
    return sent;
}

}  // namespace tulvo::platform
