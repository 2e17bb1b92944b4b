#include "shell/hidden_locator.hpp"

#include <QLocalSocket>
#include <QPointer>
#include <QVariant>
#include <QtEndian>

namespace tulvo::shell {

HiddenLocator::HiddenLocator(Handler handler, QObject* parent)
    : QObject(parent), handler_(std::move(handler)) {
    server_.setSocketOptions(QLocalServer::UserAccessOption);
    connect(&server_, &QLocalServer::newConnection, this, &HiddenLocator::accept);
}

bool HiddenLocator::listen(const QString& name) {
    // A socket left behind by a program that ended abnormally would refuse
    // the name; the locator of a running copy is replaced, as the newest
    // window is the one found by title.
    QLocalServer::removeServer(name);
    return server_.listen(name);
}

void HiddenLocator::accept() {
    while (QLocalSocket* socket = server_.nextPendingConnection()) {
        connect(socket, &QLocalSocket::readyRead, this, [this, socket] { readFrames(socket); });
        connect(socket, &QLocalSocket::disconnected, socket, &QObject::deleteLater);
        readFrames(socket);
    }
}

void HiddenLocator::readFrames(QLocalSocket* socketPointer) {
    // The handler may run a search that processes events, during which the
    // sender may go away.
    const QPointer<QLocalSocket> socket(socketPointer);
    while (socket && takeText(socket) && socket && socket->bytesAvailable() >= 24) {
        const QByteArray frame = socket->read(24);
        const auto message = qFromLittleEndian<int64_t>(frame.constData());
        const auto first = qFromLittleEndian<int64_t>(frame.constData() + 8);
        const auto second = qFromLittleEndian<int64_t>(frame.constData() + 16);
        if (message < 0 || message > 0xFFFFFFFFLL) {
            socket->abort();
            return;
        }
        if (message == kMessageLookupText) {
            expectText(socket, first);
            continue;
        }
        const QByteArray reply(8, '\0');
        socket->write(reply);
        socket->flush();
        handler_(static_cast<uint32_t>(message), first, second);
    }
}

namespace {
const char* const kPendingText = "tulvoPendingText";
}

void HiddenLocator::expectText(QLocalSocket* socket, int64_t length) {
    if (length < 0 || length > kLookupTextLimit) {
        socket->abort();
        return;
    }
    socket->setProperty(kPendingText, QVariant::fromValue<qint64>(length));
}

bool HiddenLocator::takeText(QLocalSocket* socket) {
    const QVariant pending = socket->property(kPendingText);
    if (!pending.isValid()) return true;
    const qint64 length = pending.toLongLong();
    if (socket->bytesAvailable() < length) return false;
    const QByteArray text = socket->read(length);
    socket->setProperty(kPendingText, QVariant());
    socket->write(QByteArray(8, '\0'));
    socket->flush();
    // The lookup runs a search that processes events, during which the
    // sender may close the connection and the socket be deleted: it runs
    // from the event loop, outside this socket's signal.
    QMetaObject::invokeMethod(
        this, [this, text] { if (textHandler_) textHandler_(QString::fromUtf8(text)); },
        Qt::QueuedConnection);
    return true;
}

}  // namespace tulvo::shell
