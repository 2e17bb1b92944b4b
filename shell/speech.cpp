#include "shell/speech.hpp"

#include <QDeadlineTimer>
#include <QTextToSpeech>
#include <QVoice>
#include <vector>

#include "shell/voice_choice.hpp"
#include "ui/text.hpp"

namespace tulvo::shell {
namespace {

const QString kCreationFailed = QStringLiteral("Creation of SpVoice object failed:");

// How long closing waits for the speech thread. The service is called
// without a time limit of its own, so a service that takes the connection
// and never answers would otherwise keep Tulvo from ending.
constexpr int kEndWaitMs = 2000;

}  // namespace

SpeechWorker::~SpeechWorker() = default;

void SpeechWorker::create(const QString& engine) {
    auto tts = std::make_unique<QTextToSpeech>(engine);
    if (tts->state() == QTextToSpeech::Error) {
        emit created(false, {});
        return;
    }
    // The voices for Chinese as used in the People's Republic of China.
    QList<QVoice> voices;
    for (const QLocale& locale : tts->availableLocales()) {
        if (locale.language() != QLocale::Chinese && locale != QLocale::c()) continue;
        tts->setLocale(locale);
        for (const QVoice& voice : tts->availableVoices())
            if (isChineseChinaVoice(voice.locale().name().toStdString(),
                                    voice.name().toStdString()))
                voices.push_back(voice);
    }
    std::vector<std::string> descriptions;
    for (const QVoice& voice : voices) descriptions.push_back(voice.name().toStdString());
    QString chosenName;
    // Without a Chinese voice the engine keeps its default voice.
    if (!voices.isEmpty()) {
        const QVoice& chosen = voices[static_cast<qsizetype>(chooseVoice(descriptions))];
        tts->setLocale(chosen.locale());
        tts->setVoice(chosen);
        chosenName = chosen.name();
    }
    tts->setRate(kSpeakingRate);
    tts_ = std::move(tts);
    emit created(true, chosenName);
}

void SpeechWorker::say(const QString& text) {
    if (tts_) tts_->say(text);
}

Speech::Speech(QObject* parent) : QObject(parent), thread_(new QThread) {}

Speech::~Speech() {
    thread_->quit();
    if (thread_->wait(QDeadlineTimer(kEndWaitMs))) {
        delete thread_;
        return;
    }
    // Still inside the service: destroying a running QThread aborts, so the
    // thread is left to the end of the process (kept reachable, so a leak
    // checker does not count it).
    static auto* const leftRunning = new std::vector<QThread*>;
    leftRunning->push_back(thread_);
}

bool Speech::create(std::function<void(const QString&)> report, const QString& engine) {
    if (state_ != State::Off) return available();
    report_ = std::move(report);
    if (!QTextToSpeech::availableEngines().contains(engine)) {
        state_ = State::Failed;
        report_(kCreationFailed);
        return false;
    }
    state_ = State::Creating;
    worker_ = new SpeechWorker;
    worker_->moveToThread(thread_);
    connect(thread_, &QThread::finished, worker_, &QObject::deleteLater);
    connect(worker_, &SpeechWorker::created, this, &Speech::finishCreation, Qt::QueuedConnection);
    thread_->start();
    QMetaObject::invokeMethod(worker_, "create", Qt::QueuedConnection, Q_ARG(QString, engine));
    return true;
}

void Speech::finishCreation(bool ok, const QString& voiceName) {
    voiceName_ = voiceName;
    state_ = ok ? State::Ready : State::Failed;
    if (ok) {
        emit ready();
    } else {
        thread_->quit();
        if (report_) report_(kCreationFailed);
    }
}

void Speech::speak(std::u16string_view text) {
    if (!available()) return;
    const std::u16string spoken = speechText(text);
    QMetaObject::invokeMethod(worker_, "say", Qt::QueuedConnection,
                              Q_ARG(QString, ui::toQString(spoken)));
}

}  // namespace tulvo::shell
