// Messages between Tulvo and its companion programs over local sockets. A
// program's hidden window is a local server named by its title; a frame is
// the message number and its two parameters, 64-bit little-endian each. A
// sent message waits for a 64-bit reply, a posted one does not.
#pragma once

#include <QString>
#include <cstdint>
#include <optional>

namespace tulvo::platform {

// Empty when no server of that name listens (the window does not exist).
std::optional<int64_t> sendMessage(const QString& server, uint32_t message, int64_t first = 0,
                                   int64_t second = 0, int timeoutMs = 2000);
// False when no server of that name listens.
bool postMessage(const QString& server, uint32_t message, int64_t first = 0, int64_t second = 0);

inline const QString kPopupMessenger = QStringLiteral("TulvoHiddenMessenger");

}  // namespace tulvo::platform
