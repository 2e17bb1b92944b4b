// A small HTTP server on 127.0.0.1 (a free port) for tests: every request, on
// any path, gets the same answer, or none at all for a server that stalls.
// Started by the constructor, stopped by the destructor.
#pragma once

#include <arpa/inet.h>
#include <netinet/in.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

#include <atomic>
#include <string>
#include <thread>
#include <vector>

namespace tulvo::testing {

class OneAnswerHttpServer {
  public:
    struct Answer {
        int status = 200;
        std::string body;
        std::string extraHeaders;  // each line ended by CR LF
        bool silent = false;       // accepts and reads, never answers
    };

    OneAnswerHttpServer(int status, std::string body, std::string extraHeaders = {},
                        bool silent = false)
        : answer_{status, std::move(body), std::move(extraHeaders), silent} {
        listener_ = ::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
        sockaddr_in address{};
        address.sin_family = AF_INET;
        address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
        address.sin_port = 0;
        ::bind(listener_, reinterpret_cast<sockaddr*>(&address), sizeof address);
        ::listen(listener_, 8);
        socklen_t length = sizeof address;
        ::getsockname(listener_, reinterpret_cast<sockaddr*>(&address), &length);
        port_ = ntohs(address.sin_port);
        thread_ = std::thread([this] { serve(); });
    }
    ~OneAnswerHttpServer() {
        stop_ = true;
        thread_.join();
        for (const int client : held_) ::close(client);
        ::close(listener_);
    }

    std::string url(const std::string& path = "/") const {
        return "http://127.0.0.1:" + std::to_string(port_) + path;
    }
    int requests() const { return requests_; }
    std::string lastMethod() const { return lastMethod_; }

  private:
    void serve() {
        while (!stop_) {
            pollfd waiting{listener_, POLLIN, 0};
            if (::poll(&waiting, 1, 50) <= 0) continue;
            const int client = ::accept4(listener_, nullptr, nullptr, SOCK_CLOEXEC);
            if (client < 0) continue;
            std::string request;
            char buffer[4096];
            while (request.find("\r\n\r\n") == std::string::npos) {
                pollfd readable{client, POLLIN, 0};
                if (::poll(&readable, 1, 2000) <= 0) break;
                const ssize_t n = ::recv(client, buffer, sizeof buffer, 0);
                if (n <= 0) break;
                request.append(buffer, static_cast<size_t>(n));
            }
            ++requests_;
            lastMethod_ = request.substr(0, request.find(' '));
            if (answer_.silent) {
                // Held open, unanswered, until the server ends, while the
                // next connections are taken at once.
                held_.push_back(client);
                continue;
            }
            std::string response = "HTTP/1.1 " + std::to_string(answer_.status) + " Answer\r\n" +
                                   "Content-Length: " + std::to_string(answer_.body.size()) +
                                   "\r\n" + answer_.extraHeaders + "Connection: close\r\n\r\n";
            if (lastMethod_ != "HEAD") response += answer_.body;
            size_t sent = 0;
            while (sent < response.size()) {
                const ssize_t n =
                    ::send(client, response.data() + sent, response.size() - sent, MSG_NOSIGNAL);
                if (n <= 0) break;
                sent += static_cast<size_t>(n);
            }
            ::close(client);
        }
    }

    Answer answer_;
    int listener_ = -1;
    int port_ = 0;
    std::atomic<bool> stop_{false};
    std::atomic<int> requests_{0};
    std::string lastMethod_;
    std::vector<int> held_;  // silent connections (server thread only)
    std::thread thread_;
};

}  // namespace tulvo::testing
