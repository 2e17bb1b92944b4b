// The radical window's two grids as table models over what RadicalSearch
// holds: the radical cells by stroke count, and the characters found. Each
// cell that stands for a character gives it under CharacterRole, so that a
// view or a click handler asks the model rather than the cell's text.
#pragma once

#include <QAbstractTableModel>
#include <QFont>

#include "characters/radical_search.hpp"

namespace tulvo::characters {

// The character of a cell (a QChar); none for labels and empty cells. For a
// radical cell, the radical's ordinary character (its first form).
inline constexpr int CharacterRole = Qt::UserRole + 1;

// The grids' font: "Arial Unicode MS" of cell height 25 (Qt sizes fonts by em).
QFont radicalGridFont();

class RadicalCellsModel : public QAbstractTableModel {
    Q_OBJECT
  public:
    // `cellWidth`: the width of the radical columns, within which a cell's
    // forms are fitted.
    RadicalCellsModel(const RadicalSearch& search, int cellWidth, QObject* parent = nullptr);

    int rowCount(const QModelIndex& parent = {}) const override;
    int columnCount(const QModelIndex& parent = {}) const override;
    // Display: the label or every form of the cell; Foreground/Background:
    // the marked colours; Font: the grid font, narrowed so that a cell of
    // many forms (网罒罓⺳) is shown whole.
    QVariant data(const QModelIndex& index, int role) const override;

    // The marks of one cell, or of every cell, changed.
    void markChanged(int column, int row);
    void marksChanged();

  private:
    const RadicalSearch& search_;
    int cellWidth_;
    QFont font_;
};

class ResultsModel : public QAbstractTableModel {
    Q_OBJECT
  public:
    explicit ResultsModel(const RadicalSearch& search, QObject* parent = nullptr);

    int rowCount(const QModelIndex& parent = {}) const override;
    int columnCount(const QModelIndex& parent = {}) const override;
    // Display: the group label or the character; Foreground: its colour.
    QVariant data(const QModelIndex& index, int role) const override;

    // The search has new results.
    void resultsChanged();

  private:
    const RadicalSearch& search_;
    QFont font_;
};

}  // namespace tulvo::characters
