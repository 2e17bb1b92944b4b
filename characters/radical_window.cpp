#include "characters/radical_window.hpp"

#include <QCloseEvent>
#include <QFrame>
#include <QHeaderView>
#include <QMouseEvent>
#include <QStyledItemDelegate>

namespace tulvo::characters {
namespace {

constexpr int kRadicalLabelWidth = 30, kRadicalCellWidth = 69;
constexpr int kResultsLabelWidth = 50, kResultsCellWidth = 35;
constexpr int kResultsColumns = 1 + int(kResultsPerRow);

QString toQString(std::u16string_view units) {
    return QString::fromUtf16(units.data(), static_cast<qsizetype>(units.size()));
}

QColor toQColor(Rgb rgb) {
    return QColor(rgb.red, rgb.green, rgb.blue);
}

// "Arial Unicode MS" of cell height 25; Qt sizes fonts by em.
QFont gridFont() {
    QFont font(QStringLiteral("Arial Unicode MS"));
    font.setPixelSize(static_cast<int>(25 / 1.34));
    return font;
}

// Cells show their own colours only: no frame around the view's current cell.
class PlainCellDelegate : public QStyledItemDelegate {
  public:
    using QStyledItemDelegate::QStyledItemDelegate;

  protected:
    void initStyleOption(QStyleOptionViewItem* option, const QModelIndex& index) const override {
        QStyledItemDelegate::initStyleOption(option, index);
        option->state &= ~QStyle::State_HasFocus;
    }
};

QTableWidgetItem* item(const QString& text) {
    auto* cell = new QTableWidgetItem(text);
    cell->setFlags(Qt::ItemIsEnabled);
    cell->setTextAlignment(Qt::AlignCenter);
    return cell;
}

}  // namespace

RadicalWindow::RadicalWindow(const std::filesystem::path& programDirectory, CharacterValue value,
                             std::function<int()> preference, QWidget* parent)
    : QWidget(parent, Qt::Tool | Qt::WindowStaysOnTopHint),
      search_(readRadicalTable(programDirectory / kRadicalsPath),
              RadicalFiles{programDirectory / kComponentsPath, programDirectory / kCharTypesPath,
                           programDirectory / kMultiradixPath},
              std::move(value)),
      preference_(std::move(preference)) {
    setWindowTitle(QStringLiteral("Select a character from its radical and stroke number..."));
    setFixedSize(725, 540);

    // The tab control: its tabs, and the pane that the grids lie on.
    auto* pane = new QFrame(this);
    pane->setFrameShape(QFrame::StyledPanel);
    pane->setGeometry(0, 0, 620, 530);
    tabs_ = new QTabBar(this);
    tabs_->addTab(QStringLiteral("Radical selection"));
    tabs_->addTab(QStringLiteral("Results"));
    tabs_->setExpanding(false);
    tabs_->setDrawBase(false);
    tabs_->move(0, 0);
    tabs_->resize(tabs_->sizeHint().width(), 24);
    connect(tabs_, &QTabBar::currentChanged, this, &RadicalWindow::tabChosen);

    radicalGrid_ = makeGrid(this, kRadicalColumns, kRadicalLabelWidth, kRadicalCellWidth);
    resultsGrid_ = makeGrid(this, kResultsColumns, kResultsLabelWidth, kResultsCellWidth);
    resultsGrid_->hide();
    fillRadicalGrid();
    hide();
}

QTableWidget* RadicalWindow::makeGrid(QWidget* parent, int columns, int firstWidth,
                                      int otherWidth) {
    auto* grid = new QTableWidget(0, columns, parent);
    grid->setGeometry(5, 25, 600, 480);
    grid->setFont(gridFont());
    grid->horizontalHeader()->hide();
    grid->verticalHeader()->hide();
    grid->verticalHeader()->setSectionResizeMode(QHeaderView::Fixed);
    // The minimum first: the default size is kept within it.
    grid->verticalHeader()->setMinimumSectionSize(kRowHeight);
    grid->verticalHeader()->setDefaultSectionSize(kRowHeight);
    grid->setShowGrid(true);
    grid->setSelectionMode(QAbstractItemView::NoSelection);
    grid->setEditTriggers(QAbstractItemView::NoEditTriggers);
    grid->setVerticalScrollMode(QAbstractItemView::ScrollPerItem);
    grid->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    grid->setWordWrap(false);
    grid->setItemDelegate(new PlainCellDelegate(grid));
    grid->setColumnWidth(0, firstWidth);
    for (int column = 1; column < columns; ++column) grid->setColumnWidth(column, otherWidth);
    // Clicks are handled here, before the view moves its current cell.
    grid->viewport()->installEventFilter(parent);
    return grid;
}

void RadicalWindow::fillRadicalGrid() {
    const auto& rows = search_.table().rows();
    radicalGrid_->setRowCount(static_cast<int>(rows.size()));
    for (size_t row = 0; row < rows.size(); ++row)
        for (size_t column = 0; column < rows[row].size(); ++column) {
            radicalGrid_->setItem(int(row), int(column), item(toQString(rows[row][column])));
            colourRadicalCell(int(column), int(row));
        }
}

void RadicalWindow::colourRadicalCell(int column, int row) {
    QTableWidgetItem* cell = radicalGrid_->item(row, column);
    if (!cell) return;
    if (column > 0 && search_.isMarked(column, row)) {
        cell->setForeground(toQColor(kMarkedText));
        cell->setBackground(toQColor(kMarkedBackground));
    } else {
        cell->setData(Qt::ForegroundRole, QVariant());
        cell->setData(Qt::BackgroundRole, QVariant());
    }
}

void RadicalWindow::fillResultsGrid() {
    const ResultsGrid& results = search_.results();
    resultsGrid_->clearContents();
    resultsGrid_->setRowCount(static_cast<int>(results.size()));
    for (size_t row = 0; row < results.size(); ++row) {
        resultsGrid_->setItem(int(row), 0, item(toQString(results[row].label)));
        const auto& cells = results[row].cells;
        for (size_t i = 0; i < cells.size(); ++i) {
            QTableWidgetItem* cell = item(QString(QChar(cells[i].character)));
            cell->setForeground(toQColor(cells[i].colour));
            resultsGrid_->setItem(int(row), int(i) + 1, cell);
        }
    }
    resultsGrid_->scrollToTop();
}

void RadicalWindow::openWindow() {
    search_.open();
    for (int row = 0; row < radicalGrid_->rowCount(); ++row)
        for (int column = 1; column < kRadicalColumns; ++column) colourRadicalCell(column, row);
    showTab(RadicalSearch::kSelectionTab);
    show();
    raise();
    activateWindow();
    radicalGrid_->setFocus();
}

void RadicalWindow::showTab(int index) {
    {
        const QSignalBlocker block(tabs_);
        tabs_->setCurrentIndex(index);
    }
    const bool results = index == RadicalSearch::kResultsTab;
    radicalGrid_->setVisible(!results);
    resultsGrid_->setVisible(results);
}

void RadicalWindow::tabChosen(int index) {
    search_.selectTab(index, preference_ ? preference_() : 1);
    if (search_.tab() == RadicalSearch::kResultsTab && !search_.selection().empty())
        fillResultsGrid();
    showTab(search_.tab());
}

void RadicalWindow::openOnRightClick(QWidget* widget) {
    openers_.append(widget);
    widget->installEventFilter(this);
}

namespace {

// The cell under a click, by the grid's column width and row height, from
// its first visible row.
GridHit hitAt(const QTableWidget& grid, const QMouseEvent& event, bool resultsGrid) {
    const QPoint at = event.position().toPoint();
    const int first = std::max(0, grid.rowAt(0));
    return hitTestGrid(at.x(), at.y(), first, grid.columnWidth(1),
                       grid.verticalHeader()->defaultSectionSize(), resultsGrid);
}

}  // namespace

void RadicalWindow::pressInRadicalGrid(QMouseEvent* event) {
    const GridHit hit = hitAt(*radicalGrid_, *event, false);
    if (hit.row < 0 || hit.column < 1) return;
    if (event->button() == Qt::LeftButton) {
        if (!search_.leftClickRadical(hit.column, hit.row, preference_ ? preference_() : 1)) return;
        fillResultsGrid();
        showTab(RadicalSearch::kResultsTab);
    } else if (event->button() == Qt::RightButton) {
        if (search_.rightClickRadical(hit.column, hit.row)) colourRadicalCell(hit.column, hit.row);
    }
}

void RadicalWindow::pressInResultsGrid(QMouseEvent* event) {
    if (event->button() != Qt::LeftButton) return;
    const GridHit hit = hitAt(*resultsGrid_, *event, true);
    if (hit.row < 0 || hit.column < 1) return;
    if (const auto character = search_.clickResult(hit.column, hit.row)) {
        hide();
        emit characterChosen(*character);
    }
}

bool RadicalWindow::eventFilter(QObject* watched, QEvent* event) {
    const QEvent::Type type = event->type();
    const bool press = type == QEvent::MouseButtonPress || type == QEvent::MouseButtonDblClick;
    if (!radicalGrid_ || !resultsGrid_) return QWidget::eventFilter(watched, event);
    if (watched == radicalGrid_->viewport() || watched == resultsGrid_->viewport()) {
        if (press) {
            auto* mouse = static_cast<QMouseEvent*>(event);
            if (watched == radicalGrid_->viewport())
                pressInRadicalGrid(mouse);
            else
                pressInResultsGrid(mouse);
        }
        // The grids show what the search holds: no current cell, no drags.
        return press || type == QEvent::MouseButtonRelease || type == QEvent::MouseMove;
    }
    if (openers_.contains(watched)) {
        if (type == QEvent::MouseButtonPress &&
            static_cast<QMouseEvent*>(event)->button() == Qt::RightButton) {
            openWindow();
            return true;
        }
        if (type == QEvent::ContextMenu) return true;
    }
    return QWidget::eventFilter(watched, event);
}

void RadicalWindow::closeEvent(QCloseEvent* event) {
    search_.close();
    event->accept();
    emit closed();
}

}  // namespace tulvo::characters
