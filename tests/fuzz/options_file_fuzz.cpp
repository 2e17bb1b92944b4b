// data/options.txt through both of its readers: the options program's
// (whose state must survive its own write and read back) and the main
// program's key lookup.
#include "options/options_file.hpp"
#include "shell/settings.hpp"
#include "tests/fuzz/fuzz_support.hpp"

using namespace tulvo;

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const auto dir = fuzz::scratch() / "program";
    const auto file = fuzz::writeInput("program/data/options.txt", data, size);
    const options::OptionsState state = options::readOptions(dir);
    FUZZ_CHECK(state.hotkeyItem >= 0 && state.hotkeyItem < options::kHotkeyItems);
    FUZZ_CHECK(options::writeOptions(dir, state));
    options::OptionsState again = options::readOptions(dir);
    // An encoding without a tracked file is not written: it names nothing.
    if (state.trackFile.empty()) again.trackEncoding = state.trackEncoding;
    if (!(again == state))
        std::fprintf(stderr, "read:\n%s\nread back:\n%s\n", options::optionsText(state).c_str(),
                     options::optionsText(again).c_str());
    FUZZ_CHECK(again == state);

    fuzz::writeInput("program/data/options.txt", data, size);
    const shell::SettingsText settings = shell::SettingsText::read(file);
    for (const char* key : {"fontsize", "show_handwriting_pad", "tulvo_hotkey", "favorite_track",
                            "favorite_trackfile", "favorite_trackfile_encoding"}) {
        const std::string value = settings.value(key);
        if (!value.empty()) {
            FUZZ_CHECK(value.front() != ' ' && value.front() != '\t');
            FUZZ_CHECK(value.back() != ' ' && value.back() != '\t');
        }
        for (char c : settings.loweredValue(key)) FUZZ_CHECK(!(c >= 'A' && c <= 'Z'));
    }
    return 0;
}
