// The dictionary archive as the extractor tool meets it: whatever the
// archive holds, nothing is written outside the folder it is unpacked in,
// and what is written there is the dictionary with CR LF line ends.
#include "tests/fuzz/fuzz_support.hpp"
#include "tools/ploskar/zip_extract.hpp"

#include <iterator>

using namespace tulvo::ploskar;

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const auto outer = tulvo::fuzz::scratch() / "outer";
    const auto dir = outer / "data";
    std::error_code ec;
    std::filesystem::remove_all(outer, ec);
    tulvo::fuzz::writeFile(dir / kArchiveName, tulvo::fuzz::bytesOf(data, size));

    const Extracted extracted = extractDictionary(tulvo::fuzz::bytesOf(data, size));
    if (extracted.error == ExtractError::None)
        FUZZ_CHECK(withCrLf(extracted.bytes) == extracted.bytes);

    const int status = run(dir.string());
    FUZZ_CHECK((status == 0) == (extracted.error == ExtractError::None));
    for (const auto& entry : std::filesystem::recursive_directory_iterator(outer)) {
        if (entry.path() == dir) continue;
        FUZZ_CHECK(entry.path().parent_path() == dir);
        const std::string name = entry.path().filename().string();
        FUZZ_CHECK(name == kArchiveName || name == kOutputName || name == kMarkerName);
        FUZZ_CHECK(entry.is_regular_file() && !entry.is_symlink());
    }
    if (status == 0) {
        std::ifstream in(dir / kOutputName, std::ios::binary);
        const std::string written(std::istreambuf_iterator<char>(in), {});
        FUZZ_CHECK(written == extracted.bytes);
        FUZZ_CHECK(std::filesystem::exists(dir / kMarkerName));
    }
    return 0;
}
