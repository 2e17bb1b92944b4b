// Tulvo: the dictionary's main window. Runs in the program directory (the
// current directory at start-up), where data/ holds the data files.
//   Tulvo                  the window
//   Tulvo --lookup TEXT    hands TEXT to this user's running window (any
//                          length; "-" reads it from standard input) or,
//                          when none runs, starts one that searches it;
//                          returns at once
//   Tulvo --search TEXT    the window, searching TEXT once shown
#include <QApplication>
#include <QProcess>
#include <QTimer>
#include <filesystem>
#include <iostream>
#include <iterator>
#include <string_view>

#include "characters/character_panel_view.hpp"
#include "characters/freq_file.hpp"
#include "characters/word_values.hpp"
#include "favorites/favorites_store.hpp"
#include "platform/app_paths.hpp"
#include "platform/local_messages.hpp"
#include "shell/desktop_integration.hpp"
#include "shell/dictionary_install_window.hpp"
#include "shell/hidden_locator.hpp"
#include "shell/main_window.hpp"
#include "shell/popup_messages.hpp"
#include "ui/message_box.hpp"
#include "ui/palette.hpp"

namespace {

int lookupCommand(int argc, char** argv) {
    if (argc != 3) {
        std::cerr << "usage: tulvo --lookup TEXT | tulvo --lookup -\n";
        return 2;
    }
    QCoreApplication app(argc, argv);
    QByteArray text;
    if (std::string_view(argv[2]) == "-") {
        const std::string input{std::istreambuf_iterator<char>(std::cin),
                                std::istreambuf_iterator<char>()};
        text = QByteArray(input.data(), static_cast<qsizetype>(input.size()));
    } else {
        text = QByteArray(argv[2]);
    }
    if (text.size() > tulvo::shell::kLookupTextLimit) {
        std::cerr << "tulvo: the text to look up is longer than " << tulvo::shell::kLookupTextLimit
                  << " bytes\n";
        return 2;
    }
    const bool delivered = text.trimmed().isEmpty()
                               ? tulvo::platform::postMessage(tulvo::shell::kHiddenLocator,
                                                              tulvo::shell::kMessageShowWindow)
                               : tulvo::platform::sendBytes(tulvo::shell::kHiddenLocator,
                                                            tulvo::shell::kMessageLookupText, text)
                                     .has_value();
    if (delivered) return 0;
    // No window runs: start one, detached, that searches the text.
    QStringList arguments;
    if (!text.trimmed().isEmpty())
        arguments << QStringLiteral("--search") << QString::fromUtf8(text);
    if (!QProcess::startDetached(QCoreApplication::applicationFilePath(), arguments)) {
        std::cerr << "tulvo: could not start Tulvo\n";
        return 1;
    }
    return 0;
}

}  // namespace

int main(int argc, char** argv) {
    if (argc >= 2 && std::string_view(argv[1]) == "--lookup") return lookupCommand(argc, argv);
    QApplication app(argc, argv);
    tulvo::ui::useLightPalette();
    QGuiApplication::setDesktopFileName(QStringLiteral("example.tulvo.Tulvo"));
    tulvo::shell::installFontSubstitutions();
    const std::filesystem::path programDirectory = std::filesystem::current_path();
    // Installed, the files this user's programs write live in a folder of their own.
    const tulvo::platform::AppPaths paths(programDirectory);
    paths.ensureUserDirectory();

    // The bridge and the HTTP request object used for downloads.
    const auto bridge = tulvo::shell::makeAutomationBridge();
    const auto request = bridge->createObject(tulvo::platform::kHttpRequestClass);

    // Open for the whole run: the frequency file, and the favorites in memory.
    const tulvo::characters::FreqFile freq(programDirectory / tulvo::characters::kFreqPath);
    tulvo::characters::FavoritesMessageBox favoritesMessages;
    tulvo::favorites::FavoritesStore favorites(
        paths.userFile(tulvo::favorites::kFavoritesPath.filename().string()),
        paths.topLevelUserFile(tulvo::favorites::kDebugMarkerPath.string()), &favoritesMessages);
    favorites.load();
    const tulvo::characters::WordValues values(freq, &favorites);

    tulvo::shell::MainWindow window(programDirectory, values);
    window.setFavoritesStore(&favorites);
    window.desktop().listenLocator();
    tulvo::shell::installDictionaryAtStart(programDirectory, *bridge, request.get());
    window.start();
    // For the start-up benchmark: quit once the window has been shown. The
    // voice is made on a thread of its own and does not delay the window; the
    // benchmark leaves it out, as its quitting would wait for it (up to 2 s).
    const bool quitWhenShown = qEnvironmentVariableIsSet("TULVO_QUIT_WHEN_SHOWN");
    if (!quitWhenShown) {
        window.speech().create([](const QString& message) { tulvo::ui::tell(message); });
    }
    window.show();
    if (argc >= 3 && std::string_view(argv[1]) == "--search") {
        const QString text = QString::fromUtf8(argv[2]);
        QTimer::singleShot(0, &window, [&window, text] { window.desktop().lookUpText(text); });
    }
    if (quitWhenShown) QTimer::singleShot(0, &app, &QApplication::quit);
    return app.exec();
}
