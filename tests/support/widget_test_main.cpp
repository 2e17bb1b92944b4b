// The main() of every widget test: Qt's offscreen platform, the font
// substitutions the programs install, and a runtime folder of this run's own
// for the local sockets.
#include <gtest/gtest.h>
#include <stdlib.h>
#include <QApplication>
#include <filesystem>
#include <string>

#include "ui/fonts.hpp"

int main(int argc, char** argv) {
    // An offscreen platform with options (a screen configuration) is kept.
    if (!qEnvironmentVariable("QT_QPA_PLATFORM").startsWith(QLatin1String("offscreen:")))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    std::string runtime =
        (std::filesystem::temp_directory_path() / "tulvo-widget-test-XXXXXX").string();
    if (::mkdtemp(runtime.data())) qputenv("XDG_RUNTIME_DIR", runtime.c_str());
    QApplication app(argc, argv);
    tulvo::ui::installFontSubstitutions();
    ::testing::InitGoogleTest(&argc, argv);
    const int result = RUN_ALL_TESTS();
    std::error_code ignored;
    std::filesystem::remove_all(runtime, ignored);
    return result;
}
