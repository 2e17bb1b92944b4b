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

class HiddenLocator : public QObject {
    Q_OBJECT
  public:
    using Handler = std::function<void(uint32_t message, int64_t first, int64_t second)>;

    explicit HiddenLocator(Handler handler, QObject* parent = nullptr);
    // Starts listening under `name`, for this user only.
    bool listen(const QString& name = kHiddenLocator);
    bool isListening() const { return server_.isListening(); }

  private:
    void accept();
    void readFrames(QLocalSocket* socket);

    Handler handler_;
    QLocalServer server_;
};

}  // namespace tulvo::shell
