// The hidden locator: the local server "TulvoHiddenLocator" through which
// the popup program asks for a lookup (0x507) or for the main window (0x508).
// A frame is the message number and two parameters, 64-bit little-endian
// each; every whole frame is answered with a 64-bit zero so that a sender
// waiting for a reply goes on. A frame with a message number beyond 32 bits
// ends the connection without effect, as does a partial frame.
//
// The handler never runs inside the socket's own signals: a frame is
// answered at once and its message handed to the handler from the event
// loop, so a handler that processes events (a search does) never meets a
// socket that went away under it.
//
// A client cannot wear the locator out: it keeps at most kMaxConnections
// (one that has no unfinished frame goes first when another comes), drops a
// connection that brings no whole frame for kIdleTimeoutMs, holds at most
// kInFlightLimit bytes of unfinished frames (the oldest unfinished frame
// goes first), and keeps listening when the process runs out of descriptors.
//
// Messages reach the handlers in the order their connections were accepted:
// a lookup whose long text is still arriving is not overtaken by a shorter
// one sent after it, unless its sender stalls for kOrderWaitMs.
#pragma once

#include <QElapsedTimer>
#include <QObject>
#include <QStringList>
#include <QTimer>
#include <functional>
#include <list>
#include <map>
#include <optional>

class QLocalSocket;
class QSocketNotifier;

namespace tulvo::shell {

inline const QString kHiddenLocator = QStringLiteral("TulvoHiddenLocator");

// A lookup of UTF-8 text of any length (`tulvo --lookup`): the frame's first
// parameter is the text's length in bytes, and the text follows the frame.
// The reply comes once the whole text has arrived. A length beyond the limit
// ends the connection without effect.
inline constexpr uint32_t kMessageLookupText = 0x50C;
inline constexpr int64_t kLookupTextLimit = 1 << 20;

struct LocatorMessage {
    uint32_t message = 0;
    int64_t first = 0;
    int64_t second = 0;
};

// What the bytes received so far start with.
struct LocatorFrame {
    enum class Kind { Incomplete, Message, Text, Invalid } kind = Kind::Incomplete;
    LocatorMessage message;
    QByteArray text;       // the UTF-8 text of a kMessageLookupText, for Text
    qsizetype length = 0;  // bytes the frame takes, for Message and Text
};
LocatorFrame parseLocatorFrame(const QByteArray& bytes);

class HiddenLocator : public QObject {
    Q_OBJECT
  public:
    using Handler = std::function<void(uint32_t message, int64_t first, int64_t second)>;
    using TextHandler = std::function<void(const QString& text)>;

    static constexpr int kMaxConnections = 64;
    static constexpr int kIdleTimeoutMs = 10'000;
    static constexpr qsizetype kInFlightLimit = 8 * (kLookupTextLimit + 24);
    static constexpr int kOrderWaitMs = 1'000;

    explicit HiddenLocator(Handler handler, QObject* parent = nullptr);
    ~HiddenLocator() override;
    // Starts listening under the title `title` (see platform::localServerPlace),
    // for this user only, under the start-up lock that `tulvo --lookup`
    // takes. A listening socket handed over by `tulvo --lookup` (the
    // variable kInheritedListener) is taken as it is. A socket file left by a
    // copy that ended abnormally is replaced; the socket of a copy that still
    // answers is left alone and false is returned.
    bool listen(const QString& title = kHiddenLocator);
    // Why lookups from other programs are not available or go to another
    // folder than usual, one line each; empty when all is well.
    const QStringList& problems() const { return problems_; }
    // Receives the text of each kMessageLookupText.
    void setTextHandler(TextHandler handler) { textHandler_ = std::move(handler); }

  private:
    struct Connection {
        quint64 id = 0;
        QLocalSocket* socket = nullptr;
        QByteArray pending;   // the unfinished frame
        QElapsedTimer since;  // accepted, or its last whole frame
        QElapsedTimer heard;  // its last bytes
    };
    using Connections = std::list<Connection>;

    bool adoptInherited(const QString& path);
    void startListening(int fd, const QString& path);
    void acceptPending();
    Connections::iterator find(quint64 id);
    Connections::iterator leastNeeded();
    void readFrames(quint64 id);
    void drop(Connections::iterator connection);
    void dropIdle();
    // Hands on the messages that no earlier connection's unfinished frame
    // still has to come before.
    void release();
    qsizetype inFlight() const;

    Handler handler_;
    TextHandler textHandler_;
    int listener_ = -1;
    QString path_;
    unsigned long long inode_ = 0;  // of the socket file this copy made
    QSocketNotifier* notifier_ = nullptr;
    Connections connections_;
    quint64 nextId_ = 0;
    // Messages not handed on yet, by connection, in arrival order.
    std::multimap<quint64, std::function<void()>> held_;
    QTimer sweep_;
    QStringList problems_;
};

// The environment variable through which `tulvo --lookup` hands the
// listening socket it made to the window it starts: the descriptor number.
inline constexpr char kInheritedListener[] = "TULVO_LOCATOR_FD";
// The start-up lock beside the locator's socket.
inline QString startLockPath(const QString& socketPath) {
    return socketPath + QStringLiteral(".lock");
}

}  // namespace tulvo::shell
