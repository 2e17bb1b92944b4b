// The writing pad's column at the window's right edge: the brown
// background, "Writing pad", the pad, Erase and Analyze, and the candidate
// grid that a pass fills.
#pragma once

#include <QLabel>
#include <QPushButton>
#include <QWidget>
#include <filesystem>
#include <functional>

#include "dictionary/search_choices.hpp"
#include "shell/main_layout.hpp"

namespace tulvo::handwriting {
class CandidateGrid;
class WritingPadWidget;
}  // namespace tulvo::handwriting

namespace tulvo::shell {

class PadColumn : public QWidget {
    Q_OBJECT
  public:
    // `preference` gives the character-form preference at the time of a
    // recognition pass.
    PadColumn(const std::filesystem::path& programDirectory,
              std::function<dictionary::CharForm()> preference, QWidget* parent);

    // Places the column and its controls where `layout` puts them (window
    // pixels).
    void layOut(const MainLayout& layout);

    handwriting::WritingPadWidget& pad() { return *pad_; }
    handwriting::CandidateGrid& candidates() { return *candidates_; }
    QPushButton& eraseButton() { return *erase_; }
    QPushButton& analyzeButton() { return *analyze_; }

  signals:
    void candidateClicked(char16_t character);
    void candidateRightClicked(char16_t character, QPoint globalPosition);

  private:
    handwriting::CandidateGrid* candidates_ = nullptr;
    handwriting::WritingPadWidget* pad_ = nullptr;
    QPushButton* erase_ = nullptr;
    QPushButton* analyze_ = nullptr;
    QLabel* label_ = nullptr;
};

}  // namespace tulvo::shell
