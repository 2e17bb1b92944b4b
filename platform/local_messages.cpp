#include "platform/local_messages.hpp"

#include <sys/stat.h>
#include <unistd.h>
#include <QDir>
#include <QLocalSocket>
#include <QtEndian>

namespace tulvo::platform {
namespace {

QByteArray frame(uint32_t message, int64_t first, int64_t second) {
    QByteArray bytes(24, '\0');
    qToLittleEndian<int64_t>(message, bytes.data());
    qToLittleEndian<int64_t>(first, bytes.data() + 8);
    qToLittleEndian<int64_t>(second, bytes.data() + 16);
    return bytes;
}

// A real directory (not a link) of this user that nobody else may enter.
bool privateDirectory(const QByteArray& path) {
    struct stat info {};
    if (::lstat(path.constData(), &info) != 0) return false;
    return S_ISDIR(info.st_mode) && info.st_uid == ::geteuid() && (info.st_mode & 077) == 0;
}

QString privateFolder() {
    const QByteArray runtime = qgetenv("XDG_RUNTIME_DIR");
    if (!runtime.isEmpty() && runtime.startsWith('/') && privateDirectory(runtime))
        return QString::fromLocal8Bit(runtime);
    // The fallback: tulvo-<uid> in the temporary folder, made private. One
    // that another user made first, or that anybody else can enter, is not
    // used.
    const QString folder =
        QDir::tempPath() + QStringLiteral("/tulvo-%1").arg(static_cast<qulonglong>(::geteuid()));
    const QByteArray native = QFile::encodeName(folder);
    if (::mkdir(native.constData(), 0700) != 0 && errno != EEXIST) return {};
    return privateDirectory(native) ? folder : QString();
}

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
    const QString folder = privateFolder();
    return folder.isEmpty() ? QString() : folder + QLatin1Char('/') + title;
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

std::optional<int64_t> sendBytes(const QString& title, uint32_t message, const QByteArray& bytes,
                                 int timeoutMs) {
    QLocalSocket socket;
    const QString path = localServerPath(title);
    if (path.isEmpty()) return std::nullopt;
    socket.connectToServer(path);
    if (!socket.waitForConnected(500)) return std::nullopt;
    socket.write(frame(message, bytes.size(), 0) + bytes);
    while (socket.bytesToWrite() > 0) {
        if (!socket.waitForBytesWritten(timeoutMs)) return std::nullopt;
    }
    while (socket.bytesAvailable() < 8) {
        if (!socket.waitForReadyRead(timeoutMs)) return std::nullopt;
    }
    const QByteArray reply = socket.read(8);
    return qFromLittleEndian<int64_t>(reply.constData());
}

}  // namespace tulvo::platform
