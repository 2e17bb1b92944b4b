#include "characters/radical_grid_models.hpp"

#include <QBrush>
#include <QColor>
#include <QFontMetrics>
#include <QString>

#include "ui/text.hpp"

namespace tulvo::characters {
namespace {

using ui::toQString;

QColor toQColor(Rgb rgb) {
    return QColor(rgb.red, rgb.green, rgb.blue);
}

// Room left of a cell's width for the view's text margins.
constexpr int kCellMargin = 6;

}  // namespace

QFont radicalGridFont() {
    QFont font(QStringLiteral("Arial Unicode MS"));
    font.setPixelSize(static_cast<int>(25 / 1.34));
    return font;
}

RadicalCellsModel::RadicalCellsModel(const RadicalSearch& search, int cellWidth, QObject* parent)
    : QAbstractTableModel(parent),
      search_(search),
      cellWidth_(cellWidth),
      font_(radicalGridFont()) {}

int RadicalCellsModel::rowCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : static_cast<int>(search_.table().rows().size());
}

int RadicalCellsModel::columnCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : kRadicalColumns;
}

QVariant RadicalCellsModel::data(const QModelIndex& index, int role) const {
    const auto& rows = search_.table().rows();
    if (!index.isValid() || size_t(index.row()) >= rows.size()) return {};
    const auto& row = rows[size_t(index.row())];
    const std::u16string_view text = size_t(index.column()) < row.size()
                                         ? std::u16string_view(row[size_t(index.column())])
                                         : std::u16string_view();
    const bool radicalCell = index.column() > 0 && !text.empty();
    const bool marked = radicalCell && search_.isMarked(index.column(), index.row());
    switch (role) {
        case Qt::DisplayRole:
            return toQString(text);
        case CharacterRole:
            return radicalCell ? QVariant(QChar(text.front())) : QVariant();
        case Qt::TextAlignmentRole:
            return int(Qt::AlignCenter);
        case Qt::ForegroundRole:
            return marked ? QVariant(QBrush(toQColor(kMarkedText))) : QVariant();
        case Qt::BackgroundRole:
            return marked ? QVariant(QBrush(toQColor(kMarkedBackground))) : QVariant();
        case Qt::FontRole: {
            // A cell of three or four forms is wider than the column at the
            // grid's font: its font is narrowed to fit, the others keep it.
            const int room = cellWidth_ - kCellMargin;
            const int width = QFontMetrics(font_).horizontalAdvance(toQString(text));
            if (!radicalCell || width <= room) return font_;
            QFont narrower = font_;
            narrower.setPixelSize(std::max(1, font_.pixelSize() * room / width));
            return narrower;
        }
        default:
            return {};
    }
}

void RadicalCellsModel::markChanged(int column, int row) {
    const QModelIndex cell = index(row, column);
    emit dataChanged(cell, cell, {Qt::ForegroundRole, Qt::BackgroundRole});
}

void RadicalCellsModel::marksChanged() {
    if (rowCount() == 0) return;
    emit dataChanged(index(0, 0), index(rowCount() - 1, columnCount() - 1),
                     {Qt::ForegroundRole, Qt::BackgroundRole});
}

ResultsModel::ResultsModel(const RadicalSearch& search, QObject* parent)
    : QAbstractTableModel(parent), search_(search), font_(radicalGridFont()) {}

int ResultsModel::rowCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : static_cast<int>(search_.results().size());
}

int ResultsModel::columnCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : 1 + int(kResultsPerRow);
}

QVariant ResultsModel::data(const QModelIndex& index, int role) const {
    const ResultsGrid& results = search_.results();
    if (!index.isValid() || size_t(index.row()) >= results.size()) return {};
    const ResultsRow& row = results[size_t(index.row())];
    if (role == Qt::TextAlignmentRole) return int(Qt::AlignCenter);
    if (role == Qt::FontRole) return font_;
    if (index.column() == 0)
        return role == Qt::DisplayRole ? QVariant(toQString(row.label)) : QVariant();
    const size_t at = size_t(index.column() - 1);
    if (at >= row.cells.size()) return {};
    const GridCell& cell = row.cells[at];
    switch (role) {
        case Qt::DisplayRole:
            return QString(QChar(cell.character));
        case CharacterRole:
            return QChar(cell.character);
        case Qt::ForegroundRole:
            return QBrush(toQColor(cell.colour));
        default:
            return {};
    }
}

void ResultsModel::resultsChanged() {
    // The search has already replaced its results (nothing is drawn in
    // between); the views ask for every cell again.
    beginResetModel();
    endResetModel();
}

}  // namespace tulvo::characters
