// Messages between Tulvo and its companion programs over local sockets. A
// program's hidden window is a local server named by its title; a frame is
// the message number and its two parameters, 64-bit little-endian each. A
// sent message waits for a 64-bit reply, a posted one does not.
//
// The socket files live in the user's runtime folder ($XDG_RUNTIME_DIR), so
// that every user and every login session has its own names; without a
// usable runtime folder they live in a folder of the temporary directory
// that only the user can enter, and failing that in the user's cache folder.
#pragma once

#include <QByteArray>
#include <QString>
#include <QStringList>
#include <cstdint>
#include <optional>

namespace tulvo::platform {

// Where the socket of the hidden window titled `title` lives, and why each
// folder before it was passed over (another user's folder, a file that is
// no socket at the name ...), for the user to read.
struct LocalServerPlace {
    QString path;  // empty when no folder can be had
    QStringList problems;
};
LocalServerPlace localServerPlace(const QString& title);

// The socket path of the hidden window titled `title`. Every program that
// listens or connects under a title goes through this. Empty when no private
// folder can be had.
QString localServerPath(const QString& title);

// True when a server under `title` accepts a connection: the window exists.
bool serverAccepts(const QString& title, int timeoutMs = 500);

// Empty when no server under that title accepts the connection (the window
// does not exist). A server that accepts the frame but does not answer
// within `timeoutMs` exists all the same; its answer counts as 0.
std::optional<int64_t> sendMessage(const QString& title, uint32_t message, int64_t first = 0,
                                   int64_t second = 0, int timeoutMs = 2000);
// False when no server under that title accepts the connection.
bool postMessage(const QString& title, uint32_t message, int64_t first = 0, int64_t second = 0);

inline const QString kPopupMessenger = QStringLiteral("TulvoHiddenMessenger");

}  // namespace tulvo::platform
