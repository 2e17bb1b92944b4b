// Tulvo_options: edits the settings file options.txt, imports favorite word lists and
// checks for updates. Started by Tulvo with the program's version text as
// its one argument. Lives in the program directory's data/ folder: the
// program directory is the folder above its executable's, made the current
// directory at start-up.
#include <QApplication>
#include <QFont>
#include <filesystem>
#include <iostream>

#include "apps/common/command_line.hpp"
#include "apps/common/display.hpp"
#include "options/options_window.hpp"
#include "platform/app_paths.hpp"
#include "ui/palette.hpp"

int main(int argc, char** argv) {
    if (const auto status = tulvo::apps::answerHelpOrVersion(
            argc, argv, "Tulvo_options",
            "usage: Tulvo_options [\"VERSION TEXT\"]\n"
            "The options window of Tulvo, started by its Options button.\n"))
        return *status;
    const std::filesystem::path programDirectory = tulvo::platform::programDirectoryOfExecutable(1);
    std::error_code cdError;
    std::filesystem::current_path(programDirectory, cdError);
    if (programDirectory.empty() || cdError) {
        std::cerr << "Tulvo_options: cannot enter the program directory " << programDirectory
                  << "\n";
        return 1;
    }
    if (!tulvo::apps::requireDisplay("Tulvo_options")) return 1;
    QApplication app(argc, argv);
    tulvo::apps::displayStarted();
    tulvo::ui::useLightPalette();
    QFont::insertSubstitutions(QStringLiteral("Arial"), {QStringLiteral("Liberation Sans"),
                                                         QStringLiteral("Noto Sans CJK SC")});
    // Installed, the settings and favorites it writes are in this user's folder.
    tulvo::platform::AppPaths(programDirectory).ensureUserDirectory();
    const std::string installed = tulvo::options::installedVersion(argc > 1 ? argv[1] : "");

    tulvo::options::NetworkUpdateHttp http;
    tulvo::options::OptionsWindow window(programDirectory, installed, http,
                                         tulvo::options::updateAddresses());
    window.show();
    return app.exec();
}
