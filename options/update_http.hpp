// The two HTTP transfers the update checker needs: a GET of a whole body,
// and the Last-Modified date of a HEAD request.
#pragma once

#include <optional>
#include <string>
#include <utility>

#include "platform/http_request.hpp"

namespace tulvo::options {

class UpdateHttp {
  public:
    virtual ~UpdateHttp() = default;
    // The body of a GET (whatever the status); empty when no answer came.
    virtual std::optional<std::string> get(const std::string& url) = 0;
    // The Last-Modified header of a HEAD as "yyyy-MM-dd"; empty text on any
    // failure, including a date that cannot be read.
    virtual std::string lastModifiedDate(const std::string& url) = 0;
    // Both of the above; one after the other unless a transport does better.
    virtual std::pair<std::optional<std::string>, std::string> getAndLastModified(
        const std::string& getUrl, const std::string& headUrl) {
        auto body = get(getUrl);
        return {std::move(body), lastModifiedDate(headUrl)};
    }
};

// The transfers through the program's one HTTP client: TLS verified,
// redirects followed, and a server that stops answering given up after the
// client's stall time. Each call is independent, so calls may run on any
// thread.
class NetworkUpdateHttp final : public UpdateHttp {
  public:
    explicit NetworkUpdateHttp(platform::HttpLimits limits = {}) : limits_(limits) {}
    std::optional<std::string> get(const std::string& url) override;
    std::string lastModifiedDate(const std::string& url) override;
    // The two transfers at the same time.
    std::pair<std::optional<std::string>, std::string> getAndLastModified(
        const std::string& getUrl, const std::string& headUrl) override;

  private:
    platform::HttpLimits limits_;
};

}  // namespace tulvo::options
