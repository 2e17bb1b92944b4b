#include "shell/voice_choice.hpp"

#include "platform/code_page.hpp"
#include "platform/unicode_text.hpp"

namespace tulvo::shell {

size_t chooseVoice(const std::vector<std::string>& descriptions) {
    size_t i = 0;
    while (i + 1 < descriptions.size()) {
        if (asciiLowered(descriptions[i]).find("microsoft") == std::string::npos) break;
        ++i;
    }
    return i;
}

bool isChineseChinaVoice(std::string_view localeName, std::string_view voiceName) {
    if (localeName == "zh_CN" || localeName == "zh") return true;
    if (localeName != "C") return false;
    const std::string name = asciiLowered(voiceName);
    return name.starts_with("chinese (mandarin") || name.starts_with("mandarin");
}

std::u16string speechText(std::u16string_view text) {
    return roundTripCodePage936(text, text.size() == 1 ? 2 : 100);
}

}  // namespace tulvo::shell
