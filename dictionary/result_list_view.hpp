// The result list on screen: a table over the ResultList, with the hidden
// Sort and Equivalent columns, row colours and the character clicks.
#pragma once

#include <QAbstractTableModel>
#include <QFont>
#include <QTableView>
#include <array>

#include "dictionary/result_list.hpp"

namespace tulvo::dictionary {

class ResultListModel : public QAbstractTableModel {
    Q_OBJECT
  public:
    explicit ResultListModel(const ResultList& list, QObject* parent = nullptr);

    int rowCount(const QModelIndex& parent = {}) const override;
    int columnCount(const QModelIndex& parent = {}) const override;
    QVariant data(const QModelIndex& index, int role) const override;
    QVariant headerData(int section, Qt::Orientation orientation, int role) const override;

    // Shows the list as it is now (rows are added during a search).
    void refresh();
    // Repaints every row after values or colours changed in place; keeps the
    // selection.
    void rowsChanged();
    // The font of the Character column.
    void setCharacterFont(const QFont& font) { characterFont_ = font; }

  private:
    const ResultList& list_;
    size_t shownRows_ = 0;
    QFont characterFont_;
};

class ResultListView : public QTableView {
    Q_OBJECT
  public:
    ResultListView(const ResultList& list, QWidget* parent);

    ResultListModel& resultModel() { return model_; }
    void setColumnWidths(const std::array<int, 5>& widths);
    // The list font's cell height in pixels; double-clicks measure characters
    // with it. The Character column draws Chinese characters that wide.
    void setFontHeight(int height);
    // Pixels per Chinese character in the Character column.
    int characterWidth() const;
    // The character of the row's Character cell under a click at x, or 0.
    static char16_t characterAt(const std::u16string& cell, int index);

  signals:
    void characterDoubleClicked(char16_t character);
    void characterRightClicked(char16_t character, QPoint globalPosition);
    void rowSelected(int row);

  protected:
    void mousePressEvent(QMouseEvent* event) override;
    void mouseDoubleClickEvent(QMouseEvent* event) override;
    void currentChanged(const QModelIndex& current, const QModelIndex& previous) override;

  private:
    const ResultList& list_;
    ResultListModel model_;
    int fontHeight_ = 19;
};

}  // namespace tulvo::dictionary
