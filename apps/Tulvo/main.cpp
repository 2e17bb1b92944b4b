// Tulvo: the dictionary's main window. Runs in the program directory (the
// current directory at start-up), where data/ holds the data files.
#include <QApplication>
#include <QMessageBox>
#include <QTimer>
#include <filesystem>

#include "characters/character_panel_view.hpp"
#include "characters/freq_file.hpp"
#include "characters/word_values.hpp"
#include "favorites/favorites_store.hpp"
#include "platform/app_paths.hpp"
#include "shell/desktop_integration.hpp"
#include "shell/dictionary_install_window.hpp"
#include "shell/main_window.hpp"

int main(int argc, char** argv) {
    QApplication app(argc, argv);
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
    tulvo::favorites::FavoritesStore favorites(paths.userFile(tulvo::favorites::kFavoritesPath.filename().string()),
                                               paths.topLevelUserFile(tulvo::favorites::kDebugMarkerPath.string()),
                                               &favoritesMessages);
    favorites.load();
    const tulvo::characters::WordValues values(freq, &favorites);

    tulvo::shell::MainWindow window(programDirectory, values);
    window.setFavoritesStore(&favorites);
    window.desktop().listenLocator();
    tulvo::shell::installDictionaryAtStart(programDirectory, *bridge, request.get());
    window.start();
    // For the start-up benchmark: quit once the window has been shown. The
    // voice is made on a thread of its own and does not delay the window; the
    // benchmark leaves it out, as its quitting would wait for it.
    const bool quitWhenShown = qEnvironmentVariableIsSet("TULVO_QUIT_WHEN_SHOWN");
    if (!quitWhenShown) {
        window.speech().create([](const QString& message) {
            QMessageBox box(QMessageBox::NoIcon, QStringLiteral("Tulvo"), message, QMessageBox::Ok);
            box.raise();
            box.exec();
        });
    }
    window.show();
    if (quitWhenShown) QTimer::singleShot(0, &app, &QApplication::quit);
    return app.exec();
}
