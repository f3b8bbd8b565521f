#include "ui/grid/SpreadGrid.h"

#include <QHeaderView>
#include <QKeyEvent>
#include <QScrollBar>

namespace worktide {
namespace {
constexpr int kRawTextRole = Qt::UserRole + 1;
constexpr int kLockedRole = Qt::UserRole + 2;

QString DisplayText(const QString& raw) {
    QString shown = raw;
    shown.remove(QLatin1Char('\r'));
    return shown;
}
} // namespace

SpreadGrid::SpreadGrid(QWidget* parent) : QTableWidget(parent) {
    verticalHeader()->hide();
    setWordWrap(false);
    setTextElideMode(Qt::ElideNone);
    setSelectionMode(QAbstractItemView::SingleSelection);
    setEditTriggers(QAbstractItemView::DoubleClicked | QAbstractItemView::EditKeyPressed |
                    QAbstractItemView::AnyKeyPressed);
    connect(this, &QTableWidget::cellClicked, this, [this](int r, int c) { emit Click(c + 1, r + 1); });
    connect(this, &QTableWidget::cellDoubleClicked, this, [this](int r, int c) { emit DblClick(c + 1, r + 1); });
    connect(this, &QTableWidget::itemChanged, this, [this](QTableWidgetItem* item) {
        // A user edit: keep the stored text in step with what was typed.
        const QString shown = item->data(Qt::DisplayRole).toString();
        if (ShownText(item->column(), item->data(kRawTextRole).toString()) != shown) {
            const QSignalBlocker block(this);
            item->setData(kRawTextRole, shown);
        }
    });
}

void SpreadGrid::SetMaxCols(int cols) {
    setColumnCount(qMax(0, cols));
}

void SpreadGrid::SetMaxRows(int rows) {
    setRowCount(qMax(0, rows));
}

int SpreadGrid::DataRowCnt() const {
    for (int r = rowCount() - 1; r >= 0; --r)
        for (int c = 0; c < columnCount(); ++c)
            if (const QTableWidgetItem* it = item(r, c); it && !it->data(kRawTextRole).toString().isEmpty())
                return r + 1;
    return 0;
}

bool SpreadGrid::InRange(int col, int row) const {
    return col >= 1 && row >= 1 && col <= columnCount() && row <= rowCount();
}

QTableWidgetItem* SpreadGrid::ItemAt(int col, int row, bool create) {
    if (!InRange(col, row))
        return nullptr;
    QTableWidgetItem* it = item(row - 1, col - 1);
    if (!it && create) {
        it = new QTableWidgetItem;
        if (m_readOnly)
            it->setFlags(it->flags() & ~Qt::ItemIsEditable);
        setItem(row - 1, col - 1, it);
    }
    return it;
}

bool SpreadGrid::GetText(int col, int row, QString& out) const {
    out.clear();
    if (row == 0 && col >= 1 && col <= columnCount()) {
        if (const QTableWidgetItem* h = horizontalHeaderItem(col - 1))
            out = h->text();
        return true;
    }
    if (!InRange(col, row))
        return false;
    if (const QTableWidgetItem* it = item(row - 1, col - 1))
        out = it->data(kRawTextRole).toString();
    return true;
}

QString SpreadGrid::Text(int col, int row) const {
    QString out;
    GetText(col, row, out);
    return out;
}

void SpreadGrid::SetText(int col, int row, const QString& text) {
    if (row == 0) {
        if (col >= 1 && col <= columnCount())
            setHorizontalHeaderItem(col - 1, new QTableWidgetItem(text));
        return;
    }
    if (!InRange(col, row))
        return;
    const QSignalBlocker block(this);
    QTableWidgetItem* it = item(row - 1, col - 1);
    const bool isNew = !it;
    if (isNew) {
        it = new QTableWidgetItem;
        if (m_readOnly)
            it->setFlags(it->flags() & ~Qt::ItemIsEditable);
    }
    it->setData(kRawTextRole, text);
    it->setData(Qt::DisplayRole, ShownText(col - 1, text));
    // A new item is filled before it joins the table: the model then announces one
    // change instead of three, which counts when a list of thousands of rows is filled.
    if (isNew)
        setItem(row - 1, col - 1, it);
}

QString SpreadGrid::ShownText(int column0, const QString& raw) const {
    if (!m_displayMaps.isEmpty()) {
        const auto map = m_displayMaps.constFind(column0);
        if (map != m_displayMaps.cend()) {
            const auto shown = map->constFind(raw);
            if (shown != map->cend())
                return *shown;
        }
    }
    return DisplayText(raw);
}

void SpreadGrid::SetColDisplayMap(int col, const QHash<QString, QString>& map) {
    if (col < 1 || col > columnCount() || m_displayMaps.value(col - 1) == map)
        return;
    if (map.isEmpty())
        m_displayMaps.remove(col - 1);
    else
        m_displayMaps.insert(col - 1, map);
    const QSignalBlocker block(this);
    for (int r = 0; r < rowCount(); ++r)
        if (QTableWidgetItem* it = item(r, col - 1))
            it->setData(Qt::DisplayRole, ShownText(col - 1, it->data(kRawTextRole).toString()));
}

void SpreadGrid::SetBackColor(int col, int row, const QColor& color) {
    if (col == -1) {
        for (int c = 1; c <= columnCount(); ++c)
            SetBackColor(c, row, color);
        return;
    }
    if (QTableWidgetItem* it = ItemAt(col, row, true))
        it->setBackground(color);
}

void SpreadGrid::SetForeColor(int col, int row, const QColor& color) {
    if (col == -1) {
        for (int c = 1; c <= columnCount(); ++c)
            SetForeColor(c, row, color);
        return;
    }
    if (QTableWidgetItem* it = ItemAt(col, row, color.isValid())) {
        if (color.isValid())
            it->setForeground(color);
        else if (it->data(Qt::ForegroundRole).isValid())
            it->setData(Qt::ForegroundRole, QVariant());
    }
}

QColor SpreadGrid::BackColor(int col, int row) const {
    if (!InRange(col, row))
        return {};
    const QTableWidgetItem* it = item(row - 1, col - 1);
    return it && it->background().style() != Qt::NoBrush ? it->background().color() : QColor();
}

QColor SpreadGrid::ForeColor(int col, int row) const {
    if (!InRange(col, row))
        return {};
    const QTableWidgetItem* it = item(row - 1, col - 1);
    return it && it->foreground().style() != Qt::NoBrush ? it->foreground().color() : QColor();
}

void SpreadGrid::ClearRange(int col1, int row1, int col2, int row2) {
    col1 = qMax(1, col1);
    row1 = qMax(1, row1);
    col2 = qMin(columnCount(), col2);
    row2 = qMin(rowCount(), row2);
    for (int r = row1; r <= row2; ++r)
        for (int c = col1; c <= col2; ++c) {
            QTableWidgetItem* it = item(r - 1, c - 1);
            if (!it)
                continue;
            const bool locked = it->data(kLockedRole).toBool();
            delete takeItem(r - 1, c - 1);
            if (locked)
                SetCellLocked(c, r, true);
        }
}

int SpreadGrid::RowHeight(int row) const {
    return row >= 1 && row <= rowCount() ? rowHeight(row - 1) : 0;
}

void SpreadGrid::SetRowHeight(int row, int height) {
    if (row >= 1 && row <= rowCount())
        setRowHeight(row - 1, height);
}

void SpreadGrid::SetColWidth(int col, int width) {
    if (col >= 1 && col <= columnCount())
        setColumnWidth(col - 1, width);
}

int SpreadGrid::ActiveCol() const {
    if (m_inLeave && m_pendingCol > 0)
        return m_pendingCol;
    const QModelIndex idx = currentIndex();
    return idx.isValid() ? idx.column() + 1 : 0;
}

int SpreadGrid::ActiveRow() const {
    if (m_inLeave && m_pendingRow > 0)
        return m_pendingRow;
    const QModelIndex idx = currentIndex();
    return idx.isValid() ? idx.row() + 1 : 0;
}

void SpreadGrid::SetActiveCell(int col, int row) {
    if (m_inLeave) {
        // Applied once the leave-cell handler has returned.
        m_pendingCol = col;
        m_pendingRow = row;
        return;
    }
    col = qBound(1, col, qMax(1, columnCount()));
    row = qBound(1, row, qMax(1, rowCount()));
    if (!InRange(col, row))
        return;
    m_moving = true;
    setCurrentCell(row - 1, col - 1);
    m_moving = false;
}

int SpreadGrid::TopRow() const {
    const int r = rowAt(0);
    return r < 0 ? 1 : r + 1;
}

void SpreadGrid::SetTopRow(int row) {
    row = qBound(1, row, qMax(1, rowCount()));
    if (row <= rowCount())
        scrollTo(model()->index(row - 1, qMax(0, currentColumn())), QAbstractItemView::PositionAtTop);
}

void SpreadGrid::DeleteRows(int row, int count) {
    for (int i = 0; i < count && row >= 1 && row <= rowCount(); ++i)
        removeRow(row - 1);
}

void SpreadGrid::SetReadOnly(bool readOnly) {
    m_readOnly = readOnly;
    setEditTriggers(readOnly ? QAbstractItemView::NoEditTriggers
                             : QAbstractItemView::DoubleClicked | QAbstractItemView::EditKeyPressed |
                                   QAbstractItemView::AnyKeyPressed);
    for (int r = 0; r < rowCount(); ++r)
        for (int c = 0; c < columnCount(); ++c)
            if (QTableWidgetItem* it = item(r, c); it && !it->data(kLockedRole).toBool())
                it->setFlags(readOnly ? it->flags() & ~Qt::ItemIsEditable : it->flags() | Qt::ItemIsEditable);
}

void SpreadGrid::SetCellLocked(int col, int row, bool locked) {
    QTableWidgetItem* it = ItemAt(col, row, true);
    if (!it)
        return;
    it->setData(kLockedRole, locked);
    it->setFlags(locked || m_readOnly ? it->flags() & ~Qt::ItemIsEditable : it->flags() | Qt::ItemIsEditable);
}

void SpreadGrid::SetRowSelect(const QColor& highlight) {
    setSelectionBehavior(QAbstractItemView::SelectRows);
    setSelectionMode(QAbstractItemView::SingleSelection);
    QPalette pal = palette();
    pal.setColor(QPalette::Active, QPalette::Highlight, highlight);
    pal.setColor(QPalette::Inactive, QPalette::Highlight, highlight);
    pal.setColor(QPalette::Active, QPalette::HighlightedText, Qt::black);
    pal.setColor(QPalette::Inactive, QPalette::HighlightedText, Qt::black);
    setPalette(pal);
}

void SpreadGrid::currentChanged(const QModelIndex& current, const QModelIndex& previous) {
    if (m_moving || m_inLeave || !previous.isValid() || !current.isValid() || current == previous) {
        QTableWidget::currentChanged(current, previous);
        return;
    }
    LeaveCellEvent leave(previous.column() + 1, previous.row() + 1, current.column() + 1, current.row() + 1);
    m_inLeave = true;
    m_pendingCol = 0;
    m_pendingRow = 0;
    emit LeaveCell(&leave);
    m_inLeave = false;
    int targetCol = current.column() + 1;
    int targetRow = current.row() + 1;
    if (m_pendingCol > 0 && m_pendingRow > 0) {
        targetCol = m_pendingCol;
        targetRow = m_pendingRow;
    } else if (leave.isCancelled()) {
        targetCol = previous.column() + 1;
        targetRow = previous.row() + 1;
    }
    QTableWidget::currentChanged(current, previous);
    if (targetCol != current.column() + 1 || targetRow != current.row() + 1) {
        SetActiveCell(targetCol, targetRow);
        m_redirected = true;
    }
}

void SpreadGrid::HighlightRedirectedCell() {
    if (!m_redirected)
        return;
    m_redirected = false;
    const QModelIndex idx = currentIndex();
    if (idx.isValid() && selectionModel())
        selectionModel()->select(idx, selectionCommand(idx, nullptr));
}

bool SpreadGrid::viewportEvent(QEvent* event) {
    const bool handled = QTableWidget::viewportEvent(event);
    HighlightRedirectedCell();
    return handled;
}

int SpreadGrid::VirtualKeyOf(int qtKey) {
    switch (qtKey) {
    case Qt::Key_Return:
    case Qt::Key_Enter:
        return 13;
    case Qt::Key_Escape:
        return 27;
    case Qt::Key_Tab:
        return 9;
    case Qt::Key_Backspace:
        return 8;
    case Qt::Key_Space:
        return 32;
    case Qt::Key_PageUp:
        return 33;
    case Qt::Key_PageDown:
        return 34;
    case Qt::Key_End:
        return 35;
    case Qt::Key_Home:
        return 36;
    case Qt::Key_Left:
        return 37;
    case Qt::Key_Up:
        return 38;
    case Qt::Key_Right:
        return 39;
    case Qt::Key_Down:
        return 40;
    case Qt::Key_Delete:
        return 46;
    default:
        break;
    }
    if (qtKey >= Qt::Key_F1 && qtKey <= Qt::Key_F12)
        return 112 + (qtKey - Qt::Key_F1);
    if ((qtKey >= Qt::Key_0 && qtKey <= Qt::Key_9) || (qtKey >= Qt::Key_A && qtKey <= Qt::Key_Z))
        return qtKey;
    return 0;
}

void SpreadGrid::keyPressEvent(QKeyEvent* event) {
    const int code = VirtualKeyOf(event->key());
    const int shift = (event->modifiers() & Qt::ShiftModifier ? 1 : 0) |
                      (event->modifiers() & Qt::ControlModifier ? 2 : 0) |
                      (event->modifiers() & Qt::AltModifier ? 4 : 0);
    if (code != 0)
        emit KeyDown(code, shift);
    if (code == 13) {
        emit KeyPress(13);
        event->accept();
        return;
    }
    QTableWidget::keyPressEvent(event);
    HighlightRedirectedCell();
}

QString GetCellText(SpreadGrid* grid, int col, int row) {
    if (!grid)
        return {};
    if (col == -2)
        col = grid->ActiveCol();
    if (row == -2)
        row = grid->ActiveRow();
    QString out;
    return grid->GetText(col, row, out) ? out : QString();
}

void DeleteGridRow(SpreadGrid* grid, int row, bool shrink) {
    if (!grid)
        return;
    if (row == -2)
        row = grid->ActiveRow();
    grid->DeleteRows(row, 1);
    if (shrink)
        grid->SetMaxRows(grid->DataRowCnt());
    grid->viewport()->update();
}

} // namespace worktide
