// The HTTP request object: "open" (method, URL, asynchronous flag), "send",
// "responseBody", "getResponseHeader" and "status". Requests are synchronous
// over libcurl, with TLS certificates verified and time-outs, so that a dead
// or stalled server cannot hang the program for ever.
#pragma once

#include <string>

#include "platform/automation.hpp"

namespace tulvo::platform {

struct HttpLimits {
    long connectSeconds = 20;
    // A transfer slower than one byte a second for this long is abandoned.
    long stallSeconds = 30;
    long totalSeconds = 600;
    // A larger body is refused rather than held in memory.
    size_t maxBodyBytes = 256u << 20;
};

class HttpRequest : public AutomationObject {
  public:
    explicit HttpRequest(HttpLimits limits = {});
    bool hasMember(std::string_view name) const override;
    Variant invoke(std::string_view name, MemberKind kind,
                   const std::vector<Variant>& args) override;

    // The same members for C++ callers.
    void open(std::string method, std::string url);
    // False when no answer came (no connection, time-out, too large).
    bool send();
    const Bytes& responseBody() const { return body_; }
    // The last value of the named header (case-insensitive); empty when absent.
    std::string responseHeader(std::string_view name) const;
    long status() const { return status_; }

  private:
    HttpLimits limits_;
    std::string method_;
    std::string url_;
    Bytes body_;
    std::vector<std::pair<std::string, std::string>> headers_;
    long status_ = 0;
};

// The day of an HTTP date ("Wed, 21 Oct 2015 07:28:00 GMT" → "2015-10-21",
// in universal time); empty for an empty or unreadable header, so that a
// date nobody can read never passes for a newer file.
std::string lastModifiedDate(std::string_view header);

// Factory for the bridge's class table.
Creation createHttpRequest();

}  // namespace tulvo::platform
