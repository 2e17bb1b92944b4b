// The two HTTP transfers the update checker needs: a GET of a whole body,
// and the Last-Modified date of a HEAD request.
#pragma once

#include <optional>
#include <string>
#include <string_view>

namespace tulvo::options {

class UpdateHttp {
  public:
    virtual ~UpdateHttp() = default;
    // The body of a GET (whatever the status); empty when no answer came.
    virtual std::optional<std::string> get(const std::string& url) = 0;
    // The Last-Modified header of a HEAD as "yyyy-MM-dd"; empty text on any failure.
    virtual std::string lastModifiedDate(const std::string& url) = 0;
};

// "yyyy-MM-dd" from a Last-Modified header such as "Wed, 21 Oct 2015
// 07:28:00 GMT": day, month name and year are its second, third and fourth
// space-separated fields. Empty for an empty header.
std::string lastModifiedToDate(std::string_view header);

// The libcurl implementation: synchronous, TLS verified, redirects followed,
// with connection and total time-outs so that a dead server cannot hang the
// program.
class CurlUpdateHttp final : public UpdateHttp {
  public:
    CurlUpdateHttp();
    ~CurlUpdateHttp() override;
    std::optional<std::string> get(const std::string& url) override;
    std::string lastModifiedDate(const std::string& url) override;
};

}  // namespace tulvo::options
