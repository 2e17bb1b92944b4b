// clipboard.tmp: the records read back from any bytes are what the writer
// would write again.
#include "shell/clipboard_save_file.hpp"
#include "tests/fuzz/fuzz_support.hpp"

using namespace tulvo::shell;

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const auto file = tulvo::fuzz::writeInput("clipboard.tmp", data, size);
    const auto records = readClipboardFile(file);
    FUZZ_CHECK(records.has_value());
    FUZZ_CHECK(*records == decodeClipboardRecords(tulvo::fuzz::bytesOf(data, size)));
    std::vector<ClipboardRecord> kept;
    for (const ClipboardRecord& r : *records)
        if (!r.data.empty() && r.data.size() < kClipboardFormatLimit) kept.push_back(r);
    FUZZ_CHECK(decodeClipboardRecords(encodeClipboardRecords(*records)) == kept);
    const auto again = tulvo::fuzz::scratch() / "clipboard-again.tmp";
    FUZZ_CHECK(writeClipboardFile(again, *records));
    FUZZ_CHECK(readClipboardFile(again) == kept);
    return 0;
}
