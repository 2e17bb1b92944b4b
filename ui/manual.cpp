#include "ui/manual.hpp"

#include <spawn.h>
#include <sys/wait.h>

#include <QDesktopServices>
#include <QPointer>
#include <QTimer>

#include "ui/message_box.hpp"

extern char** environ;

namespace tulvo::ui {

namespace {

void tellNoBrowser(const QUrl& url, QWidget* parent) {
    tell(QStringLiteral("Tulvo"),
         QStringLiteral("No web browser could be found to show the manual.\n\nIts pages are "
                        "in %1: open this file in a web browser.")
             .arg(url.toLocalFile()),
         parent, QMessageBox::Information);
}

// Waits for xdg-open without blocking (it may run the browser to its end)
// and tells the user when it found none.
void watchOpener(pid_t pid, QUrl url, QPointer<QWidget> parent) {
    auto* timer = new QTimer;
    QObject::connect(timer, &QTimer::timeout, timer, [timer, pid, url, parent] {
        int status = 0;
        const pid_t ended = ::waitpid(pid, &status, WNOHANG);
        if (ended == 0) return;
        timer->deleteLater();
        const bool opened = ended == pid && WIFEXITED(status) && WEXITSTATUS(status) == 0;
        if (!opened) tellNoBrowser(url, parent.data());
    });
    timer->start(100);
}

}  // namespace

QUrl manualPage(const std::filesystem::path& programDirectory, std::string_view page,
                std::string_view anchor) {
    const std::filesystem::path file =
        std::filesystem::absolute(programDirectory / "manual" / page);
    QUrl url = QUrl::fromLocalFile(QString::fromStdString(file.string()));
    if (!anchor.empty())
        url.setFragment(QString::fromUtf8(anchor.data(), static_cast<qsizetype>(anchor.size())));
    return url;
}

void openManual(const std::filesystem::path& programDirectory, QWidget* parent,
                std::string_view page) {
    const QUrl url = manualPage(programDirectory, page);
    const QByteArray address = url.toEncoded();
    char program[] = "xdg-open";
    char* arguments[] = {program, const_cast<char*>(address.constData()), nullptr};
    pid_t pid = 0;
    if (::posix_spawnp(&pid, program, nullptr, nullptr, arguments, environ) == 0) {
        watchOpener(pid, url, parent);
        return;
    }
    // No xdg-open: whatever else Qt knows of.
    if (!QDesktopServices::openUrl(url)) tellNoBrowser(url, parent);
}

}  // namespace tulvo::ui
