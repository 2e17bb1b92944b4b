// The candidate grid under the writing pad: up to 15 characters of the
// latest recognition pass in 5 × 3 cells. A left press on a character asks
// for its lookup, a right press for the short character menu.
#pragma once

#include <QWidget>
#include <array>

namespace tulvo::handwriting {

class CandidateList;

class CandidateGrid : public QWidget {
    Q_OBJECT
  public:
    explicit CandidateGrid(QWidget* parent);

    // Takes the pass's list (slots after the first empty one are not shown).
    void setCandidates(const CandidateList& list);
    void clear();
    // Character of slot 0..14, 0 when empty.
    char16_t at(int slot) const;

  signals:
    void candidateClicked(char16_t character);
    void candidateRightClicked(char16_t character, QPoint globalPosition);

  protected:
    void paintEvent(QPaintEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;

  private:
    std::array<char16_t, 15> slots_{};
};

}  // namespace tulvo::handwriting
