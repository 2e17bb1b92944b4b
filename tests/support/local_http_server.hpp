// A small HTTP/1.1 server on 127.0.0.1 for tests: it answers GET and HEAD
// from a table of paths, one connection at a time, on a thread of its own,
// and stops when destroyed.
#pragma once

#include <arpa/inet.h>
#include <netinet/in.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

#include <atomic>
#include <map>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

namespace tulvo::testing {

class LocalHttpServer {
  public:
    struct Answer {
        int status = 200;
        std::string body;
        std::string lastModified;  // sent as the Last-Modified header when not empty
    };

    LocalHttpServer() {
        fd_ = ::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
        const int on = 1;
        ::setsockopt(fd_, SOL_SOCKET, SO_REUSEADDR, &on, sizeof on);
        sockaddr_in address{};
        address.sin_family = AF_INET;
        address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
        address.sin_port = 0;
        ::bind(fd_, reinterpret_cast<sockaddr*>(&address), sizeof address);
        ::listen(fd_, 8);
        socklen_t length = sizeof address;
        ::getsockname(fd_, reinterpret_cast<sockaddr*>(&address), &length);
        port_ = ntohs(address.sin_port);
        thread_ = std::thread([this] { serve(); });
    }
    ~LocalHttpServer() {
        stop_ = true;
        thread_.join();
        ::close(fd_);
    }

    void set(const std::string& path, Answer answer) {
        std::lock_guard lock(mutex_);
        answers_[path] = std::move(answer);
    }
    std::string address() const { return "http://127.0.0.1:" + std::to_string(port_); }
    int port() const { return port_; }
    // "GET /path" and "HEAD /path", in the order they came.
    std::vector<std::string> requests() {
        std::lock_guard lock(mutex_);
        return requests_;
    }

  private:
    void serve() {
        while (!stop_) {
            pollfd p{fd_, POLLIN, 0};
            if (::poll(&p, 1, 50) <= 0) continue;
            const int client = ::accept4(fd_, nullptr, nullptr, SOCK_CLOEXEC);
            if (client < 0) continue;
            answer(client);
            ::close(client);
        }
    }

    void answer(int client) {
        std::string request;
        char chunk[4096];
        while (request.find("\r\n\r\n") == std::string::npos) {
            pollfd p{client, POLLIN, 0};
            if (::poll(&p, 1, 2000) <= 0) return;
            const ssize_t got = ::recv(client, chunk, sizeof chunk, 0);
            if (got <= 0) return;
            request.append(chunk, size_t(got));
        }
        const size_t space = request.find(' ');
        const std::string method = request.substr(0, space);
        const std::string path =
            request.substr(space + 1, request.find(' ', space + 1) - space - 1);
        Answer reply{404, "not found", ""};
        {
            std::lock_guard lock(mutex_);
            requests_.push_back(method + " " + path);
            if (const auto it = answers_.find(path); it != answers_.end()) reply = it->second;
        }
        std::string head = "HTTP/1.1 " + std::to_string(reply.status) +
                           " X\r\nContent-Length: " + std::to_string(reply.body.size()) +
                           "\r\nConnection: close\r\n";
        if (!reply.lastModified.empty()) head += "Last-Modified: " + reply.lastModified + "\r\n";
        head += "\r\n";
        std::string out = head + (method == "HEAD" ? std::string() : reply.body);
        for (size_t done = 0; done < out.size();) {
            const ssize_t put = ::send(client, out.data() + done, out.size() - done, MSG_NOSIGNAL);
            if (put <= 0) return;
            done += size_t(put);
        }
    }

    int fd_ = -1;
    int port_ = 0;
    std::atomic<bool> stop_{false};
    std::thread thread_;
    std::mutex mutex_;
    std::map<std::string, Answer> answers_;
    std::vector<std::string> requests_;
};

}  // namespace tulvo::testing
