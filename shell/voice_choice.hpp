// Choosing the speech voice among the Chinese (China) voices, and the text
// the voice is given.
#pragma once

#include <string>
#include <string_view>
#include <vector>

namespace tulvo::shell {

// The first voice whose description does not mention "microsoft" (any case
// of A to Z); when all before the last do, the last. 0 for an empty list.
size_t chooseVoice(const std::vector<std::string>& descriptions);

// Whether a voice speaks Chinese as used in the People's Republic of China:
// its locale is "zh_CN" (or plain "zh"), or, when the engine gives no locale
// it knows ("C"), its name says Mandarin Chinese.
bool isChineseChinaVoice(std::string_view localeName, std::string_view voiceName);

// The speaking rate −4 on the −10..10 scale, as a fraction of the engine's range.
inline constexpr double kSpeakingRate = -4.0 / 10.0;

// Words are limited to 100 bytes of code page 936, one character to 2.
std::u16string speechText(std::u16string_view text);

}  // namespace tulvo::shell
