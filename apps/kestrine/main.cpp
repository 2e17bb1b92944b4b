// kestrine: the reminder screen that Tulvo shows once. Takes no arguments,
// reads and writes no file.
#include <QApplication>
#include <QDesktopServices>
#include <QUrl>

#include "apps/common/command_line.hpp"
#include "apps/common/display.hpp"
#include "reminder/reminder_window.hpp"
#include "ui/palette.hpp"

int main(int argc, char** argv) {
    if (const auto status = tulvo::apps::answerHelpOrVersion(
            argc, argv, "kestrine",
            "usage: kestrine\nThe reminder screen that Tulvo shows once.\n"))
        return *status;
    if (!tulvo::apps::requireDisplay("kestrine")) return 1;
    QApplication app(argc, argv);
    tulvo::apps::displayStarted();
    tulvo::ui::useLightPalette();
    tulvo::reminder::ReminderWindow window(
        [] { QDesktopServices::openUrl(QUrl(tulvo::reminder::webPageAddress())); });
    window.show();
    return app.exec();
}
