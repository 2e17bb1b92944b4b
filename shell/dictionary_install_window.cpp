#include "shell/dictionary_install_window.hpp"

#include <QApplication>
#include <QScreen>
#include <QThread>

#include "platform/http_request.hpp"
#include "platform/local_messages.hpp"
#include "shell/main_window.hpp"
#include "ui/message_box.hpp"

namespace tulvo::shell {
namespace {

QString fromUtf8(const std::string& text) {
    return QString::fromUtf8(text.data(), static_cast<qsizetype>(text.size()));
}

void showBox(QMessageBox::Icon icon, const QString& caption, const QString& text) {
    ui::tell(caption, text, nullptr, icon);
}

class WindowInstallerHost : public InstallerHost {
  public:
    WindowInstallerHost(platform::AutomationBridge& bridge, platform::AutomationObject* request)
        : bridge_(bridge), request_(request) {}

    bool askYesNo(const std::string& caption, const std::string& text) override {
        QMessageBox box(QMessageBox::Question, fromUtf8(caption), fromUtf8(text),
                        QMessageBox::Yes | QMessageBox::No);
        box.raise();
        box.activateWindow();
        return box.exec() == QMessageBox::Yes;
    }
    void showProgress(const std::string& text) override {
        window_.showText(fromUtf8(text));
        processPendingMessages();
    }
    void hideProgress() override { window_.hide(); }
    // The install runs before the main window exists: the progress window is
    // painted at once, but no event is dispatched inside the install.
    void processPendingMessages() override { window_.repaint(); }
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
    return installDictionaryIfMissing(programDirectory, updates::dictionaryUrl(), host);
}

}  // namespace tulvo::shell
