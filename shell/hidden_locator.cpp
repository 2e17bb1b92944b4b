#include "shell/hidden_locator.hpp"

#include <QLocalSocket>
#include <QTimer>
#include <QVariant>
#include <QtEndian>

#include "platform/local_messages.hpp"

namespace tulvo::shell {

LocatorFrame parseLocatorFrame(const QByteArray& bytes) {
    LocatorFrame frame;
    if (bytes.size() < 8) return frame;
    const auto message = qFromLittleEndian<int64_t>(bytes.constData());
    if (message < 0 || message > 0xFFFFFFFFLL) {
        frame.kind = LocatorFrame::Kind::Invalid;
        return frame;
    }
    // Every message has two 64-bit parameters; a text lookup is followed by
    // as many bytes of UTF-8 as its first parameter says.
    if (bytes.size() < 24) return frame;
    frame.message = {static_cast<uint32_t>(message),
                     qFromLittleEndian<int64_t>(bytes.constData() + 8),
                     qFromLittleEndian<int64_t>(bytes.constData() + 16)};
    if (frame.message.message != kMessageLookupText) {
        frame.kind = LocatorFrame::Kind::Message;
        frame.length = 24;
        return frame;
    }
    const int64_t textLength = frame.message.first;
    if (textLength < 0 || textLength > kLookupTextLimit) {
        frame.kind = LocatorFrame::Kind::Invalid;
        return frame;
    }
    if (bytes.size() < 24 + textLength) return frame;
    frame.kind = LocatorFrame::Kind::Text;
    frame.length = 24 + static_cast<qsizetype>(textLength);
    frame.text = bytes.mid(24, static_cast<qsizetype>(textLength));
    return frame;
}

HiddenLocator::HiddenLocator(Handler handler, QObject* parent)
    : QObject(parent), handler_(std::move(handler)) {
    server_.setSocketOptions(QLocalServer::UserAccessOption);
    connect(&server_, &QLocalServer::newConnection, this, &HiddenLocator::accept);
}

bool HiddenLocator::listen(const QString& title) {
    const QString path = platform::localServerPath(title);
    if (path.isEmpty()) return false;
    // A live copy keeps its name (listening would replace its socket file);
    // a file that a copy which ended abnormally left behind is replaced.
    if (platform::serverAccepts(title)) return false;
    QLocalServer::removeServer(path);
    return server_.listen(path);
}

void HiddenLocator::accept() {
    while (QLocalSocket* socket = server_.nextPendingConnection()) {
        connect(socket, &QLocalSocket::readyRead, this, [this, socket] { readFrames(socket); });
        connect(socket, &QLocalSocket::disconnected, socket, &QObject::deleteLater);
        readFrames(socket);
    }
}

void HiddenLocator::readFrames(QLocalSocket* socket) {
    // Frames are answered here; their messages wait for the event loop.
    QByteArray pending = socket->property("pending").toByteArray() + socket->readAll();
    for (;;) {
        const LocatorFrame frame = parseLocatorFrame(pending);
        if (frame.kind == LocatorFrame::Kind::Incomplete) break;
        if (frame.kind == LocatorFrame::Kind::Invalid) {
            socket->abort();
            return;
        }
        pending.remove(0, frame.length);
        socket->write(QByteArray(8, '\0'));
        if (frame.kind == LocatorFrame::Kind::Text) {
            const QString text = QString::fromUtf8(frame.text);
            QTimer::singleShot(0, this, [this, text] {
                if (textHandler_) textHandler_(text);
            });
            continue;
        }
        const LocatorMessage m = frame.message;
        QTimer::singleShot(0, this, [this, m] { handler_(m.message, m.first, m.second); });
    }
    socket->flush();
    socket->setProperty("pending", pending);
}

}  // namespace tulvo::shell
