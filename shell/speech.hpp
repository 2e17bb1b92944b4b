// Speaking Chinese words and characters aloud through the system's speech
// service (Qt TextToSpeech with the speech-dispatcher engine). One voice is
// created at start-up; "Speak" in the character menus and a click on the
// stroke-order box call speak().
#pragma once

#include <QObject>
#include <functional>
#include <memory>
#include <string_view>

class QTextToSpeech;

namespace tulvo::shell {

class Speech : public QObject {
    Q_OBJECT
public:
    explicit Speech(QObject* parent = nullptr);
    ~Speech() override;

    // Creates the voice on `engine`, picks a Chinese (China) voice and slows
    // it down. On failure hands "Creation of SpVoice object failed:" to
    // `report`, and speech stays off for the run.
    bool create(const std::function<void(const QString&)>& report, const QString& engine = QStringLiteral("speechd"));
    bool available() const { return tts_ != nullptr; }

    // Speaks the text without waiting; does nothing while speech is off.
    void speak(std::u16string_view text);

    // The description of the chosen voice; empty when none was chosen.
    QString voiceName() const { return voiceName_; }
    QTextToSpeech* engine() { return tts_.get(); }

private:
    void chooseVoice();

    std::unique_ptr<QTextToSpeech> tts_;
    QString voiceName_;
};

}  // namespace tulvo::shell
