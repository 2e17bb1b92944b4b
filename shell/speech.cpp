#include "shell/speech.hpp"

#include <QTextToSpeech>
#include <QVoice>

#include "shell/voice_choice.hpp"

namespace tulvo::shell {
namespace {

bool isChineseChina(const QLocale& locale) {
    return locale.language() == QLocale::Chinese && locale.territory() == QLocale::China;
}

}  // namespace

Speech::Speech(QObject* parent) : QObject(parent) {}

Speech::~Speech() = default;

bool Speech::create(const std::function<void(const QString&)>& report, const QString& engine) {
    tts_.reset();
    if (QTextToSpeech::availableEngines().contains(engine)) {
        auto tts = std::make_unique<QTextToSpeech>(engine);
        if (tts->state() != QTextToSpeech::Error) tts_ = std::move(tts);
    }
    if (!tts_) {
        report(QStringLiteral("Creation of SpVoice object failed:"));
        return false;
    }
    chooseVoice();
    return true;
}

void Speech::chooseVoice() {
    // The voices for Chinese as used in the People's Republic of China.
    QList<QVoice> voices;
    for (const QLocale& locale : tts_->availableLocales()) {
        if (!isChineseChina(locale)) continue;
        tts_->setLocale(locale);
        for (const QVoice& voice : tts_->availableVoices())
            if (isChineseChina(voice.locale()) || voice.locale() == QLocale::c()) voices.push_back(voice);
        break;
    }
    std::vector<std::string> descriptions;
    for (const QVoice& voice : voices) descriptions.push_back(voice.name().toStdString());
    // Without a Chinese voice the engine keeps its default voice.
    if (!voices.isEmpty()) {
        const QVoice& chosen = voices[static_cast<qsizetype>(shell::chooseVoice(descriptions))];
        tts_->setVoice(chosen);
        voiceName_ = chosen.name();
    }
    tts_->setRate(kSpeakingRate);
}

void Speech::speak(std::u16string_view text) {
    if (!tts_) return;
    const std::u16string spoken = speechText(text);
    tts_->say(QString::fromUtf16(spoken.data(), static_cast<qsizetype>(spoken.size())));
}

}  // namespace tulvo::shell
