// Messages between Tulvo and its companion programs over local sockets. A
// program's hidden window is a local server named by its title; a frame is
// the message number and its two parameters, 64-bit little-endian each. A
// sent message waits for a 64-bit reply, a posted one does not.
#pragma once

#include <QByteArray>
#include <QString>
#include <cstdint>
#include <optional>

namespace tulvo::platform {

// Empty when no server of that name listens (the window does not exist).
std::optional<int64_t> sendMessage(const QString& server, uint32_t message, int64_t first = 0,
                                   int64_t second = 0, int timeoutMs = 2000);
// False when no server of that name listens.
bool postMessage(const QString& server, uint32_t message, int64_t first = 0, int64_t second = 0);
// Sends a frame whose first parameter is the length of `bytes`, followed by
// the bytes, and waits for the reply; empty when no server listens or the
// transfer does not finish in time.
std::optional<int64_t> sendBytes(const QString& server, uint32_t message, const QByteArray& bytes,
                                 int timeoutMs = 5000);

inline const QString kPopupMessenger = QStringLiteral("TulvoHiddenMessenger");

}  // namespace tulvo::platform
