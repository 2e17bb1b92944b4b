// Speaking Chinese words and characters aloud through the system's speech
// service (Qt TextToSpeech with the speech-dispatcher engine). One voice is
// created at start-up; "Speak" in the character menus and a click on the
// stroke-order box call speak().
//
// The engine lives on a thread of its own: connecting to the speech service
// and listing its voices can take seconds, which must not hold up the
// window. Text spoken before the voice is ready is spoken once it is.
// Closing never waits long for the service: a thread still held by it when
// Tulvo ends is left to end with the process.
#pragma once

#include <QObject>
#include <QTextToSpeech>
#include <QThread>
#include <functional>
#include <memory>
#include <string_view>

namespace tulvo::shell {

// Runs on the speech thread.
class SpeechWorker : public QObject {
    Q_OBJECT
  public:
    ~SpeechWorker() override;
  public slots:
    void create(const QString& engine);
    void say(const QString& text);
  signals:
    void created(bool ok, const QString& voiceName);

  private:
    std::unique_ptr<QTextToSpeech> tts_;
};

class Speech : public QObject {
    Q_OBJECT
  public:
    enum class State { Off, Creating, Ready, Failed };

    explicit Speech(QObject* parent = nullptr);
    ~Speech() override;

    // Creates the voice on `engine`, picks a Chinese (China) voice and slows
    // it down. On failure hands "Creation of SpVoice object failed:" to
    // `report` (at once when the engine is not installed, else when the
    // creation has failed), and speech stays off for the run. False when it
    // failed at once.
    bool create(std::function<void(const QString&)> report,
                const QString& engine = QStringLiteral("speechd"));
    State state() const { return state_; }
    bool available() const { return state_ == State::Creating || state_ == State::Ready; }

    // Speaks the text without waiting; does nothing while speech is off.
    void speak(std::u16string_view text);

    // The description of the chosen voice; empty when none was chosen.
    QString voiceName() const { return voiceName_; }

  signals:
    void ready();

  private:
    void finishCreation(bool ok, const QString& voiceName);

    QThread* thread_ = nullptr;  // owned; see ~Speech
    SpeechWorker* worker_ = nullptr;
    State state_ = State::Off;
    QString voiceName_;
    std::function<void(const QString&)> report_;
};

}  // namespace tulvo::shell
