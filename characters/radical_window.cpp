#include "characters/radical_window.hpp"

#include <QCloseEvent>
#include <QFrame>
#include <QHeaderView>
#include <QMouseEvent>
#include <QStyledItemDelegate>
#include <QTimer>
#include <algorithm>

#include "ui/window_placement.hpp"

namespace tulvo::characters {
namespace {

constexpr int kRadicalLabelWidth = 30, kRadicalCellWidth = 69;
constexpr int kResultsLabelWidth = 50, kResultsCellWidth = 35;

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

}  // namespace

RadicalWindow::RadicalWindow(const std::filesystem::path& programDirectory, CharacterValue value,
                             std::function<dictionary::CharForm()> preference, QWidget* parent)
    : QWidget(parent, Qt::Tool | Qt::WindowStaysOnTopHint),
      search_(readRadicalTable(programDirectory / kRadicalsPath),
              RadicalFiles{programDirectory / kComponentsPath, programDirectory / kCharTypesPath,
                           programDirectory / kMultiradixPath},
              std::move(value)),
      preference_(std::move(preference)) {
    setWindowTitle(QStringLiteral("Select a character from its radical and stroke number..."));
    setFixedSize(kWidth, kHeight);

    // The tab control: its tabs, and the pane that the grids lie on.
    pane_ = new QFrame(this);
    pane_->setFrameShape(QFrame::StyledPanel);
    pane_->setGeometry(0, 0, 620, 530);
    tabs_ = new QTabBar(this);
    tabs_->addTab(QStringLiteral("Radical selection"));
    tabs_->addTab(QStringLiteral("Results"));
    tabs_->setExpanding(false);
    tabs_->setDrawBase(false);
    tabs_->move(0, 0);
    tabs_->resize(tabs_->sizeHint().width(), 24);
    connect(tabs_, &QTabBar::currentChanged, this, &RadicalWindow::tabChosen);

    radicalCells_ = new RadicalCellsModel(search_, kRadicalCellWidth, this);
    results_ = new ResultsModel(search_, this);
    radicalGrid_ = makeGrid(this, radicalCells_, kRadicalLabelWidth, kRadicalCellWidth);
    resultsGrid_ = makeGrid(this, results_, kResultsLabelWidth, kResultsCellWidth);
    resultsGrid_->hide();
    hide();
}

void RadicalWindow::fitScreen() {
    setFixedSize(ui::fittedClientSize(*this, QSize(kWidth, kHeight)));
    if (!isVisible()) return;
    // Shown: the whole frame inside the screen's available area.
    const QRect area = ui::availableArea(*this, frameGeometry().size());
    const QRect frame = frameGeometry();
    const QPoint inside(
        std::clamp(frame.x(), area.left(), std::max(area.left(), area.right() + 1 - frame.width())),
        std::clamp(frame.y(), area.top(),
                   std::max(area.top(), area.bottom() + 1 - frame.height())));
    if (inside != frame.topLeft()) move(inside);
}

void RadicalWindow::resizeEvent(QResizeEvent* event) {
    QWidget::resizeEvent(event);
    if (!pane_) return;  // still being built
    // A window kept lower by a small screen takes the missing height from
    // the pane and its grids, which scroll.
    const int cut = std::clamp(kHeight - height(), 0, 480 - 4 * kRowHeight);
    pane_->setGeometry(0, 0, 620, 530 - cut);
    for (QTableView* grid : {radicalGrid_, resultsGrid_})
        if (grid) grid->setGeometry(5, 25, 600, 480 - cut);
}

QTableView* RadicalWindow::makeGrid(QWidget* parent, QAbstractItemModel* model, int firstWidth,
                                    int otherWidth) {
    auto* grid = new QTableView(parent);
    grid->setModel(model);
    grid->setGeometry(5, 25, 600, 480);
    grid->setFont(radicalGridFont());
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
    // Narrowed fonts are the model's: the cells' text is never elided.
    grid->setTextElideMode(Qt::ElideNone);
    grid->setItemDelegate(new PlainCellDelegate(grid));
    grid->setColumnWidth(0, firstWidth);
    for (int column = 1; column < model->columnCount(); ++column)
        grid->setColumnWidth(column, otherWidth);
    // Clicks are handled here, before the view moves its current cell.
    grid->viewport()->installEventFilter(parent);
    return grid;
}

void RadicalWindow::openWindow() {
    search_.open();
    radicalCells_->marksChanged();
    showTab(RadicalSearch::kSelectionTab);
    // Fitted to the screen before it shows, and again once its frame is known.
    fitScreen();
    show();
    QTimer::singleShot(0, this, &RadicalWindow::fitScreen);
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
    search_.selectTab(index, preference_ ? preference_() : dictionary::kBothForms);
    if (search_.tab() == RadicalSearch::kResultsTab && !search_.selection().empty())
        showNewResults();
    showTab(search_.tab());
}

void RadicalWindow::openOnRightClick(QWidget* widget) {
    openers_.append(widget);
    widget->installEventFilter(this);
}

namespace {

// The cell under a click, by the grid's column width and row height, from
// its first visible row; an invalid index outside the grid's cells.
QModelIndex cellAt(const QTableView& grid, const QMouseEvent& event, bool resultsGrid) {
    const QPoint at = event.position().toPoint();
    const int first = std::max(0, grid.rowAt(0));
    const GridHit hit = hitTestGrid(at.x(), at.y(), first, grid.columnWidth(1),
                                    grid.verticalHeader()->defaultSectionSize(), resultsGrid);
    return grid.model()->index(hit.row, hit.column);
}

}  // namespace

void RadicalWindow::showNewResults() {
    results_->resultsChanged();
    resultsGrid_->scrollToTop();
}

void RadicalWindow::pressInRadicalGrid(QMouseEvent* event) {
    const QModelIndex cell = cellAt(*radicalGrid_, *event, false);
    if (!cell.data(CharacterRole).isValid()) return;
    if (event->button() == Qt::LeftButton) {
        if (!search_.leftClickRadical(cell.column(), cell.row(),
                                      preference_ ? preference_() : dictionary::kBothForms))
            return;
        showNewResults();
        showTab(RadicalSearch::kResultsTab);
    } else if (event->button() == Qt::RightButton) {
        if (search_.rightClickRadical(cell.column(), cell.row()))
            radicalCells_->markChanged(cell.column(), cell.row());
    }
}

void RadicalWindow::pressInResultsGrid(QMouseEvent* event) {
    if (event->button() != Qt::LeftButton) return;
    const QModelIndex cell = cellAt(*resultsGrid_, *event, true);
    // Labels and empty cells hold no character; nor does a unit below U+4000.
    const QVariant character = cell.data(CharacterRole);
    if (!character.isValid() || character.value<QChar>().unicode() < 0x4000) return;
    if (search_.clickResult(cell.column(), cell.row())) {
        hide();
        emit characterChosen(character.value<QChar>().unicode());
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
