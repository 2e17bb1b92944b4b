#include "shell/pad_column.hpp"

#include "handwriting/candidate_grid.hpp"
#include "handwriting/recog_file.hpp"
#include "handwriting/writing_pad_widget.hpp"
#include "shell/settings.hpp"
#include "ui/bitmaps.hpp"
#include "ui/fonts.hpp"

namespace tulvo::shell {

PadColumn::PadColumn(const std::filesystem::path& programDirectory,
                     std::function<dictionary::CharForm()> preference, QWidget* parent)
    : QWidget(parent) {
    setAutoFillBackground(true);
    QPalette brown = palette();
    brown.setColor(QPalette::Window, ui::kPadBrown);
    setPalette(brown);

    candidates_ = new handwriting::CandidateGrid(this);
    candidates_->setFont(ui::panelFont(36));
    pad_ = new handwriting::WritingPadWidget(
        *candidates_, programDirectory / handwriting::kRecogPath, std::move(preference), this);
    connect(candidates_, &handwriting::CandidateGrid::candidateClicked, this,
            &PadColumn::candidateClicked);
    connect(candidates_, &handwriting::CandidateGrid::candidateRightClicked, this,
            &PadColumn::candidateRightClicked);

    erase_ = new QPushButton(QStringLiteral("Erase"), this);
    erase_->setToolTip(QStringLiteral("Erase the writing area"));
    connect(erase_, &QPushButton::clicked, pad_, &handwriting::WritingPadWidget::erase);
    analyze_ = new QPushButton(QStringLiteral("Analyze"), this);
    analyze_->setToolTip(QStringLiteral("Run the character recognition again"));
    connect(analyze_, &QPushButton::clicked, pad_, &handwriting::WritingPadWidget::analyze);

    // "Writing pad" keeps the font it was made with when the settings
    // change the other fonts.
    label_ = new QLabel(QStringLiteral("Writing pad"), this);
    label_->setToolTip(QStringLiteral("Write a character by hand"));
    label_->setFont(ui::labelFont(FontHeights{}.label));
    QPalette white = label_->palette();
    white.setColor(QPalette::WindowText, Qt::white);
    label_->setPalette(white);
}

void PadColumn::layOut(const MainLayout& layout) {
    const Rect& column = layout.padColumn;
    setGeometry(column.x, column.y, column.width, column.height);
    const auto place = [&column](QWidget* widget, const Rect& r) {
        widget->setGeometry(r.x - column.x, r.y - column.y, r.width, r.height);
    };
    place(pad_, layout.pad);
    place(erase_, layout.erase);
    place(candidates_, layout.candidates);
    place(analyze_, layout.analyze);
    place(label_, layout.padLabel);
}

}  // namespace tulvo::shell
