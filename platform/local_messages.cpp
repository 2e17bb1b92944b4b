#include "platform/local_messages.hpp"

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

bool connectAndWrite(QLocalSocket& socket, const QString& server, const QByteArray& bytes) {
    socket.connectToServer(server);
    if (!socket.waitForConnected(500)) return false;
    socket.write(bytes);
    return socket.waitForBytesWritten(500);
}

}  // namespace

std::optional<int64_t> sendMessage(const QString& server, uint32_t message, int64_t first,
                                   int64_t second, int timeoutMs) {
    QLocalSocket socket;
    if (!connectAndWrite(socket, server, frame(message, first, second))) return std::nullopt;
    while (socket.bytesAvailable() < 8) {
        if (!socket.waitForReadyRead(timeoutMs)) return std::nullopt;
    }
    const QByteArray reply = socket.read(8);
    return qFromLittleEndian<int64_t>(reply.constData());
}

bool postMessage(const QString& server, uint32_t message, int64_t first, int64_t second) {
    QLocalSocket socket;
    const bool sent = connectAndWrite(socket, server, frame(message, first, second));
    socket.disconnectFromServer();
    return sent;
}

std::optional<int64_t> sendBytes(const QString& server, uint32_t message, const QByteArray& bytes,
                                 int timeoutMs) {
    QLocalSocket socket;
    socket.connectToServer(server);
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
