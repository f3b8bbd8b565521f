#pragma once

#include <QColor>
#include <QHash>
#include <QTableWidget>

// The spreadsheet-style grid the windows are designed around, over QTableWidget:
// 1-based columns and rows (row 0 is the column header), text with CR LF line
// breaks, per-cell colours, a leave-cell event that can cancel the move, and numeric
// virtual-key codes (Enter 13, Up 38, F2 113 ...).
namespace worktide {

// What a leave-cell handler is told, and its one decision: the cursor is about to
// move from (col,row) to (newCol,newRow); cancel() keeps it where it was. A handler
// may instead send it elsewhere with SetActiveCell, which wins over cancel().
class LeaveCellEvent {
public:
    LeaveCellEvent(int col, int row, int newCol, int newRow)
        : m_col(col), m_row(row), m_newCol(newCol), m_newRow(newRow) {}

    int col() const { return m_col; }
    int row() const { return m_row; }
    int newCol() const { return m_newCol; }
    int newRow() const { return m_newRow; }
    void cancel() { m_cancelled = true; }
    bool isCancelled() const { return m_cancelled; }

private:
    int m_col;
    int m_row;
    int m_newCol;
    int m_newRow;
    bool m_cancelled = false;
};

class SpreadGrid : public QTableWidget {
    Q_OBJECT
public:
    explicit SpreadGrid(QWidget* parent = nullptr);

    int MaxCols() const { return columnCount(); }
    void SetMaxCols(int cols);
    int MaxRows() const { return rowCount(); }
    void SetMaxRows(int rows);
    // The last row that holds any text (0 when none).
    int DataRowCnt() const;

    // The text as stored (CR LF kept). Out of range or empty: false and "".
    bool GetText(int col, int row, QString& out) const;
    QString Text(int col, int row) const;
    // Row 0 sets the column header. Out-of-range cells are ignored.
    void SetText(int col, int row, const QString& text);
    // Cells of the column show map[text] instead of their text (texts not in the map
    // show as they are); GetText and Text still read the stored text.
    void SetColDisplayMap(int col, const QHash<QString, QString>& map);

    // col -1 colours the whole row. An invalid foreground colour restores the default.
    void SetBackColor(int col, int row, const QColor& color);
    void SetForeColor(int col, int row, const QColor& color);
    QColor BackColor(int col, int row) const; // invalid when not set
    QColor ForeColor(int col, int row) const; // invalid when not set

    // Removes text and formatting of the inclusive range.
    void ClearRange(int col1, int row1, int col2, int row2);

    int RowHeight(int row) const;
    void SetRowHeight(int row, int height);
    void SetColWidth(int col, int width);

    int ActiveCol() const;
    int ActiveRow() const;
    // Moves the cursor without raising the leave-cell event.
    void SetActiveCell(int col, int row);
    int TopRow() const;
    void SetTopRow(int row);

    void DeleteRows(int row, int count);

    // A read-only grid lets nobody change a cell; editable grids still keep
    // locked cells read-only.
    void SetReadOnly(bool readOnly);
    bool IsReadOnly() const { return m_readOnly; }
    void SetCellLocked(int col, int row, bool locked);
    // Whole rows selected one at a time, highlighted in the given colour.
    void SetRowSelect(const QColor& highlight);

    // Virtual-key code of a Qt key (0 when it has none).
    static int VirtualKeyOf(int qtKey);

signals:
    // The cursor is about to move; the handler may cancel the move (see LeaveCellEvent).
    // Only valid during the call.
    void LeaveCell(worktide::LeaveCellEvent* event);
    void Click(int col, int row);
    void DblClick(int col, int row);
    // A key with a virtual-key code, before the grid acts on it; shift holds
    // Shift 1, Ctrl 2, Alt 4.
    void KeyDown(int keyCode, int shift);
    // Enter, after KeyDown; the grid takes the key itself.
    void KeyPress(int keyAscii);

protected:
    void currentChanged(const QModelIndex& current, const QModelIndex& previous) override;
    void keyPressEvent(QKeyEvent* event) override;
    bool viewportEvent(QEvent* event) override;

private:
    // A key or a click selects the cell it aimed at after the cursor has moved; when the
    // leave-cell handler sent the cursor elsewhere, the highlight follows the cursor.
    void HighlightRedirectedCell();
    QTableWidgetItem* ItemAt(int col, int row, bool create);
    bool InRange(int col, int row) const;
    QString ShownText(int column0, const QString& raw) const;

    bool m_readOnly = false;
    bool m_inLeave = false;
    bool m_moving = false;
    int m_pendingCol = 0;
    int m_pendingRow = 0;
    bool m_redirected = false;
    QHash<int, QHash<QString, QString>> m_displayMaps; // by 0-based column
};

// Text of a cell; col or row -2 stands for the active column or row. "" when empty
// or out of range.
QString GetCellText(SpreadGrid* grid, int col, int row);
// Deletes one row (-2 = the active row); shrink cuts the grid to the rows holding
// data.
void DeleteGridRow(SpreadGrid* grid, int row, bool shrink);

} // namespace worktide
