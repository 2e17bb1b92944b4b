// Tulvo: the dictionary's main window. Runs in the program directory (the
// current directory at start-up), where data/ holds the data files.
#include <QApplication>
#include <QTimer>
#include <filesystem>

#include "characters/character_panel_view.hpp"
#include "characters/freq_file.hpp"
#include "characters/word_values.hpp"
#include "favorites/favorites_store.hpp"
#include "shell/main_window.hpp"

int main(int argc, char** argv) {
    QApplication app(argc, argv);
    tulvo::shell::installFontSubstitutions();
    const std::filesystem::path programDirectory = std::filesystem::current_path();

    // Open for the whole run: the frequency file, and the favorites in memory.
    const tulvo::characters::FreqFile freq(programDirectory / tulvo::characters::kFreqPath);
    tulvo::characters::FavoritesMessageBox favoritesMessages;
    tulvo::favorites::FavoritesStore favorites(programDirectory / tulvo::favorites::kFavoritesPath,
                                               programDirectory / tulvo::favorites::kDebugMarkerPath,
                                               &favoritesMessages);
    favorites.load();
    const tulvo::characters::WordValues values(freq, &favorites);

    tulvo::shell::MainWindow window(programDirectory, values);
    window.setFavoritesStore(&favorites);
    window.start();
    window.show();
    // For the start-up benchmark: quit once the window has been shown.
    if (qEnvironmentVariableIsSet("TULVO_QUIT_WHEN_SHOWN")) QTimer::singleShot(0, &app, &QApplication::quit);
    return app.exec();
}
