// Whatever a server answers (status line, headers, body, all of it from the
// input), the request ends within its limits and every header value it
// reports is trimmed.
#include <arpa/inet.h>
#include <netinet/in.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

#include <thread>

#include "platform/http_request.hpp"
#include "tests/fuzz/fuzz_support.hpp"

namespace {

// A listening socket on 127.0.0.1 for the whole run.
struct Listener {
    int fd = -1;
    int port = 0;
    Listener() {
        fd = ::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
        sockaddr_in address{};
        address.sin_family = AF_INET;
        address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
        if (::bind(fd, reinterpret_cast<sockaddr*>(&address), sizeof address) != 0 ||
            ::listen(fd, 4) != 0)
            std::abort();
        socklen_t length = sizeof address;
        ::getsockname(fd, reinterpret_cast<sockaddr*>(&address), &length);
        port = ntohs(address.sin_port);
    }
};

// Takes one connection, reads the request head, sends the answer, closes.
void answerOnce(int listener, std::string_view answer) {
    pollfd waiting{listener, POLLIN, 0};
    if (::poll(&waiting, 1, 3000) <= 0) return;
    const int client = ::accept4(listener, nullptr, nullptr, SOCK_CLOEXEC);
    if (client < 0) return;
    std::string request;
    char buffer[4096];
    while (request.find("\r\n\r\n") == std::string::npos) {
        pollfd readable{client, POLLIN, 0};
        if (::poll(&readable, 1, 3000) <= 0) break;
        const ssize_t n = ::read(client, buffer, sizeof buffer);
        if (n <= 0) break;
        request.append(buffer, size_t(n));
    }
    for (size_t done = 0; done < answer.size();) {
        const ssize_t n = ::send(client, answer.data() + done, answer.size() - done, MSG_NOSIGNAL);
        if (n <= 0) break;
        done += size_t(n);
    }
    ::close(client);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    static const Listener listener;
    const std::string answer(tulvo::fuzz::bytesOf(data, size));
    std::thread server(answerOnce, listener.fd, std::string_view(answer));

    tulvo::platform::HttpLimits limits;
    limits.connectSeconds = 2;
    limits.stallSeconds = 2;
    limits.totalSeconds = 4;
    limits.maxBodyBytes = 1024;
    tulvo::platform::HttpRequest request(limits);
    request.open("GET",
                 "http://127.0.0.1:" + std::to_string(listener.port) + "/search/label/version");
    const bool answered = request.send();
    server.join();

    FUZZ_CHECK(request.responseBody().size() <= limits.maxBodyBytes);
    if (!answered) return 0;
    for (const char* name :
         {"Last-Modified", "last-modified", "Content-Length", "Content-Type", "Location"}) {
        const std::string value = request.responseHeader(name);
        if (value.empty()) continue;
        FUZZ_CHECK(value.front() != ' ' && value.front() != '\t');
        FUZZ_CHECK(value.back() != ' ' && value.back() != '\t' && value.back() != '\r' &&
                   value.back() != '\n');
    }
    return 0;
}
