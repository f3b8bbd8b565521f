#include "ui/list/ListTab.h"

#include "ui/shared/ShowMessages.h"

#include "db/modMySQL_Func_lite.h"
#include "support/Clock.h"
#include "support/Globals.h"
#include "support/VbError.h"
#include "ui/grid/Fonts.h"
#include "ui/list/ScheduleListModel.h"
#include "ui/list/ScheduleListView.h"
#include "ui/shared/TabFeed.h"
#include "ui/shared/modFloatMsg.h"
#include "ui/shared/modMsgBox.h"

#include <QComboBox>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLineEdit>
#include <QMouseEvent>
#include <QPlainTextEdit>
#include <QPointer>
#include <QScrollBar>
#include <QSplitter>
#include <QTimer>
#include <QVBoxLayout>

using namespace Qt::StringLiterals;

namespace worktide {
namespace {
const ProcErrorReporter ReportError{u"Form"_s, u"FrmMain"_s};
const QString kKeywordHint = u"(검색어: 제목)"_s;

// Keeps the view unpainted while its rows are replaced, whatever happens.
class QuietView {
public:
    explicit QuietView(QAbstractItemView* view) : m_view(view), m_updates(view->updatesEnabled()) {
        m_view->setUpdatesEnabled(false);
    }
    ~QuietView() {
        m_view->setUpdatesEnabled(m_updates);
        m_view->viewport()->update();
    }
    QuietView(const QuietView&) = delete;
    QuietView& operator=(const QuietView&) = delete;

private:
    QAbstractItemView* m_view;
    bool m_updates;
};

// The list row a rebuild keeps in place, by its entry: the row under the pointer (a click
// queued during the rebuild is aimed at it), else the top row shown.
struct ListAnchor {
    QString seq;
    int y = 0; // its top edge in the viewport
    int row = -1;
};

ListAnchor AnchorOf(const ScheduleListView* view, const std::optional<QPoint>& pointer) {
    ListAnchor anchor;
    const bool over = pointer && view->viewport()->rect().contains(*pointer);
    int row = over ? view->rowAt(pointer->y()) : -1;
    if (row < 0) // not over a row (below the last one, say): the top row
        row = view->rowAt(0);
    if (row < 0)
        return anchor;
    anchor.row = row;
    anchor.y = view->rowViewportPosition(row);
    anchor.seq = view->Text(ListTab::kColSeq, row + 1);
    return anchor;
}

// Scrolls so that the row of the anchor's entry is where the anchor was. A row that is gone
// leaves the scroll where it was.
void RestoreAnchor(ScheduleListView* view, const ListAnchor& anchor, int oldTop) {
    QScrollBar* bar = view->verticalScrollBar();
    bar->setValue(oldTop);
    if (anchor.seq.isEmpty())
        return;
    const int row = view->ListModel()->RowOfSeq(anchor.seq);
    if (row < 0)
        return;
    if (view->verticalScrollMode() == QAbstractItemView::ScrollPerItem)
        bar->setValue(oldTop + (row - anchor.row));
    else
        bar->setValue(oldTop + view->rowViewportPosition(row) - anchor.y);
}
} // namespace

ListTab::ListTab(QWidget* parent) : QWidget(parent) {
    setObjectName(u"ListTab"_s);
    auto* layout = new QVBoxLayout(this);
    auto* top = new QHBoxLayout;
    txtKeyWord = new QLineEdit(kKeywordHint);
    txtKeyWord->setObjectName(u"txtKeyWord"_s);
    txtKeyWord->setMinimumWidth(200);
    top->addWidget(txtKeyWord, 1);
    layout->addLayout(top);

    auto* splitter = new QSplitter(Qt::Horizontal);
    m_model = new ScheduleListModel(this);
    spList = new ScheduleListView;
    spList->setObjectName(u"spList"_s);
    spList->setFont(FixedPitchKoreanFont(9));
    spList->SetListModel(m_model);
    const int widths[] = {40, 80, 260, 160, 90, 60, 90, 60, 90, 50};
    for (int c = 0; c < ScheduleListModel::kColumns; ++c)
        spList->setColumnWidth(c, widths[c]);
    splitter->addWidget(spList);
    txtMemo = new QPlainTextEdit;
    txtMemo->setObjectName(u"txtMemo"_s);
    txtMemo->setReadOnly(true);
    splitter->addWidget(txtMemo);
    splitter->setStretchFactor(0, 3);
    splitter->setStretchFactor(1, 1);
    layout->addWidget(splitter, 1);

    connect(spList, &ScheduleListView::Click, this, &ListTab::spList_Click);
    connect(spList, &ScheduleListView::DblClick, this, &ListTab::spList_DblClick);
    connect(spList, &ScheduleListView::KeyDown, this, [this](int keyCode, int) {
        if (keyCode == 13)
            spList_DblClick(spList->ActiveCol(), spList->ActiveRow());
    });
    connect(spList->selectionModel(), &QItemSelectionModel::currentRowChanged, this,
            [this](const QModelIndex& current, const QModelIndex& previous) {
                if (current.isValid() && current.row() != previous.row())
                    ShowRowMemo(current.row() + 1);
            });
    // Enter in the keyword box, and the box taking the focus.
    txtKeyWord->installEventFilter(this);
    // The pointer over the list, which a rebuild by a check keeps on its entry.
    spList->viewport()->setMouseTracking(true);
    spList->viewport()->installEventFilter(this);
    m_viewport = spList->viewport();
}

ListTab::~ListTab() = default;

void ListTab::PlaceFilters(QComboBox* owner, QWidget* myName, QComboBox* category, QComboBox* finish, QWidget* add,
                           QWidget* close) {
    m_owner = owner;
    m_category = category;
    m_finish = finish;
    auto* top = static_cast<QHBoxLayout*>(static_cast<QVBoxLayout*>(layout())->itemAt(0)->layout());
    int at = 0;
    for (QWidget* w : std::initializer_list<QWidget*>{owner, myName, category, finish})
        top->insertWidget(at++, w);
    top->addWidget(add);
    top->addWidget(close);
}

bool ListTab::eventFilter(QObject* watched, QEvent* event) {
    // Compared, never followed: the filter also sees the viewport's last events while the
    // tab's children are being destroyed.
    if (watched == m_viewport) {
        if (event->type() == QEvent::MouseMove || event->type() == QEvent::MouseButtonPress)
            m_pointer = static_cast<QMouseEvent*>(event)->position().toPoint();
        else if (event->type() == QEvent::Leave)
            m_pointer.reset();
        return QWidget::eventFilter(watched, event);
    }
    if (watched == txtKeyWord) {
        if (event->type() == QEvent::FocusIn) {
            txtKeyWord_GotFocus();
        } else if (event->type() == QEvent::KeyPress) {
            const int key = static_cast<QKeyEvent*>(event)->key();
            if (key == Qt::Key_Return || key == Qt::Key_Enter) {
                emit keywordEntered();
                return true;
            }
        }
    }
    return QWidget::eventFilter(watched, event);
}

ListFilter ListTab::FilterFor(const QString& owner, int finishIndex, const QString& category) const {
    ListFilter f;
    f.owner = owner;
    const QString keyword = txtKeyWord->text();
    if (keyword != kKeywordHint)
        f.keyword = keyword;
    f.finished = static_cast<FinishedFilter>(finishIndex);
    if (category != u"(전체구분)"_s)
        f.category = category;
    return f;
}

void ListTab::Load(const ListFilter& filter) {
    m_sql = MakeScheduleListSQL(filter.owner, filter.keyword, filter.finished, filter.category);
    m_where = MakeScheduleListWhere(filter.owner, filter.keyword, filter.finished, filter.category);
    m_shown = filter;
    Fill(false);
}

void ListTab::Load() {
    Load(FilterFor(m_owner ? m_owner->currentText() : QString(), m_finish ? m_finish->currentIndex() : 0,
                   m_category ? m_category->currentText() : QString()));
}

bool ListTab::ShownQuery(QString& where, QString& sql) const {
    where = m_where;
    sql = m_sql;
    return !sql.isEmpty();
}

void ListTab::Fill(bool byKey) {
    RecordsetPtr rs;
    const bool background = m_feed && m_feed->InBackground();
    try {
        qint32 found = 0;
        if (!OpenTabRows(m_feed, kTab, m_where, m_sql, rs, found))
            return;
        const size_t rowsHash = rs ? rs->ValuesHash() : 0;
        // A failed statement (-1, already reported by the connection) counts as nothing found.
        const int rows = found > 0 && rs ? rs->RecordCount() : 0;
        if (rows == 0) {
            m_model->Clear();
            txtMemo->clear();
            CloseRecordset(rs);
            if (m_feed) {
                if (found >= 0)
                    m_feed->NoteLoaded(kTab, m_where, rowsHash, found);
                else
                    m_feed->NoteFailed(kTab, true);
            }
            // Nobody asked a check for its result: it says nothing.
            if (window()->isVisible() && !background)
                ShowFloatMsg(u"검색된 결과가 없습니다."_s, 500, true, 0xFFFF00);
            return;
        }

        const ScheduleRowReader reader(*rs);
        std::vector<ScheduleRow> entries;
        entries.reserve(static_cast<std::size_t>(rows));
        for (int r = 0; r < rows && !rs->isEOF(); ++r) {
            entries.push_back(reader.Read(*rs));
            rs->MoveNext();
        }
        CloseRecordset(rs);
        {
            const QuietView quiet(spList);
            if (byKey)
                m_model->Rebuild(std::move(entries), Today());
            else
                m_model->Reset(std::move(entries), Today());
        }
        if (m_feed)
            m_feed->NoteLoaded(kTab, m_where, rowsHash, found);
        if (background)
            return; // the check puts the cursor back where it was
        spList->SetActiveCell(1, 1);
        ShowRowMemo(1);
        if (window()->isVisible())
            spList->setFocus();
    } catch (const std::exception& e) {
        // The list never shows half a result.
        m_model->Clear();
        ReportProcError(e, u"Refresh_Sheet2"_s, u"Form"_s, u"FrmViewer"_s);
    }
    CloseRecordset(rs);
}

void ListTab::Recheck(bool) {
    const int row = spList->ActiveRow();
    const int col = qMax(1, spList->ActiveCol());
    const QString seq = row >= 1 ? spList->Text(kColSeq, row) : QString();
    const int top = spList->verticalScrollBar()->value();
    const int left = spList->horizontalScrollBar()->value();
    const ListAnchor anchor = AnchorOf(spList, m_pointer);
    Fill(true);
    const int rows = spList->MaxRows();
    if (rows == 0) {
        txtMemo->clear();
        return;
    }
    // The entry that was selected, wherever it moved; when it is gone, the row that took
    // its place.
    int found = qMin(qMax(row, 1), rows);
    if (!seq.isEmpty())
        if (const int at = m_model->RowOfSeq(seq); at >= 0)
            found = at + 1;
    spList->SetActiveCell(col, found);
    ShowRowMemo(found);
    spList->doItemsLayout(); // the scroll range of the new rows, before the old position is put back
    // Anchored by entry, not by pixels: rows added or removed above the one the user is
    // pointing at do not move it.
    RestoreAnchor(spList, anchor, top);
    spList->horizontalScrollBar()->setValue(left);
}

void ListTab::ShowRowMemo(int row) {
    // The details are stored with CR LF; the memo box wants bare line feeds.
    QString text = spList->Text(kColDetails, row);
    text.replace(u"\r\n"_s, u"\n"_s);
    txtMemo->setPlainText(text);
}

void ListTab::spList_Click(int col, int row) {
    try {
        if (col != kColFinished || row < 1 || m_shown.owner != gUserName)
            return;
        const int seq = spList->Text(kColSeq, row).toInt();
        if (seq <= 0)
            return;
        const int state = spList->Text(kColFinished, row).trimmed().toInt();
        const int newState = ToggledFinished(state);
        // No row changed: either the entry already holds that state (set elsewhere) or it is gone.
        const EntryWrite outcome = EntryWriteOutcome(seq, SetScheduleFinished(seq, newState));
        ShowDbFailures();
        if (outcome == EntryWrite::Done || outcome == EntryWrite::Unchanged)
            m_model->SetFinished(row - 1, QString::number(newState));
        else if (outcome == EntryWrite::Gone)
            ShowInfoMsg(kDeletedElsewhere.toString(), QString());
        else
            ShowInfoMsg(u"완료처리도중 오류가 발생하였습니다."_s, QString());
    } catch (const std::exception& e) {
        ReportError(e, u"spList_Click"_s);
    }
}

void ListTab::spList_DblClick(int, int row) {
    try {
        if (row < 1)
            return;
        const int seq = spList->Text(kColSeq, row).toInt();
        // A row without an entry (an empty list) has nothing to open.
        if (seq > 0)
            emit openRequested(seq);
    } catch (const std::exception& e) {
        ReportError(e, u"spList_DblClick"_s);
    }
}

void ListTab::txtKeyWord_GotFocus() {
    txtKeyWord->setSelection(0, static_cast<int>(txtKeyWord->text().size()));
    // A click that gave the focus would place the caret right after; select again once
    // the click has been handled.
    QPointer<QLineEdit> box = txtKeyWord;
    QTimer::singleShot(0, txtKeyWord, [box] {
        if (box && box->hasFocus())
            box->selectAll();
    });
}

} // namespace worktide
