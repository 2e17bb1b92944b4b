// kestrine: the reminder screen that Tulvo shows once. Takes no arguments,
// reads and writes no file.
#include <QApplication>
#include <QDesktopServices>
#include <QUrl>

#include "reminder/reminder_window.hpp"
#include "ui/palette.hpp"

int main(int argc, char** argv) {
    QApplication app(argc, argv);
    tulvo::ui::useLightPalette();
    tulvo::reminder::ReminderWindow window(
        [] { QDesktopServices::openUrl(QUrl(tulvo::reminder::webPageAddress())); });
    window.show();
    return app.exec();
}
