// The "File preview" dialog: the decoded text of a word list, the encoding
// list that re-decodes it, OK and Cancel. Built once and shown by each import.
#pragma once

#include <QComboBox>
#include <QDialog>
#include <QLabel>
#include <QPlainTextEdit>
#include <QPushButton>
#include <string>

#include "favorites/list_import.hpp"

namespace tulvo::favorites {

class FilePreviewDialog : public QDialog, public FilePreview {
    Q_OBJECT
  public:
    explicit FilePreviewDialog(QWidget* parent = nullptr);

    // Shows the dialog and waits, with the caller's windows usable, until OK,
    // Cancel or the close box hides it.
    int choose(std::string_view text, const std::vector<EncodingEntry>& entries,
               int selected) override;

    QPlainTextEdit& preview() { return *preview_; }
    QComboBox& encodings() { return *encodings_; }
    QPushButton& okButton() { return *ok_; }
    QPushButton& cancelButton() { return *cancel_; }

  protected:
    void resizeEvent(QResizeEvent* event) override;

  private:
    void showDecoded();
    // Places the controls for the dialog's height.
    void layOut();

    QPlainTextEdit* preview_;
    QLabel* advice_;
    QLabel* selectLabel_;
    QComboBox* encodings_;
    QPushButton* ok_;
    QPushButton* cancel_;
    std::string text_;
    std::vector<EncodingEntry> entries_;
};

}  // namespace tulvo::favorites
