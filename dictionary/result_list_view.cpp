#include "dictionary/result_list_view.hpp"

#include <QHeaderView>
#include <QMouseEvent>

#include "dictionary/list_columns.hpp"

#include "ui/text.hpp"

namespace tulvo::dictionary {
namespace {

enum Column { kSort, kCharacter, kPinyin, kTranslation, kEquivalent, kColumns };

QColor fromColourRef(uint32_t bgr) {
    return QColor(bgr & 0xFF, (bgr >> 8) & 0xFF, (bgr >> 16) & 0xFF);
}

QString text(const std::u16string& units) {
    return ui::toQString(units);
}

}  // namespace

ResultListModel::ResultListModel(const ResultList& list, QObject* parent)
    : QAbstractTableModel(parent), list_(list) {}

int ResultListModel::rowCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : static_cast<int>(shownRows_);
}

int ResultListModel::columnCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : kColumns;
}

QVariant ResultListModel::data(const QModelIndex& index, int role) const {
    if (!index.isValid() || static_cast<size_t>(index.row()) >= list_.size()) return {};
    if (role == Qt::FontRole && index.column() == kCharacter) return characterFont_;
    if (role != Qt::DisplayRole && role != Qt::ForegroundRole) return {};
    const ResultRow row = list_.at(static_cast<size_t>(index.row()));
    if (role == Qt::DisplayRole) {
        switch (index.column()) {
            case kSort:
                return QString::fromLatin1(row.sortKey.data(), qsizetype(row.sortKey.size()));
            case kCharacter:
                return text(row.character);
            case kPinyin:
                return text(row.pinyin);
            case kTranslation:
                return text(row.translation);
            case kEquivalent:
                return text(row.equivalent);
        }
    } else if (role == Qt::ForegroundRole && row.colour != RowColour::Default) {
        return fromColourRef(colourValue(row.colour, 0));
    }
    return {};
}

QVariant ResultListModel::headerData(int section, Qt::Orientation orientation, int role) const {
    static const char* kTitles[] = {"Sort", "Character", "Pinyin", "Translation", "Equivalent"};
    if (role == Qt::DisplayRole && orientation == Qt::Horizontal && section >= 0 &&
        section < kColumns)
        return QString::fromLatin1(kTitles[section]);
    return {};
}

void ResultListModel::refresh() {
    // Rows keep their list order only once sorted, so the view is reset
    // rather than told about single insertions.
    beginResetModel();
    shownRows_ = list_.size();
    endResetModel();
}

void ResultListModel::rowsChanged() {
    if (shownRows_ == 0) return;
    emit dataChanged(index(0, 0), index(static_cast<int>(shownRows_) - 1, kColumns - 1));
}

ResultListView::ResultListView(const ResultList& list, QWidget* parent)
    : QTableView(parent), list_(list), model_(list) {
    setModel(&model_);
    setSelectionMode(QAbstractItemView::SingleSelection);
    setSelectionBehavior(QAbstractItemView::SelectRows);
    setEditTriggers(QAbstractItemView::NoEditTriggers);
    setShowGrid(true);
    setWordWrap(false);
    setFrameShape(QFrame::StyledPanel);
    setFrameShadow(QFrame::Sunken);
    verticalHeader()->hide();
    horizontalHeader()->setSectionResizeMode(QHeaderView::Interactive);
    horizontalHeader()->setHighlightSections(false);
    horizontalHeader()->setDefaultAlignment(Qt::AlignLeft | Qt::AlignVCenter);
    horizontalHeader()->setStretchLastSection(false);
    setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    setColumnHidden(kSort, true);
    setColumnHidden(kEquivalent, true);
    // The selection stays visible while the list has no focus.
    QPalette colours = palette();
    colours.setColor(QPalette::Inactive, QPalette::Highlight,
                     colours.color(QPalette::Active, QPalette::Highlight));
    colours.setColor(QPalette::Inactive, QPalette::HighlightedText,
                     colours.color(QPalette::Active, QPalette::HighlightedText));
    setPalette(colours);
    setColumnWidths(columnWidths(440));
    setFontHeight(fontHeight_);
}

void ResultListView::setColumnWidths(const std::array<int, 5>& widths) {
    for (int column : {kCharacter, kPinyin, kTranslation})
        setColumnWidth(column, widths[size_t(column)]);
}

void ResultListView::setFontHeight(int height) {
    fontHeight_ = height;
    verticalHeader()->setDefaultSectionSize(height + 3);
    // A Chinese character is as wide as its font's pixel size: that size
    // makes the characters sit where a double-click looks for them.
    QFont characters = font();
    characters.setPixelSize(characterWidth());
    model_.setCharacterFont(characters);
}

int ResultListView::characterWidth() const {
    return roundEven(fontHeight_ * 0.81);
}

char16_t ResultListView::characterAt(const std::u16string& cell, int index) {
    if (index < 0 || static_cast<size_t>(index) >= cell.size()) return 0;
    const char16_t c = cell[static_cast<size_t>(index)];
    return c >= 0x4000 ? c : 0;
}

void ResultListView::mousePressEvent(QMouseEvent* event) {
    const QModelIndex index = indexAt(event->position().toPoint());
    if (!index.isValid()) return;
    if (event->button() == Qt::RightButton) {
        const ResultRow row = list_.at(static_cast<size_t>(index.row()));
        const int x = event->position().toPoint().x();
        if (const char16_t c = characterAt(row.character, x / 15))
            emit characterRightClicked(c, event->globalPosition().toPoint());
        return;
    }
    QTableView::mousePressEvent(event);
}

void ResultListView::mouseDoubleClickEvent(QMouseEvent* event) {
    const QModelIndex index = indexAt(event->position().toPoint());
    if (!index.isValid() || event->button() != Qt::LeftButton) return;
    const int width = characterWidth();
    const int x = event->position().toPoint().x();
    const ResultRow row = list_.at(static_cast<size_t>(index.row()));
    if (const char16_t c = characterAt(row.character, (x - 4) / width))
        emit characterDoubleClicked(c);
}

void ResultListView::currentChanged(const QModelIndex& current, const QModelIndex& previous) {
    QTableView::currentChanged(current, previous);
    if (current.isValid()) emit rowSelected(current.row());
}

}  // namespace tulvo::dictionary
