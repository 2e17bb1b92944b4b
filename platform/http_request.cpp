#include "platform/http_request.hpp"

#include <curl/curl.h>

#include <ctime>
#include <mutex>

#include "platform/unicode_text.hpp"

namespace tulvo::platform {
namespace {

bool globalInit(CURLcode& code) {
    static std::once_flag once;
    static CURLcode result = CURLE_OK;
    std::call_once(once, [] { result = curl_global_init(CURL_GLOBAL_DEFAULT); });
    code = result;
    return result == CURLE_OK;
}

struct Transfer {
    Bytes* body;
    std::vector<std::pair<std::string, std::string>>* headers;
    size_t maxBody;
    bool tooLarge = false;
};

size_t onBody(char* data, size_t size, size_t count, void* user) {
    auto* transfer = static_cast<Transfer*>(user);
    const size_t n = size * count;
    if (transfer->body->size() + n > transfer->maxBody) {
        transfer->tooLarge = true;
        return 0;  // aborts the transfer
    }
    transfer->body->insert(transfer->body->end(), data, data + n);
    return n;
}

size_t onHeader(char* data, size_t size, size_t count, void* user) {
    auto* transfer = static_cast<Transfer*>(user);
    const std::string_view line(data, size * count);
    // A new status line (after a redirect) starts a new set of headers.
    if (line.starts_with("HTTP/")) transfer->headers->clear();
    const size_t colon = line.find(':');
    if (colon != std::string_view::npos)
        transfer->headers->emplace_back(std::string(trimmed(line.substr(0, colon))),
                                        std::string(trimmed(line.substr(colon + 1))));
    return size * count;
}

const std::string* textArg(const std::vector<Variant>& args, size_t i) {
    return i < args.size() ? std::get_if<std::string>(&args[i]) : nullptr;
}

}  // namespace

HttpRequest::HttpRequest(HttpLimits limits) : limits_(limits) {}

bool HttpRequest::hasMember(std::string_view name) const {
    for (std::string_view member : {"open", "send", "responseBody", "getResponseHeader", "status"})
        if (name == member) return true;
    return false;
}

Variant HttpRequest::invoke(std::string_view name, MemberKind, const std::vector<Variant>& args) {
    if (name == "open") {
        const std::string* method = textArg(args, 0);
        const std::string* url = textArg(args, 1);
        open(method ? *method : std::string(), url ? *url : std::string());
        return {};
    }
    if (name == "send") return send();
    if (name == "responseBody") return body_;
    if (name == "getResponseHeader") {
        const std::string* header = textArg(args, 0);
        return header ? responseHeader(*header) : std::string();
    }
    if (name == "status") return static_cast<int64_t>(status_);
    return {};
}

void HttpRequest::open(std::string method, std::string url) {
    method_ = std::move(method);
    url_ = std::move(url);
    body_.clear();
    headers_.clear();
    status_ = 0;
}

bool HttpRequest::send() {
    body_.clear();
    headers_.clear();
    status_ = 0;
    CURLcode init;
    if (!globalInit(init)) return false;
    CURL* curl = curl_easy_init();
    if (!curl) return false;
    Transfer transfer{&body_, &headers_, limits_.maxBodyBytes};
    curl_easy_setopt(curl, CURLOPT_URL, url_.c_str());
    curl_easy_setopt(curl, CURLOPT_PROTOCOLS_STR, "http,https");
    curl_easy_setopt(curl, CURLOPT_REDIR_PROTOCOLS_STR, "http,https");
    curl_easy_setopt(curl, CURLOPT_FOLLOWLOCATION, 1L);
    curl_easy_setopt(curl, CURLOPT_MAXREDIRS, 5L);
    curl_easy_setopt(curl, CURLOPT_SSL_VERIFYPEER, 1L);
    curl_easy_setopt(curl, CURLOPT_SSL_VERIFYHOST, 2L);
    curl_easy_setopt(curl, CURLOPT_NOSIGNAL, 1L);
    curl_easy_setopt(curl, CURLOPT_CONNECTTIMEOUT, limits_.connectSeconds);
    curl_easy_setopt(curl, CURLOPT_TIMEOUT, limits_.totalSeconds);
    curl_easy_setopt(curl, CURLOPT_LOW_SPEED_LIMIT, 1L);
    curl_easy_setopt(curl, CURLOPT_LOW_SPEED_TIME, limits_.stallSeconds);
    curl_easy_setopt(curl, CURLOPT_WRITEFUNCTION, onBody);
    curl_easy_setopt(curl, CURLOPT_WRITEDATA, &transfer);
    curl_easy_setopt(curl, CURLOPT_HEADERFUNCTION, onHeader);
    curl_easy_setopt(curl, CURLOPT_HEADERDATA, &transfer);
    if (asciiLowered(method_) == "head") {
        curl_easy_setopt(curl, CURLOPT_NOBODY, 1L);
    } else if (asciiLowered(method_) != "get") {
        curl_easy_setopt(curl, CURLOPT_CUSTOMREQUEST, method_.c_str());
    }
    const CURLcode result = curl_easy_perform(curl);
    curl_easy_getinfo(curl, CURLINFO_RESPONSE_CODE, &status_);
    curl_easy_cleanup(curl);
    if (result != CURLE_OK) {
        // A broken or oversized transfer gives no body rather than part of one.
        body_.clear();
        return false;
    }
    return true;
}

std::string HttpRequest::responseHeader(std::string_view name) const {
    std::string found;
    for (const auto& [key, value] : headers_)
        if (asciiLowered(key) == asciiLowered(name)) found = value;
    return found;
}

std::string lastModifiedDate(std::string_view header) {
    if (header.empty()) return {};
    const time_t seconds = curl_getdate(std::string(header).c_str(), nullptr);
    std::tm utc{};
    if (seconds < 0 || !gmtime_r(&seconds, &utc)) return {};
    char text[16];
    std::strftime(text, sizeof text, "%Y-%m-%d", &utc);
    return text;
}

Creation createHttpRequest() {
    Creation made;
    CURLcode code;
    if (!globalInit(code)) {
        made.errorCode = static_cast<uint32_t>(code);
        made.errorText = curl_easy_strerror(code);
        return made;
    }
    made.object = std::make_unique<HttpRequest>();
    return made;
}

}  // namespace tulvo::platform
