#pragma once

#include <QColor>
#include <QStyledItemDelegate>
#include <QTableView>

// The search list's grid over ScheduleListModel: whole rows selected one at a time, read
// only, with the grid's signals (1-based columns and rows, numeric virtual-key codes) and
// small readers of what it shows.
namespace worktide {

class ScheduleListModel;

// Paints the list's cells: the row's colour and the check mark of the finished column come
// from the model's roles; the details show the lines their row has room for.
class ScheduleListDelegate : public QStyledItemDelegate {
    Q_OBJECT
public:
    using QStyledItemDelegate::QStyledItemDelegate;

protected:
    void initStyleOption(QStyleOptionViewItem* option, const QModelIndex& index) const override;
};

class ScheduleListView : public QTableView {
    Q_OBJECT
public:
    explicit ScheduleListView(QWidget* parent = nullptr);

    void SetListModel(ScheduleListModel* model);
    ScheduleListModel* ListModel() const { return m_model; }

    int MaxRows() const;
    // The stored text of a cell (row 0: the caption); "" out of range.
    QString Text(int col, int row) const;
    QColor ForeColor(int col, int row) const; // invalid = default
    int ActiveCol() const;
    int ActiveRow() const;
    // Moves the cursor and the highlight.
    void SetActiveCell(int col, int row);

signals:
    void Click(int col, int row);
    void DblClick(int col, int row);
    // A key with a virtual-key code, before the view acts on it; shift holds Shift 1,
    // Ctrl 2, Alt 4. The view takes Enter itself.
    void KeyDown(int keyCode, int shift);

protected:
    void keyPressEvent(QKeyEvent* event) override;

private:
    ScheduleListModel* m_model = nullptr;
};

} // namespace worktide
