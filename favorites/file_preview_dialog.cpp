#include "favorites/file_preview_dialog.hpp"

#include <QEventLoop>
#include <QScrollBar>
#include <QTextCursor>
#include <algorithm>

#include "ui/window_placement.hpp"

namespace tulvo::favorites {

FilePreviewDialog::FilePreviewDialog(QWidget* parent) : QDialog(parent) {
    setWindowTitle(QStringLiteral("File preview"));
    // Not modal: the caller's windows stay usable while it is shown.
    setModal(false);

    preview_ = new QPlainTextEdit(this);
    preview_->setReadOnly(true);
    preview_->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    preview_->setFont(ui::arialFont(20));

    advice_ = new QLabel(
        QStringLiteral(
            "Please check that the file contents looks right before proceeding, especially "
            "the Chinese characters (otherwise, incorrect characters could end up added to "
            "your favorites!)\nIf the contents looks wrong, you may try applying a "
            "different encoding in the list below."),
        this);
    advice_->setWordWrap(true);
    advice_->setAlignment(Qt::AlignLeft | Qt::AlignTop);
    advice_->setFont(ui::arialFont(17));

    selectLabel_ = new QLabel(QStringLiteral("Select an encoding:"), this);
    selectLabel_->setFont(ui::arialFont(17));

    encodings_ = new QComboBox(this);
    encodings_->resize(300, encodings_->sizeHint().height());
    encodings_->setFont(ui::arialFont(17));
    encodings_->setMaxVisibleItems(
        std::max(1, 200 / (QFontMetrics(encodings_->font()).height() + 4)));
    connect(encodings_, &QComboBox::currentIndexChanged, this, [this] { showDecoded(); });

    ok_ = new QPushButton(QStringLiteral("OK"), this);
    cancel_ = new QPushButton(QStringLiteral("Cancel"), this);
    connect(ok_, &QPushButton::clicked, this, &QDialog::accept);
    connect(cancel_, &QPushButton::clicked, this, &QDialog::reject);
    layOut();
}

void FilePreviewDialog::resizeEvent(QResizeEvent* event) {
    QDialog::resizeEvent(event);
    layOut();
}

void FilePreviewDialog::layOut() {
    // The buttons end 10 pixels above this. A dialog kept lower by a small
    // screen takes the missing height from the preview box, which scrolls,
    // so that the encodings and the buttons stay in the window.
    constexpr int kBottom = 510, kPreviewHeight = 300, kSmallestPreview = 100;
    const int cut = std::clamp(kBottom - height(), 0, kPreviewHeight - kSmallestPreview);
    preview_->setGeometry(10, 10, 590, kPreviewHeight - cut);
    advice_->setGeometry(10, 320 - cut, 580, 80);
    selectLabel_->setGeometry(10, 410 - cut, 150, 20);
    encodings_->setGeometry(170, 410 - cut, 300, encodings_->height());
    ok_->setGeometry(180, 470 - cut, 100, 30);
    cancel_->setGeometry(340, 470 - cut, 100, 30);
}

void FilePreviewDialog::showDecoded() {
    const int index = encodings_->currentIndex();
    if (index < 0 || size_t(index) >= entries_.size()) return;
    const std::u16string shown = previewText(text_, entries_[size_t(index)].codePage);
    preview_->setPlainText(
        QString(reinterpret_cast<const QChar*>(shown.data()), qsizetype(shown.size())));
    preview_->moveCursor(QTextCursor::Start);
    preview_->verticalScrollBar()->setValue(0);
}

int FilePreviewDialog::choose(std::string_view text, const std::vector<EncodingEntry>& entries,
                              int selected) {
    text_.assign(text);
    entries_ = entries;
    {
        const QSignalBlocker block(encodings_);
        encodings_->clear();
        for (const EncodingEntry& entry : entries_)
            encodings_->addItem(QString(reinterpret_cast<const QChar*>(entry.label.data()),
                                        qsizetype(entry.label.size())));
        encodings_->setCurrentIndex(selected);
    }
    showDecoded();

    ui::placeCentred(*this, QSize(623, 549), /*fixed=*/true);
    QEventLoop loop;
    connect(this, &QDialog::finished, &loop, &QEventLoop::quit);
    show();
    raise();
    activateWindow();
    loop.exec();

    int codePage = -1;
    const int index = encodings_->currentIndex();
    if (result() == QDialog::Accepted && index >= 0 && size_t(index) < entries_.size())
        codePage = entries_[size_t(index)].codePage;
    // The extra entry of this import goes again.
    const QSignalBlocker block(encodings_);
    encodings_->clear();
    text_.clear();
    entries_.clear();
    return codePage;
}

}  // namespace tulvo::favorites
