// Speaks its argument with the speech service as Tulvo's "Speak" does, then
// ends once the engine has finished (or after 20 seconds). Exit 1 when the
// voice could not be created.
#include <QCoreApplication>
#include <QTimer>
#include <cstdio>

#include "shell/speech.hpp"

int main(int argc, char** argv) {
    QCoreApplication app(argc, argv);
    const QString text = argc > 1 ? QString::fromUtf8(argv[1]) : QStringLiteral("你好");
    tulvo::shell::Speech speech;
    if (!speech.create([&](const QString& message) {
            std::fprintf(stderr, "%s\n", qPrintable(message));
            app.exit(1);
        }))
        return 1;
    QObject::connect(&speech, &tulvo::shell::Speech::ready, [&] {
        std::printf("voice: %s\n", qPrintable(speech.voiceName()));
        std::fflush(stdout);
        const std::u16string units(reinterpret_cast<const char16_t*>(text.utf16()),
                                   static_cast<size_t>(text.size()));
        speech.speak(units);
        QTimer::singleShot(6000, &app, [&] { app.exit(0); });
    });
    QTimer::singleShot(20000, &app, [&] { app.exit(2); });
    return app.exec();
}
