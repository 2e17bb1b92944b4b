// Tulvo: the dictionary's main window. Runs in the program directory (the
// current directory at start-up), where data/ holds the data files.
#include <QApplication>
#include <filesystem>

#include "dictionary/word_value.hpp"
#include "shell/main_window.hpp"

int main(int argc, char** argv) {
    QApplication app(argc, argv);
    tulvo::shell::installFontSubstitutions();
    const std::filesystem::path programDirectory = std::filesystem::current_path();

    const tulvo::dictionary::NoWordValues values;
    tulvo::shell::MainWindow window(programDirectory, values);
    window.start();
    window.show();
    return app.exec();
}
