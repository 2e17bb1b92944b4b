#include "shell/hidden_locator.hpp"

#include <fcntl.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/un.h>
#include <unistd.h>
#include <QFile>
#include <QLocalSocket>
#include <QSocketNotifier>
#include <QTimer>
#include <QtEndian>
#include <algorithm>
#include <cerrno>
#include <limits>

#include "platform/local_messages.hpp"
#include "platform/unix_socket.hpp"

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
    sweep_.setInterval(250);
    connect(&sweep_, &QTimer::timeout, this, [this] {
        dropIdle();
        release();
    });
}

HiddenLocator::~HiddenLocator() {
    while (!connections_.empty()) {
        QLocalSocket* socket = connections_.front().socket;
        socket->disconnect(this);
        connections_.pop_front();
        delete socket;
    }
    if (listener_ < 0) return;
    delete notifier_;
    ::close(listener_);
    // The socket file goes with this copy, unless another copy has made its
    // own under the name since.
    struct stat info {};
    const QByteArray path = QFile::encodeName(path_);
    if (::lstat(path.constData(), &info) == 0 && S_ISSOCK(info.st_mode) && info.st_ino == inode_)
        ::unlink(path.constData());
}

bool HiddenLocator::listen(const QString& title) {
    const platform::LocalServerPlace place = platform::localServerPlace(title);
    problems_ = place.problems;
    if (place.path.isEmpty()) {
        problems_ << QStringLiteral(
                         "no private folder for the socket %1: lookups from other "
                         "programs are not available")
                         .arg(title);
        return false;
    }
    if (adoptInherited(place.path)) return true;
    // Under the lock, so that a `tulvo --lookup` starting a window at the
    // same moment finds this one instead.
    const platform::FileLock lock(QFile::encodeName(startLockPath(place.path)).toStdString());
    const platform::UnixListener listener =
        platform::listenUnix(QFile::encodeName(place.path).toStdString());
    if (listener.fd < 0) {
        if (!listener.problem.empty())
            problems_ << QString::fromStdString(listener.problem) +
                             QStringLiteral(": lookups from other programs are not available");
        return false;
    }
    startListening(listener.fd, place.path);
    return true;
}

bool HiddenLocator::adoptInherited(const QString& path) {
    const QByteArray value = qgetenv(kInheritedListener);
    if (value.isEmpty()) return false;
    // Not for the programs this one starts.
    qunsetenv(kInheritedListener);
    bool number = false;
    const int fd = value.toInt(&number);
    if (!number || fd < 0) return false;
    int accepting = 0;
    socklen_t size = sizeof accepting;
    sockaddr_un address{};
    socklen_t addressSize = sizeof address;
    if (::getsockopt(fd, SOL_SOCKET, SO_ACCEPTCONN, &accepting, &size) != 0 || !accepting ||
        ::getsockname(fd, reinterpret_cast<sockaddr*>(&address), &addressSize) != 0 ||
        address.sun_family != AF_UNIX)
        return false;
    if (QFile::decodeName(address.sun_path) != path) {
        ::close(fd);
        return false;
    }
    ::fcntl(fd, F_SETFD, FD_CLOEXEC);
    ::fcntl(fd, F_SETFL, ::fcntl(fd, F_GETFL) | O_NONBLOCK);
    startListening(fd, path);
    return true;
}

void HiddenLocator::startListening(int fd, const QString& path) {
    listener_ = fd;
    path_ = path;
    struct stat info {};
    if (::lstat(QFile::encodeName(path).constData(), &info) == 0) inode_ = info.st_ino;
    notifier_ = new QSocketNotifier(fd, QSocketNotifier::Read, this);
    connect(notifier_, &QSocketNotifier::activated, this, &HiddenLocator::acceptPending);
}

void HiddenLocator::acceptPending() {
    for (;;) {
        const int fd = ::accept4(listener_, nullptr, nullptr, SOCK_CLOEXEC | SOCK_NONBLOCK);
        if (fd < 0) {
            const int error = errno;
            if (error == EINTR || error == ECONNABORTED) continue;
            if (error == EAGAIN || error == EWOULDBLOCK) return;
            // Out of descriptors: a connection makes room; with none to drop,
            // the listener rests a moment rather than spin. It is never
            // closed: that would end lookups for good.
            if ((error == EMFILE || error == ENFILE) && !connections_.empty()) {
                drop(leastNeeded());
                continue;
            }
            notifier_->setEnabled(false);
            QTimer::singleShot(200, this, [this] { notifier_->setEnabled(true); });
            return;
        }
        // What the client sent before it was accepted (a whole lookup, as a
        // rule) is taken at once, so that a connection that has brought its
        // frame is never mistaken for an idle one.
        QByteArray early;
        char chunk[65536];
        while (early.size() <= kLookupTextLimit + 24) {
            const ssize_t got = ::recv(fd, chunk, sizeof chunk, MSG_DONTWAIT);
            if (got < 0 && errno == EINTR) continue;
            if (got <= 0) break;
            early.append(chunk, got);
        }
        auto* socket = new QLocalSocket(this);
        if (!socket->setSocketDescriptor(fd)) {
            ::close(fd);
            delete socket;
            continue;
        }
        if (connections_.size() >= size_t(kMaxConnections)) drop(leastNeeded());
        const quint64 id = ++nextId_;
        connections_.push_back({id, socket, early, {}, {}});
        connections_.back().since.start();
        connections_.back().heard.start();
        connect(socket, &QLocalSocket::readyRead, this, [this, id] { readFrames(id); });
        // Queued: the socket may go away inside its own write.
        connect(
            socket, &QLocalSocket::disconnected, this,
            [this, id] {
                const auto it = find(id);
                if (it != connections_.end()) drop(it);
            },
            Qt::QueuedConnection);
        if (!sweep_.isActive()) sweep_.start();
        readFrames(id);
    }
}

HiddenLocator::Connections::iterator HiddenLocator::leastNeeded() {
    // The oldest connection with no unfinished frame (it has been served or
    // has sent nothing), else the oldest unfinished one.
    auto oldest = connections_.end();
    for (auto c = connections_.begin(); c != connections_.end(); ++c) {
        if (oldest == connections_.end()) {
            oldest = c;
            continue;
        }
        const bool idle = c->pending.isEmpty(), oldestIdle = oldest->pending.isEmpty();
        if (idle != oldestIdle ? idle : c->since.elapsed() > oldest->since.elapsed()) oldest = c;
    }
    return oldest;
}

HiddenLocator::Connections::iterator HiddenLocator::find(quint64 id) {
    return std::find_if(connections_.begin(), connections_.end(),
                        [id](const Connection& c) { return c.id == id; });
}

void HiddenLocator::drop(Connections::iterator connection) {
    QLocalSocket* socket = connection->socket;
    connections_.erase(connection);
    socket->disconnect(this);
    socket->abort();
    socket->deleteLater();
    if (connections_.empty()) sweep_.stop();
    release();
}

void HiddenLocator::release() {
    quint64 blocking = std::numeric_limits<quint64>::max();
    for (const Connection& c : connections_)
        if (!c.pending.isEmpty() && c.heard.elapsed() < kOrderWaitMs)
            blocking = std::min(blocking, c.id);
    while (!held_.empty() && held_.begin()->first <= blocking) {
        QTimer::singleShot(0, this, std::move(held_.begin()->second));
        held_.erase(held_.begin());
    }
}

void HiddenLocator::dropIdle() {
    for (auto it = connections_.begin(); it != connections_.end();) {
        const auto next = std::next(it);
        if (it->since.elapsed() > kIdleTimeoutMs) drop(it);
        it = next;
    }
}

qsizetype HiddenLocator::inFlight() const {
    qsizetype total = 0;
    for (const Connection& c : connections_) total += c.pending.size();
    return total;
}

void HiddenLocator::readFrames(quint64 id) {
    const auto it = find(id);
    if (it == connections_.end()) return;
    Connection& connection = *it;
    const QByteArray bytes = connection.socket->readAll();
    if (!bytes.isEmpty()) connection.heard.restart();
    connection.pending += bytes;
    // Frames are answered here; their messages wait for the event loop.
    qsizetype used = 0;
    for (;;) {
        const LocatorFrame frame = parseLocatorFrame(QByteArray::fromRawData(
            connection.pending.constData() + used, connection.pending.size() - used));
        if (frame.kind == LocatorFrame::Kind::Incomplete) break;
        if (frame.kind == LocatorFrame::Kind::Invalid) {
            drop(it);
            return;
        }
        used += frame.length;
        connection.since.restart();
        connection.socket->write(QByteArray(8, '\0'));
        if (frame.kind == LocatorFrame::Kind::Text) {
            const QString text = QString::fromUtf8(frame.text);
            held_.emplace(id, [this, text] {
                if (textHandler_) textHandler_(text);
            });
            continue;
        }
        const LocatorMessage m = frame.message;
        held_.emplace(id, [this, m] { handler_(m.message, m.first, m.second); });
    }
    connection.pending =
        used == connection.pending.size() ? QByteArray() : connection.pending.mid(used);
    // Unfinished frames beyond the limit: the one waiting longest goes first
    // (a sender that works finishes its frame at once).
    while (inFlight() > kInFlightLimit) {
        auto oldest = connections_.end();
        for (auto c = connections_.begin(); c != connections_.end(); ++c)
            if (!c->pending.isEmpty() &&
                (oldest == connections_.end() || c->since.elapsed() > oldest->since.elapsed()))
                oldest = c;
        const bool self = oldest == it;
        drop(oldest);
        if (self) return;
    }
    release();
    connection.socket->flush();
}

}  // namespace tulvo::shell
