// The version page: the announced version is one line of text, never the
// page's markup.
#include "options/update_checker.hpp"
#include "tests/fuzz/fuzz_support.hpp"

using namespace tulvo::options;

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const std::string_view page = tulvo::fuzz::bytesOf(data, size);
    const auto version = newestVersion(page);
    FUZZ_CHECK(version.has_value() == (page.find(kVersionMarker) != std::string_view::npos));
    if (!version) return 0;
    FUZZ_CHECK(version->starts_with("version "));
    FUZZ_CHECK(version->find_first_of("\r\n<") == std::string::npos);
    return 0;
}
