// The search list tab: every entry of one owner, narrowed by keyword, state and
// category, sorted by due date; completion toggle and opening from the list.
#include "ui/main/FrmMain.h"

#include "ui/shared/modFloatMsg.h"
#include "ui/shared/modMsgBox.h"
#include "db/modMySQL_Func_lite.h"
#include "db/modSchedule.h"
#include "support/Clock.h"
#include "support/Globals.h"
#include "support/VbError.h"
#include "ui/grid/SpreadGrid.h"
#include "ui/main/CalendarLayout.h"
#include "ui/main/LiveRefresh.h"
#include "ui/shared/ShowMessages.h"

#include <QComboBox>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPoint>
#include <QPointer>
#include <QScrollBar>
#include <QTimer>

#include <array>
#include <optional>

using namespace Qt::StringLiterals;

namespace worktide {
namespace {
const ProcErrorReporter ReportError{QStringLiteral("Form"), QStringLiteral("FrmMain")};
}
namespace {

constexpr int kColFinished = 1;
constexpr int kColCategory = 2;
constexpr int kColTitle = 3;
constexpr int kColDetails = 4;
constexpr int kColSdate = 5;
constexpr int kColSdays = 6;
constexpr int kColEdate = 7;
constexpr int kColEdays = 8;
constexpr int kColWdate = 9;
constexpr int kColSeq = 10;
constexpr int kListCols = 10;

const QColor kOverdueColor(255, 0, 0);
const QColor kSoonColor(0, 0, 255);

// Days from today to the date of the text, or "" when the text holds no date.
QString DaysFromToday(const QString& dateText, const QDate& today) {
    const QDate date = calendar::ParseDateText(dateText);
    return date.isValid() ? QString::number(today.daysTo(date)) : QString();
}

// Text colour of a list row, from the texts of its columns 1, 5, 6 and 8 (invalid =
// the grid's default). A start date that is not a date gives no day count and so
// no colour.
QColor ListRowColor(const QString& finished, const QString& sdate, const QString& sdays, const QString& edays) {
    if (finished.trimmed().toInt() == 1)
        return {};
    if (!edays.isEmpty() && edays.toInt() < 0)
        return kOverdueColor;
    if (!sdays.isEmpty() && sdays.toInt() <= 7 && !sdate.isEmpty())
        return kSoonColor;
    return {};
}

// Keeps the grid unpainted and its signals quiet while it is filled, whatever happens.
class QuietGrid {
public:
    explicit QuietGrid(SpreadGrid* grid) : m_grid(grid), m_updates(grid->updatesEnabled()), m_block(grid) {
        m_grid->setUpdatesEnabled(false);
    }
    ~QuietGrid() {
        m_block.unblock();
        m_grid->setUpdatesEnabled(m_updates);
        m_grid->viewport()->update();
    }
    QuietGrid(const QuietGrid&) = delete;
    QuietGrid& operator=(const QuietGrid&) = delete;

private:
    SpreadGrid* m_grid;
    bool m_updates;
    QSignalBlocker m_block;
};

} // namespace

namespace {
// What the list selects: the filters of tab 1.
struct ListSelection {
    QString owner, keyword;
    FinishedFilter finished = FinishedFilter::All;
    std::optional<QString> category;
};

ListSelection SelectionOf(const FrmMain& form) {
    ListSelection s;
    s.owner = form.cmbUser[1]->currentText();
    const QString keyword = form.txtKeyWord->text();
    if (keyword != u"(검색어: 제목)"_s)
        s.keyword = keyword;
    s.finished = static_cast<FinishedFilter>(form.cmbFinish[1]->currentIndex());
    const QString category = form.cmbCategory[1]->currentText();
    if (category != u"(전체구분)"_s)
        s.category = category;
    return s;
}
} // namespace

// The list tab's statement from its filters; the calendar export selects the same entries.
QString FrmMain::ListStatement() const {
    const ListSelection s = SelectionOf(*this);
    return MakeScheduleListSQL(s.owner, s.keyword, s.finished, s.category);
}

void FrmMain::Refresh_Sheet2() {
    const ListSelection s = SelectionOf(*this);
    m_listSql = MakeScheduleListSQL(s.owner, s.keyword, s.finished, s.category);
    m_listWhere = MakeScheduleListWhere(s.owner, s.keyword, s.finished, s.category);
    FillList();
}

void FrmMain::FillList() {
    RecordsetPtr rs;
    const bool background = m_live->InBackground();
    try {
        // Column 1 reads 0 or 1 for the toggle; the eye gets a check mark.
        spList->SetColDisplayMap(kColFinished, {{u"1"_s, u"✔"_s}, {u"0"_s, QString()}});

        const qint32 found = m_live->OpenRows(rs, m_listSql);
        if (found < 0 && m_live->KeepsShownOnFailure(1, m_listWhere)) {
            // What is shown stays, marked stale, when the database does not answer.
            CloseRecordset(rs);
            m_live->NoteFailed(1);
            return;
        }
        const size_t rowsHash = rs ? rs->ValuesHash() : 0;
        // A failed statement (-1, already reported by the connection) counts as nothing found.
        const int rows = found > 0 && rs ? rs->RecordCount() : 0;
        if (rows == 0) {
            spList->SetMaxRows(0);
            CloseRecordset(rs);
            if (found >= 0)
                m_live->NoteLoaded(1, m_listWhere, rowsHash, found);
            else
                m_live->NoteFailed(1, true);
            // Nobody asked a check for its result: it says nothing.
            if (isVisible() && !background)
                ShowFloatMsg(u"검색된 결과가 없습니다."_s, 500, true, 0xFFFF00);
            return;
        }

        const ScheduleRowReader reader(*rs);

        const QDate today = Today();
        {
            QuietGrid quiet(spList);
            // The rows of the last list are reused rather than emptied first: freeing and
            // allocating the cells of thousands of rows would cost more than the query.
            spList->SetMaxRows(rows);
            // Cells need not be announced one by one: nothing is painted until the fill
            // ends, and the view reads the cells afresh then.
            const QSignalBlocker quietModel(spList->model());
            std::array<QString, kListCols> cells;
            for (int r = 1; r <= rows && !rs->isEOF(); ++r) {
                ScheduleRow entry = reader.Read(*rs);
                cells[kColFinished - 1] = std::move(entry.finished);
                cells[kColCategory - 1] = std::move(entry.category);
                cells[kColTitle - 1] = std::move(entry.title);
                cells[kColDetails - 1] = std::move(entry.details);
                cells[kColSdate - 1] = std::move(entry.sdate);
                cells[kColEdate - 1] = std::move(entry.edate);
                cells[kColWdate - 1] = std::move(entry.wdate);
                cells[kColSeq - 1] = std::move(entry.seq);
                cells[kColSdays - 1] = DaysFromToday(cells[kColSdate - 1], today);
                cells[kColEdays - 1] = DaysFromToday(cells[kColEdate - 1], today);
                for (int c = 1; c <= kListCols; ++c)
                    spList->SetText(c, r, cells[c - 1]);
                // The cells just written decide the colour.
                const QColor color = ListRowColor(cells[kColFinished - 1], cells[kColSdate - 1], cells[kColSdays - 1],
                                                  cells[kColEdays - 1]);
                spList->SetForeColor(-1, r, color); // invalid = default, also for a reused row
                rs->MoveNext();
            }
        }

        CloseRecordset(rs);
        m_live->NoteLoaded(1, m_listWhere, rowsHash, found);
        if (background)
            return; // the check puts the cursor back where it was
        spList->SetActiveCell(1, 1);
        ShowRowMemo(1);
        if (isVisible())
            spList->setFocus();
    } catch (const std::exception& e) {
        // The list never shows half a result.
        spList->SetMaxRows(0);
        ReportProcError(e, u"Refresh_Sheet2"_s, u"Form"_s, u"FrmViewer"_s);
    }
    CloseRecordset(rs);
}

namespace {
// The list row a rebuild keeps in place, by its entry: the row under the pointer (a click
// queued during the rebuild is aimed at it), else the top row shown.
struct ListAnchor {
    QString seq;
    int y = 0; // its top edge in the viewport
    int row = -1;
};

ListAnchor AnchorOf(const SpreadGrid* grid, const std::optional<QPoint>& pointer) {
    ListAnchor anchor;
    const QWidget* viewport = grid->viewport();
    const bool over = pointer && viewport->rect().contains(*pointer);
    int row = over ? grid->rowAt(pointer->y()) : -1;
    if (row < 0) // not over a row (below the last one, say): the top row
        row = grid->rowAt(0);
    if (row < 0)
        return anchor;
    anchor.row = row;
    anchor.y = grid->rowViewportPosition(row);
    anchor.seq = grid->Text(kColSeq, row + 1);
    return anchor;
}

// Scrolls so that the row of the anchor's entry is where the anchor was. A row that is
// gone leaves the scroll where it was.
void RestoreAnchor(SpreadGrid* grid, const ListAnchor& anchor, int oldTop) {
    QScrollBar* bar = grid->verticalScrollBar();
    bar->setValue(oldTop);
    if (anchor.seq.isEmpty())
        return;
    int row = -1;
    for (int r = 1; r <= grid->MaxRows() && row < 0; ++r)
        if (grid->Text(kColSeq, r) == anchor.seq)
            row = r - 1;
    if (row < 0)
        return;
    if (grid->verticalScrollMode() == QAbstractItemView::ScrollPerItem)
        bar->setValue(oldTop + (row - anchor.row));
    else
        bar->setValue(oldTop + grid->rowViewportPosition(row) - anchor.y);
}
} // namespace

void FrmMain::RedrawListKeepingView() {
    const int row = spList->ActiveRow();
    const int col = qMax(1, spList->ActiveCol());
    const QString seq = row >= 1 ? spList->Text(kColSeq, row) : QString();
    const int top = spList->verticalScrollBar()->value();
    const int left = spList->horizontalScrollBar()->value();
    const ListAnchor anchor = AnchorOf(spList, m_listPointer);
    FillList();
    const int rows = spList->MaxRows();
    if (rows == 0) {
        txtMemo->clear();
        return;
    }
    // The entry that was selected, wherever it moved; when it is gone, the row that took
    // its place.
    int found = qMin(qMax(row, 1), rows);
    if (!seq.isEmpty())
        for (int r = 1; r <= rows; ++r)
            if (spList->Text(kColSeq, r) == seq) {
                found = r;
                break;
            }
    spList->SetActiveCell(col, found);
    ShowRowMemo(found);
    spList->doItemsLayout(); // the scroll range of the new rows, before the old position is put back
    // Anchored by entry, not by pixels: rows added or removed above the one the user is
    // pointing at do not move it.
    RestoreAnchor(spList, anchor, top);
    spList->horizontalScrollBar()->setValue(left);
}

void FrmMain::ShowRowMemo(int row) {
    // The details are stored with CR LF; the memo box wants bare line feeds.
    QString text = GetCellText(spList, kColDetails, row);
    text.replace(u"\r\n"_s, u"\n"_s);
    txtMemo->setPlainText(text);
}

void FrmMain::CopyComboList(QComboBox* source, QComboBox* target) {
    if (!source || !target)
        return;
    {
        const QSignalBlocker block(target);
        target->clear();
        for (int i = 0; i < source->count(); ++i)
            target->addItem(source->itemText(i), source->itemData(i));
        target->setCurrentIndex(-1);
    }
    // Choosing the item raises the target's selection event once, as picking it would.
    target->setCurrentIndex(source->currentIndex());
}

void FrmMain::spList_Click(int col, int row) {
    try {
        if (col != kColFinished || row < 1 || cmbUser[1]->currentText() != gUserName)
            return;
        const int seq = GetCellText(spList, kColSeq, row).toInt();
        if (seq <= 0)
            return;
        const int state = GetCellText(spList, kColFinished, row).trimmed().toInt();
        const int newState = ToggledFinished(state);
        // No row changed: either the entry already holds that state (set elsewhere) or it is gone.
        const EntryWrite outcome = EntryWriteOutcome(seq, SetScheduleFinished(seq, newState));
        ShowDbFailures();
        if (outcome == EntryWrite::Done || outcome == EntryWrite::Unchanged) {
            spList->SetText(kColFinished, row, QString::number(newState));
            // Keep the row's colour true to its new state (a finished entry is never red).
            const QColor color = ListRowColor(spList->Text(kColFinished, row), spList->Text(kColSdate, row),
                                              spList->Text(kColSdays, row), spList->Text(kColEdays, row));
            spList->SetForeColor(-1, row, color);
        } else if (outcome == EntryWrite::Gone) {
            ShowInfoMsg(kDeletedElsewhere.toString(), QString());
        } else {
            ShowInfoMsg(u"완료처리도중 오류가 발생하였습니다."_s, QString());
        }
    } catch (const std::exception& e) {
        ReportError(e, u"spList_Click"_s);
    }
}

void FrmMain::spList_DblClick(int, int row) {
    try {
        if (row == 0)
            return;
        const int seq = GetCellText(spList, kColSeq, row).toInt();
        // A row without an entry (an empty list) has nothing to open.
        if (seq > 0)
            OpenSchedule(QString(), false, 1, seq);
    } catch (const std::exception& e) {
        ReportError(e, u"spList_DblClick"_s);
    }
}

void FrmMain::spList_KeyDown(int keyCode, int) {
    if (keyCode == 13)
        spList_DblClick(spList->ActiveCol(), spList->ActiveRow());
}

void FrmMain::spList_LeaveCell(LeaveCellEvent* event) {
    if (event->newRow() >= 1 && event->newRow() != event->row())
        ShowRowMemo(event->newRow());
}

void FrmMain::txtKeyWord_GotFocus() {
    txtKeyWord->setSelection(0, static_cast<int>(txtKeyWord->text().size()));
    // A click that gave the focus would place the caret right after; select again
    // once the click has been handled.
    QPointer<QLineEdit> box = txtKeyWord;
    QTimer::singleShot(0, txtKeyWord, [box] {
        if (box && box->hasFocus())
            box->selectAll();
    });
}

bool FrmMain::txtKeyWord_KeyPress(int keyAscii) {
    if (keyAscii != 13)
        return false;
    RefreshTab(1);
    return true;
}

} // namespace worktide
