// Tulvo_options: edits the settings file options.txt, imports favorite word lists and
// checks for updates. Started by Tulvo from its program directory with the
// program's version text as its one argument.
#include <QApplication>
#include <QFont>
#include <filesystem>

#include "options/options_window.hpp"
#include "platform/app_paths.hpp"
#include "ui/palette.hpp"

int main(int argc, char** argv) {
    QApplication app(argc, argv);
    tulvo::ui::useLightPalette();
    QFont::insertSubstitutions(QStringLiteral("Arial"), {QStringLiteral("Liberation Sans"),
                                                         QStringLiteral("Noto Sans CJK SC")});
    const std::filesystem::path programDirectory = std::filesystem::current_path();
    // Installed, the settings and favorites it writes are in this user's folder.
    tulvo::platform::AppPaths(programDirectory).ensureUserDirectory();
    const std::string installed = tulvo::options::installedVersion(argc > 1 ? argv[1] : "");

    tulvo::options::NetworkUpdateHttp http;
    tulvo::options::OptionsWindow window(programDirectory, installed, http,
                                         tulvo::options::updateAddresses());
    window.show();
    return app.exec();
}
