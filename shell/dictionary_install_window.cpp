#include "shell/dictionary_install_window.hpp"

#include <QApplication>
#include <QEventLoop>
#include <QScreen>
#include <QThread>
#include <functional>

#include "platform/http_request.hpp"
#include "platform/local_messages.hpp"
#include "shell/main_window.hpp"
#include "ui/message_box.hpp"

namespace tulvo::shell {
namespace {

QString fromUtf8(const std::string& text) {
    return QString::fromUtf8(text.data(), static_cast<qsizetype>(text.size()));
}

// Runs `work` on the window thread and waits for it: the install's slow
// steps run on a thread of their own, and its windows live on this one.
void onWindowThread(const std::function<void()>& work) {
    if (QThread::currentThread() == qApp->thread())
        work();
    else
        QMetaObject::invokeMethod(qApp, work, Qt::BlockingQueuedConnection);
}

void showBox(QMessageBox::Icon icon, const QString& caption, const QString& text) {
    onWindowThread([&] { ui::tell(caption, text, nullptr, icon); });
}

// Questions, progress and boxes are shown on the window thread; downloads,
// pauses and the unpacking and indexing programs run on the install's own.
class WindowInstallerHost : public InstallerHost {
  public:
    WindowInstallerHost(platform::AutomationBridge& bridge, platform::AutomationObject* request)
        : bridge_(bridge), request_(request) {}

    bool askYesNo(const std::string& caption, const std::string& text) override {
        bool yes = false;
        onWindowThread([&] {
            QMessageBox box(QMessageBox::Question, fromUtf8(caption), fromUtf8(text),
                            QMessageBox::Yes | QMessageBox::No);
            box.raise();
            box.activateWindow();
            yes = box.exec() == QMessageBox::Yes;
        });
        return yes;
    }
    void showProgress(const std::string& text) override {
        onWindowThread([&] { window_.showText(fromUtf8(text)); });
    }
    void hideProgress() override {
        onWindowThread([&] { window_.hide(); });
    }
    void pause(int milliseconds) override {
        QThread::msleep(static_cast<unsigned long>(milliseconds));
    }
    std::vector<uint8_t> download(const std::string& url) override {
        if (!request_) return {};
        return bridge_.httpBody(*request_, url);
    }
    std::optional<int64_t> sendToPopupMessenger(uint32_t message) override {
        return platform::sendMessage(platform::kPopupMessenger, message);
    }
    void information(const std::string& caption, const std::string& text) override {
        showBox(QMessageBox::Information, fromUtf8(caption), fromUtf8(text));
    }

  private:
    platform::AutomationBridge& bridge_;
    platform::AutomationObject* request_;
    DownloadProgressWindow window_;
};

}  // namespace

DownloadProgressWindow::DownloadProgressWindow(int labelFontHeight) {
    setWindowTitle(QStringLiteral("Tulvo - Loading the CEDICT dictionary file"));
    text_ = new QLabel(this);
    font_ = labelFont(labelFontHeight);
    text_->setAlignment(Qt::AlignLeft | Qt::AlignTop);
    resize(350, 200);
}

void DownloadProgressWindow::showText(const QString& text) {
    text_->setText(text);
    if (!isVisible()) {
        show();
        // Outer size 350 × 200 once the frame is known, centred on the screen.
        const QSize frame = frameGeometry().size() - geometry().size();
        resize(QSize(350, 200) - frame);
        if (const QScreen* screen = QGuiApplication::primaryScreen())
            move(screen->geometry().center() - QPoint(175, 100));
    }
    // From left 20 to the window's right edge, as far down as half its
    // height; a stage line too long for that at a large text size is
    // narrowed rather than cut off at the edge.
    text_->setGeometry(20, 0, width() - 20, height() / 2);
    ui::fitLabelText(*text_, font_);
    raise();
}

std::unique_ptr<platform::AutomationBridge> makeAutomationBridge() {
    auto bridge = std::make_unique<platform::AutomationBridge>([](const std::string& message) {
        QString text = fromUtf8(message);
        text.replace(QLatin1Char('\r'), QLatin1Char('\n'));
        showBox(QMessageBox::NoIcon, QStringLiteral("Tulvo"), text);
    });
    bridge->registerClass(platform::kHttpRequestClass, platform::createHttpRequest);
    return bridge;
}

InstallOutcome installDictionaryAtStart(const std::filesystem::path& programDirectory,
                                        platform::AutomationBridge& bridge,
                                        platform::AutomationObject* request) {
    WindowInstallerHost host(bridge, request);
    InstallOutcome outcome = InstallOutcome::Present;
    std::unique_ptr<QThread> install(QThread::create([&] {
        outcome = installDictionaryIfMissing(programDirectory, updates::dictionaryUrl(), host);
    }));
    // The program's event loop has not started yet: this loop is the only
    // one, so the progress window paints and other programs' lookups are
    // taken (and kept for the main window) while the install works.
    QEventLoop loop;
    QObject::connect(install.get(), &QThread::finished, &loop, &QEventLoop::quit);
    install->start();
    loop.exec();
    install->wait();
    return outcome;
}

}  // namespace tulvo::shell
