// The windows of dictionary installation: the download progress window and
// the question and report boxes, around the installation steps.
#pragma once

#include <QLabel>
#include <QWidget>
#include <filesystem>
#include <memory>

#include "platform/automation.hpp"
#include "shell/dictionary_installer.hpp"

namespace tulvo::shell {

// "Tulvo - Loading the CEDICT dictionary file": 350 × 200, centred, one text
// in the upper half of the client area.
class DownloadProgressWindow : public QWidget {
    Q_OBJECT
  public:
    explicit DownloadProgressWindow(int labelFontHeight = 19);
    void showText(const QString& text);
    QString text() const { return text_->text(); }

  private:
    QLabel* text_;
    QFont font_;
};

// The bridge of the programs: every failure is a box captioned "Tulvo", and
// "Msxml2.XMLHTTP" is the HTTP request object.
std::unique_ptr<platform::AutomationBridge> makeAutomationBridge();

// At start-up: checks for the dictionary and installs it when it is missing,
// downloading through `request` (nothing when it could not be created).
InstallOutcome installDictionaryAtStart(const std::filesystem::path& programDirectory,
                                        platform::AutomationBridge& bridge,
                                        platform::AutomationObject* request);

}  // namespace tulvo::shell
