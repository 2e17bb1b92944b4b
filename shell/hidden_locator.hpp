// The hidden locator: the local server "TulvoHiddenLocator" through which
// the popup program asks for a lookup (0x507) or for the main window (0x508).
// A frame is the message number and two parameters, 64-bit little-endian
// each; every whole frame is answered with a 64-bit zero so that a sender
// waiting for a reply goes on. A frame with a message number beyond 32 bits
// ends the connection without effect, as does a partial frame.
#pragma once

#include <QLocalServer>
#include <QObject>
#include <functional>

class QLocalSocket;

namespace tulvo::shell {

inline const QString kHiddenLocator = QStringLiteral("TulvoHiddenLocator");

// A lookup of UTF-8 text of any length (`tulvo --lookup`): the frame's first
// parameter is the text's length in bytes, and the text follows the frame.
// The reply comes once the whole text has arrived. A length beyond the limit
// ends the connection without effect.
inline constexpr uint32_t kMessageLookupText = 0x50C;
inline constexpr int64_t kLookupTextLimit = 1 << 20;

class HiddenLocator : public QObject {
    Q_OBJECT
  public:
    using Handler = std::function<void(uint32_t message, int64_t first, int64_t second)>;
    using TextHandler = std::function<void(const QString& text)>;

    explicit HiddenLocator(Handler handler, QObject* parent = nullptr);
    // Starts listening under `name`, for this user only.
    bool listen(const QString& name = kHiddenLocator);
    bool isListening() const { return server_.isListening(); }
    // Receives the text of each kMessageLookupText.
    void setTextHandler(TextHandler handler) { textHandler_ = std::move(handler); }

  private:
    void accept();
    void readFrames(QLocalSocket* socket);
    // The text that follows a kMessageLookupText frame: expecting it, and
    // taking it once whole (false while more is awaited or the socket is gone).
    void expectText(QLocalSocket* socket, int64_t length);
    bool takeText(QLocalSocket* socket);

    Handler handler_;
    TextHandler textHandler_;
    QLocalServer server_;
};

}  // namespace tulvo::shell
