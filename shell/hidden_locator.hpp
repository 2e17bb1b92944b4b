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
#pragma once

#include <QLocalServer>
#include <QObject>
#include <functional>
#include <optional>

class QLocalSocket;

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

    explicit HiddenLocator(Handler handler, QObject* parent = nullptr);
    // Starts listening under the title `title` (see platform::localServerPath),
    // for this user only. A socket file left by a copy that ended abnormally
    // is replaced; the socket of a copy that still answers is left alone and
    // false is returned.
    bool listen(const QString& title = kHiddenLocator);
    // Receives the text of each kMessageLookupText.
    void setTextHandler(TextHandler handler) { textHandler_ = std::move(handler); }

  private:
    void accept();
    void readFrames(QLocalSocket* socket);

    Handler handler_;
    TextHandler textHandler_;
    QLocalServer server_;
};

}  // namespace tulvo::shell
