// Tulvo: the dictionary's main window. Runs in its program directory (the
// folder of its executable, made the current directory at start-up), where
// data/ holds the data files.
//   Tulvo                  the window
//   Tulvo WORD...          looks the words up, as --lookup does
//   Tulvo --lookup TEXT    hands TEXT to this user's running window (any
//                          length; "-" reads it from standard input) or,
//                          when none runs, starts one that searches it;
//                          returns at once
//   Tulvo --search TEXT    the window, searching TEXT once shown
#include <QApplication>
#include <QTimer>
#include <filesystem>
#include <iostream>
#include <iterator>
#include <string>
#include <string_view>

#include "apps/common/command_line.hpp"
#include "apps/common/display.hpp"
#include "characters/character_panel_view.hpp"
#include "characters/freq_file.hpp"
#include "characters/word_values.hpp"
#include "favorites/favorites_store.hpp"
#include "platform/app_paths.hpp"
#include "platform/local_messages.hpp"
#include "shell/desktop_integration.hpp"
#include "shell/dictionary_install_window.hpp"
#include "shell/hidden_locator.hpp"
#include "shell/lookup_launcher.hpp"
#include "shell/main_window.hpp"
#include "shell/popup_messages.hpp"
#include "ui/message_box.hpp"
#include "ui/palette.hpp"

namespace {

constexpr std::string_view kHelp =
    "usage: tulvo [WORD...]\n"
    "       tulvo --lookup TEXT | --lookup -\n"
    "\n"
    "Chinese-English dictionary and character study.\n"
    "\n"
    "  WORD...         look the words up: in the running window when there is one,\n"
    "                  else in a new window\n"
    "  --lookup TEXT   the same for TEXT of any length; - reads it from standard input\n"
    "  --help          print this help\n"
    "  --version       print the version\n"
    "\n"
    "See tulvo(1); tulvo-lookup(1) searches from a terminal.\n";

int lookupCommand(int argc, char** argv) {
    if (argc != 3) {
        std::cerr << "usage: tulvo --lookup TEXT | tulvo --lookup -\n";
        return 2;
    }
    std::string text;
    if (std::string_view(argv[2]) == "-") {
        // One byte beyond the limit is enough to refuse the text.
        text.resize(size_t(tulvo::shell::kLookupTextLimit) + 1);
        std::cin.read(text.data(), static_cast<std::streamsize>(text.size()));
        text.resize(static_cast<size_t>(std::cin.gcount()));
    } else {
        text = argv[2];
    }
    if (text.size() > size_t(tulvo::shell::kLookupTextLimit)) {
        std::cerr << "tulvo: the text to look up is longer than " << tulvo::shell::kLookupTextLimit
                  << " bytes\n";
        return 2;
    }
    std::error_code error;
    const std::filesystem::path self = std::filesystem::read_symlink("/proc/self/exe", error);
    return tulvo::shell::handOverLookup(
        QByteArray(text.data(), static_cast<qsizetype>(text.size())),
        error ? std::string(argv[0]) : self.string(), [] {
            return tulvo::apps::displayAvailable() ? std::string()
                                                   : tulvo::apps::noDisplayMessage("tulvo");
        });
}

}  // namespace

int main(int argc, char** argv) {
    if (const auto status = tulvo::apps::answerHelpOrVersion(argc, argv, "tulvo", kHelp))
        return *status;
    if (argc >= 2 && std::string_view(argv[1]) == "--lookup") return lookupCommand(argc, argv);
    const bool searchOption = argc >= 2 && std::string_view(argv[1]) == "--search";
    if (argc >= 2 && !searchOption) {
        if (argv[1][0] == '-' && std::string_view(argv[1]) != "-") {
            std::cerr << "tulvo: unknown option " << argv[1] << "\n" << kHelp;
            return 2;
        }
        // tulvo WORD...: the words, joined by spaces, as one lookup.
        std::string words = argv[1];
        for (int i = 2; i < argc; ++i) words.append(" ").append(argv[i]);
        char lookupOption[] = "--lookup";
        char* lookupArguments[] = {argv[0], lookupOption, words.data(), nullptr};
        return lookupCommand(3, lookupArguments);
    }
    // The program directory is the executable's folder, whatever folder the
    // program was started from.
    const std::filesystem::path programDirectory = tulvo::platform::programDirectoryOfExecutable();
    std::error_code cdError;
    std::filesystem::current_path(programDirectory, cdError);
    if (programDirectory.empty() || cdError) {
        std::cerr << "tulvo: cannot enter the program directory " << programDirectory << "\n";
        return 1;
    }
    if (!tulvo::apps::requireDisplay("tulvo")) return 1;
    QApplication app(argc, argv);
    tulvo::apps::displayStarted();
    tulvo::ui::useLightPalette();
    QGuiApplication::setDesktopFileName(QStringLiteral("example.tulvo.Tulvo"));
    tulvo::shell::installFontSubstitutions();
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
    tulvo::characters::ReadingUse readingUse;
    readingUse.open(programDirectory / tulvo::characters::kReadingUsePath);
    const tulvo::characters::WordValues values(freq, &favorites, &readingUse);

    tulvo::shell::MainWindow window(programDirectory, values);
    window.setFavoritesStore(&favorites);
    window.desktop().listenLocator();
    tulvo::shell::reportProblems(window.desktop().locatorProblems(),
                                 paths.topLevelUserFile("debug.log"));
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
    if (argc >= 3 && searchOption) {
        const QString text = QString::fromUtf8(argv[2]);
        QTimer::singleShot(0, &window, [&window, text] { window.desktop().lookUpText(text); });
    }
    if (quitWhenShown) QTimer::singleShot(0, &app, &QApplication::quit);
    return app.exec();
}
