#include "ui/list/ScheduleListView.h"

#include "ui/grid/SpreadGrid.h"
#include "ui/list/ScheduleListModel.h"

#include <QFontMetricsF>
#include <QHeaderView>
#include <QKeyEvent>

using namespace Qt::StringLiterals;

namespace worktide {

void ScheduleListDelegate::initStyleOption(QStyleOptionViewItem* option, const QModelIndex& index) const {
    QStyledItemDelegate::initStyleOption(option, index);
    if (index.column() != ScheduleListModel::kDetails)
        return;
    // The details show the lines their row holds (two in a row of the grid's height); when
    // more follow, the last one shown says so, and the memo pane beside shows them all.
    // The base has turned the line feeds into line separators by now.
    QStringList lines = option->text.split(QChar::LineSeparator);
    const int fit = qMax(1, static_cast<int>((option->rect.height() - 2) / QFontMetricsF(option->font).lineSpacing()));
    if (lines.size() <= fit)
        return;
    lines.resize(fit);
    lines.back() += u" …"_s;
    option->text = lines.join(QChar::LineSeparator);
}

ScheduleListView::ScheduleListView(QWidget* parent) : QTableView(parent) {
    verticalHeader()->hide();
    setWordWrap(false);
    setTextElideMode(Qt::ElideNone);
    setEditTriggers(QAbstractItemView::NoEditTriggers);
    setSelectionBehavior(QAbstractItemView::SelectRows);
    setSelectionMode(QAbstractItemView::SingleSelection);
    setItemDelegate(new ScheduleListDelegate(this));
    QPalette pal = palette();
    for (const QPalette::ColorGroup group : {QPalette::Active, QPalette::Inactive}) {
        pal.setColor(group, QPalette::Highlight, QColor(253, 226, 142));
        pal.setColor(group, QPalette::HighlightedText, Qt::black);
    }
    setPalette(pal);
    connect(this, &QAbstractItemView::clicked, this,
            [this](const QModelIndex& i) { emit Click(i.column() + 1, i.row() + 1); });
    connect(this, &QAbstractItemView::doubleClicked, this,
            [this](const QModelIndex& i) { emit DblClick(i.column() + 1, i.row() + 1); });
}

void ScheduleListView::SetListModel(ScheduleListModel* model) {
    m_model = model;
    setModel(model);
}

int ScheduleListView::MaxRows() const {
    return m_model ? m_model->rowCount() : 0;
}

QString ScheduleListView::Text(int col, int row) const {
    if (!m_model)
        return {};
    if (row == 0)
        return m_model->headerData(col - 1, Qt::Horizontal).toString();
    return m_model->StoredText(row - 1, col - 1);
}

QColor ScheduleListView::ForeColor(int col, int row) const {
    if (!m_model || col < 1 || col > ScheduleListModel::kColumns)
        return {};
    return m_model->RowColor(row - 1);
}

int ScheduleListView::ActiveCol() const {
    const QModelIndex i = currentIndex();
    return i.isValid() ? i.column() + 1 : 0;
}

int ScheduleListView::ActiveRow() const {
    const QModelIndex i = currentIndex();
    return i.isValid() ? i.row() + 1 : 0;
}

void ScheduleListView::SetActiveCell(int col, int row) {
    if (!m_model || m_model->rowCount() == 0)
        return;
    const QModelIndex i = m_model->index(qBound(1, row, MaxRows()) - 1,
                                         qBound(1, col, static_cast<int>(ScheduleListModel::kColumns)) - 1);
    selectionModel()->setCurrentIndex(i, QItemSelectionModel::ClearAndSelect | QItemSelectionModel::Rows);
}

void ScheduleListView::keyPressEvent(QKeyEvent* event) {
    const int code = SpreadGrid::VirtualKeyOf(event->key());
    const int shift = (event->modifiers() & Qt::ShiftModifier ? 1 : 0) |
                      (event->modifiers() & Qt::ControlModifier ? 2 : 0) |
                      (event->modifiers() & Qt::AltModifier ? 4 : 0);
    if (code != 0)
        emit KeyDown(code, shift);
    if (code == 13) {
        event->accept();
        return;
    }
    QTableView::keyPressEvent(event);
}

} // namespace worktide
