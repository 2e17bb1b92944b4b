#include "options/update_http.hpp"

#include <future>

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

std::pair<std::optional<std::string>, std::string> NetworkUpdateHttp::getAndLastModified(
    const std::string& getUrl, const std::string& headUrl) {
    auto date = std::async(std::launch::async, [&] { return lastModifiedDate(headUrl); });
    auto body = get(getUrl);
    return {std::move(body), date.get()};
}

}  // namespace tulvo::options
