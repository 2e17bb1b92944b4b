#include "apps/common/display.hpp"

#include <sys/socket.h>
#include <sys/un.h>
#include <unistd.h>
#include <xcb/xcb.h>

#include <QString>
#include <QtGlobal>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <utility>
#include <vector>

namespace tulvo::apps {

namespace {

std::string environment(const char* name) {
    const char* value = std::getenv(name);
    return value != nullptr ? value : "";
}

bool xServerAccepts() {
    if (environment("DISPLAY").empty()) return false;
    xcb_connection_t* connection = xcb_connect(nullptr, nullptr);
    const bool ok = xcb_connection_has_error(connection) == 0;
    xcb_disconnect(connection);
    return ok;
}

bool waylandCompositorAccepts() {
    std::string name = environment("WAYLAND_DISPLAY");
    if (name.empty()) name = "wayland-0";
    std::string path = name;
    if (name.front() != '/') {
        const std::string runtime = environment("XDG_RUNTIME_DIR");
        if (runtime.empty()) return false;
        path = runtime + "/" + name;
    }
    sockaddr_un address{};
    if (path.size() >= sizeof address.sun_path) return false;
    address.sun_family = AF_UNIX;
    std::memcpy(address.sun_path, path.c_str(), path.size() + 1);
    const int fd = ::socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0);
    if (fd < 0) return false;
    const bool ok = ::connect(fd, reinterpret_cast<const sockaddr*>(&address), sizeof address) == 0;
    ::close(fd);
    return ok;
}

bool platformAvailable(std::string_view platform) {
    const std::string_view name = platform.substr(0, platform.find(':'));
    if (name == "xcb") return xServerAccepts();
    if (name.starts_with("wayland")) return waylandCompositorAccepts();
    return !name.empty();  // offscreen, minimal, vnc, eglfs …: no session needed
}

// Qt's start-up messages, held until it is known whether the platform
// started; the program's name for the message that replaces a fatal error.
std::string startingProgram;
std::vector<std::pair<QtMsgType, QString>> heldMessages;
QtMessageHandler previousHandler = nullptr;
bool handlerInstalled = false;

void startUpHandler(QtMsgType type, const QMessageLogContext& context, const QString& text) {
    if (type == QtFatalMsg) {
        std::fputs(noDisplayMessage(startingProgram).c_str(), stderr);
        std::fflush(stderr);
        std::_Exit(1);
    }
    if (context.category != nullptr && std::string_view(context.category).starts_with("qt.qpa")) {
        heldMessages.emplace_back(type, text);
        return;
    }
    if (previousHandler != nullptr)
        previousHandler(type, context, text);
    else
        std::fprintf(stderr, "%s\n",
                     qFormatLogMessage(type, context, text).toLocal8Bit().constData());
}

}  // namespace

bool displayAvailable() {
    const std::string asked = environment("QT_QPA_PLATFORM");
    if (asked.empty()) return xServerAccepts() || waylandCompositorAccepts();
    std::string_view rest = asked;
    while (!rest.empty()) {
        const size_t end = rest.find(';');
        if (platformAvailable(rest.substr(0, end))) return true;
        rest = end == std::string_view::npos ? std::string_view() : rest.substr(end + 1);
    }
    return false;
}

std::string noDisplayMessage(std::string_view program) {
    return std::string(program) +
           ": cannot open a window: no display is reachable (DISPLAY or WAYLAND_DISPLAY must "
           "name a running graphical session).\n"
           "Start it from the desktop, or use tulvo-lookup to search from a terminal.\n";
}

bool requireDisplay(std::string_view program) {
    if (!displayAvailable()) {
        std::fputs(noDisplayMessage(program).c_str(), stderr);
        return false;
    }
    startingProgram = program;
    previousHandler = qInstallMessageHandler(startUpHandler);
    handlerInstalled = true;
    return true;
}

void displayStarted() {
    if (!handlerInstalled) return;
    qInstallMessageHandler(previousHandler);
    handlerInstalled = false;
    for (const auto& [type, text] : heldMessages) {
        const QByteArray bytes = text.toLocal8Bit();
        if (type == QtWarningMsg || type == QtCriticalMsg)
            qWarning("%s", bytes.constData());
        else
            qDebug("%s", bytes.constData());
    }
    heldMessages.clear();
}

}  // namespace tulvo::apps
