#include <curl/curl.h>

#include <cstdio>
#include <vector>

#include "options/update_http.hpp"
#include "platform/unicode_text.hpp"

namespace tulvo::options {
namespace {

constexpr long kConnectTimeoutSeconds = 15;
constexpr long kTotalTimeoutSeconds = 600;
constexpr size_t kMaxBody = 256u << 20;  // far above any dictionary archive

struct Collected {
    std::string body;
    std::string lastModified;
};

size_t collectBody(char* data, size_t size, size_t count, void* user) {
    auto& body = static_cast<Collected*>(user)->body;
    const size_t bytes = size * count;
    if (body.size() + bytes > kMaxBody) return 0;  // ends the transfer as failed
    body.append(data, bytes);
    return bytes;
}

size_t collectHeader(char* data, size_t size, size_t count, void* user) {
    const size_t bytes = size * count;
    const std::string_view line(data, bytes);
    constexpr std::string_view kName = "last-modified:";
    if (line.size() > kName.size() && asciiLowered(line.substr(0, kName.size())) == kName) {
        std::string_view value = line.substr(kName.size());
        while (!value.empty() && (value.front() == ' ' || value.front() == '\t'))
            value.remove_prefix(1);
        while (!value.empty() &&
               (value.back() == '\r' || value.back() == '\n' || value.back() == ' '))
            value.remove_suffix(1);
        // Redirects bring several answers; the last one's header counts.
        static_cast<Collected*>(user)->lastModified.assign(value);
    }
    return bytes;
}

bool perform(const std::string& url, bool head, Collected& out) {
    CURL* curl = curl_easy_init();
    if (!curl) return false;
    curl_easy_setopt(curl, CURLOPT_URL, url.c_str());
    curl_easy_setopt(curl, CURLOPT_NOBODY, head ? 1L : 0L);
    curl_easy_setopt(curl, CURLOPT_FOLLOWLOCATION, 1L);
    curl_easy_setopt(curl, CURLOPT_MAXREDIRS, 10L);
    curl_easy_setopt(curl, CURLOPT_PROTOCOLS_STR, "http,https");
    curl_easy_setopt(curl, CURLOPT_REDIR_PROTOCOLS_STR, "http,https");
    curl_easy_setopt(curl, CURLOPT_CONNECTTIMEOUT, kConnectTimeoutSeconds);
    curl_easy_setopt(curl, CURLOPT_TIMEOUT, kTotalTimeoutSeconds);
    curl_easy_setopt(curl, CURLOPT_NOSIGNAL, 1L);
    curl_easy_setopt(curl, CURLOPT_WRITEFUNCTION, collectBody);
    curl_easy_setopt(curl, CURLOPT_WRITEDATA, &out);
    curl_easy_setopt(curl, CURLOPT_HEADERFUNCTION, collectHeader);
    curl_easy_setopt(curl, CURLOPT_HEADERDATA, &out);
    const CURLcode result = curl_easy_perform(curl);
    curl_easy_cleanup(curl);
    return result == CURLE_OK;
}

long numberAt(std::string_view text) {
    long number = 0;
    for (size_t i = 0; i < text.size() && i < 6 && text[i] >= '0' && text[i] <= '9'; ++i)
        number = number * 10 + (text[i] - '0');
    return number;
}

}  // namespace

std::string lastModifiedToDate(std::string_view header) {
    if (header.empty()) return {};
    const std::string upper = [&] {
        std::string s(header);
        for (char& c : s)
            if (c >= 'a' && c <= 'z') c = char(c - 'a' + 'A');
        return s;
    }();
    std::vector<std::string_view> fields;
    std::string_view rest = upper;
    while (true) {
        const size_t space = rest.find(' ');
        fields.push_back(rest.substr(0, space));
        if (space == std::string_view::npos) break;
        rest.remove_prefix(space + 1);
    }
    const auto field = [&fields](size_t n) {
        return n <= fields.size() ? fields[n - 1] : std::string_view();
    };
    const long day = numberAt(field(2));
    constexpr std::string_view kMonths = "JANFEBMARAPRMAYJUNJULAUGSEPOCTNOVDEC";
    const std::string_view monthName = field(3);
    const size_t at = monthName.size() == 3 ? kMonths.find(monthName) : std::string_view::npos;
    const long month = at == std::string_view::npos || at % 3 != 0 ? 0 : long(at / 3 + 1);
    const long year = numberAt(field(4));
    char text[80];
    std::snprintf(text, sizeof text, "%04ld-%02ld-%02ld", year, month, day);
    return text;
}

CurlUpdateHttp::CurlUpdateHttp() {
    curl_global_init(CURL_GLOBAL_DEFAULT);
}

CurlUpdateHttp::~CurlUpdateHttp() {
    curl_global_cleanup();
}

std::optional<std::string> CurlUpdateHttp::get(const std::string& url) {
    Collected out;
    if (!perform(url, /*head=*/false, out)) return std::nullopt;
    return std::move(out.body);
}

std::string CurlUpdateHttp::lastModifiedDate(const std::string& url) {
    Collected out;
    if (!perform(url, /*head=*/true, out)) return {};
    return lastModifiedToDate(out.lastModified);
}

}  // namespace tulvo::options
