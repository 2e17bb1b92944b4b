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
    // What the program writes, it reads back with the same switches; the
    // texts settle after one more round (the writer joins list lines, the
    // reader trims line ends).
    FUZZ_CHECK(options::writeOptions(dir, state));
    const options::OptionsState again = options::readOptions(dir);
    FUZZ_CHECK(again.fontSize == state.fontSize && again.showPad == state.showPad &&
               again.traditional == state.traditional && again.hotkeyItem == state.hotkeyItem &&
               again.popupEnabled == state.popupEnabled &&
               again.popupInFlash == state.popupInFlash && again.popupInPdf == state.popupInPdf &&
               again.track == state.track && again.updateBack == state.updateBack);
    FUZZ_CHECK(options::writeOptions(dir, again));
    const std::string written = options::optionsText(again);
    const std::string readBack = options::optionsText(options::readOptions(dir));
    if (written != readBack) {
        std::fprintf(stderr, "written:\n");
        std::fwrite(written.data(), 1, written.size(), stderr);
        std::fprintf(stderr, "\nread back:\n");
        std::fwrite(readBack.data(), 1, readBack.size(), stderr);
    }
    FUZZ_CHECK(written == readBack);

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
