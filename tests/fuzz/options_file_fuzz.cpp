// data/options.txt through both of its readers: the options program's
// (whose written settings must read back the same) and the main
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
    // What the program writes, it reads back as the same settings (fields
    // the file leaves out for the state, such as a list that is not
    // tracked, are not part of it).
    FUZZ_CHECK(options::writeOptions(dir, state));
    const options::OptionsState again = options::readOptions(dir);
    FUZZ_CHECK(options::optionsText(again) == options::optionsText(state));

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
