#include "options/update_http.hpp"

namespace tulvo::options {

std::optional<std::string> NetworkUpdateHttp::get(const std::string& url) {
    platform::HttpRequest request(limits_);
    request.open("GET", url);
    if (!request.send()) return std::nullopt;
    const platform::Bytes& body = request.responseBody();
    return std::string(body.begin(), body.end());
}

std::string NetworkUpdateHttp::lastModifiedDate(const std::string& url) {
    platform::HttpRequest request(limits_);
    request.open("HEAD", url);
    if (!request.send()) return {};
    return platform::lastModifiedDate(request.responseHeader("Last-Modified"));
}

}  // namespace tulvo::options
