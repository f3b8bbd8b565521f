// The calendar tab: month layout, drawing the owner's entries as bars, the cursor
// rules and opening a day in the editor or the viewer.
#include "ui/main/FrmMain.h"

#include "ui/list/ListTab.h"
#include "ui/team/TeamTab.h"

#include "ui/shared/modMsgBox.h"
#include "db/modMySQL_Func_lite.h"
#include "db/modSchedule.h"
#include "db/modScheduleInsert.h"
#include "support/Clock.h"
#include "support/Globals.h"
#include "support/MsgBox.h"
#include "support/VbError.h"
#include "ui/grid/SpreadGrid.h"
#include "ui/calendar/CalendarLayout.h"
#include "ui/main/LiveRefresh.h"
#include "ui/schedule/FrmSave.h"
#include "ui/schedule/FrmViewer.h"

#include <QComboBox>
#include <QScrollBar>

#include <array>
#include <optional>
#include <utility>
#include <QLabel>
#include <QPointer>
#include <QTabWidget>

namespace worktide {
namespace {
const ProcErrorReporter ReportError{QStringLiteral("Form"), QStringLiteral("FrmMain")};
}
namespace {

const QColor kDateRowBack(240, 240, 240);
const QColor kSundayFore(255, 0, 0);
const QColor kSaturdayFore(0, 0, 255);
const QColor kTodayBack(255, 210, 76);
const QColor kEntryCellBack(255, 255, 192);

constexpr int kCalendarRows = 12;
const QString kAllCategories = QStringLiteral("(전체구분)");

QString DateText(const QDate& date) {
    return date.toString(QStringLiteral("yyyy-MM-dd"));
}

bool IsPrivilegedUser(const QString& name) {
    return name == QStringLiteral("서도윤") || name == QStringLiteral("최민결");
}

} // namespace

// ---------------------------------------------------------------- calendar sheet

bool FrmMain::SetSheetMonth(int year, int month) {
    const QString key = QString::number(year) + QStringLiteral("%1").arg(month, 2, 10, QLatin1Char('0'));
    if (key == m_workDateTag)
        return false;
    const QDate first = calendar::FirstShownDate(year, month);
    if (!first.isValid())
        return false;
    m_firstShownDate = first;
    lblWorkDate->setText(QString::number(year) + QStringLiteral("년 ") +
                         QStringLiteral("%1").arg(month, 2, 10, QLatin1Char('0')) + QStringLiteral("월"));
    m_workDateTag = key;

    spCalendar->setUpdatesEnabled(false);
    spCalendar->ClearRange(1, 1, 7, kCalendarRows);
    for (int row = 1; row <= kCalendarRows; row += 2) {
        spCalendar->SetBackColor(-1, row, kDateRowBack);
        spCalendar->SetForeColor(1, row, kSundayFore);
        spCalendar->SetForeColor(7, row, kSaturdayFore);
    }
    for (int i = 0; i < calendar::kShownDays; ++i)
        spCalendar->SetText(i % 7 + 1, (i / 7) * 2 + 1, calendar::DayCaption(first.addDays(i)));

    const qint64 d = first.daysTo(Today());
    if (d >= 0 && d < calendar::kShownDays) {
        const int col = static_cast<int>(d % 7) + 1;
        const int row = static_cast<int>(d / 7) * 2 + 1;
        spCalendar->SetText(col, row, spCalendar->Text(col, row) + QStringLiteral("   [오늘]"));
        spCalendar->SetBackColor(col, row, kTodayBack);
    }
    spCalendar->setUpdatesEnabled(true);
    return true;
}

QDate FrmMain::GetCellDate(int col, int row) const {
    // Content row 2w+2 and the date row 2w+1 above it both belong to week w, so a
    // date row (double-click on the day caption) means its own day.
    const int week = row >= 1 ? (row - 1) / 2 : 0;
    return m_firstShownDate.addDays(week * 7 + col - 1);
}

namespace {
// What the calendar selects: its shown weeks and the filters of tab 0.
struct CalendarSelection {
    QString from, to, owner;
    FinishedFilter finished = FinishedFilter::All;
    std::optional<QString> category;
};

CalendarSelection SelectionOf(const FrmMain& form) {
    CalendarSelection s;
    s.from = DateText(form.GetCellDate(1, 2));
    s.to = DateText(form.GetCellDate(7, kCalendarRows));
    s.owner = form.cmbUser[0]->currentText();
    s.finished = static_cast<FinishedFilter>(form.cmbFinish[0]->currentIndex());
    const QString category = form.cmbCategory[0]->currentText();
    if (category != kAllCategories)
        s.category = category;
    return s;
}
} // namespace

bool FrmMain::ShownQuery(int tab, QString& where, QString& sql) const {
    if (tab == 1) {
        return tabList->ShownQuery(where, sql);
    }
    if (tab == 2) {
        return tabTeam->ShownQuery(where, sql);
    }
    if (tab != 0 || !m_firstShownDate.isValid())
        return false;
    const CalendarSelection s = SelectionOf(*this);
    where = MakeScheduleRangeWhere(s.from, s.to, s.owner, s.finished, s.category);
    sql = MakeScheduleRangeSQL(s.from, s.to, s.owner, s.finished, s.category);
    return true;
}

void FrmMain::RefreshSheet() {
    RecordsetPtr rs;
    const bool background = m_live->InBackground();
    try {
        const QDate fromDate = GetCellDate(1, 2);
        const QDate toDate = GetCellDate(7, kCalendarRows);
        const CalendarSelection selection = SelectionOf(*this);
        const QString& from = selection.from;
        const QString& to = selection.to;
        const QString where = MakeScheduleRangeWhere(from, to, selection.owner, selection.finished, selection.category);
        const QString sql = MakeScheduleRangeSQL(from, to, selection.owner, selection.finished, selection.category);

        const qint32 found = m_live->OpenRows(rs, sql);
        if (found < 0 && m_live->KeepsShownOnFailure(0, where)) {
            // What is shown stays, marked stale, when the database does not answer.
            CloseRecordset(rs);
            m_live->NoteFailed(0);
            return;
        }
        const size_t rowsHash = rs ? rs->ValuesHash() : 0;
        spCalendar->setUpdatesEnabled(false);
        for (int row = 2; row <= kCalendarRows; row += 2)
            spCalendar->ClearRange(1, row, 7, row);

        // Lines are placed in a copy of the (just cleared) content cells and each
        // cell is written once at the end; PutCellLine's rules apply unchanged.
        std::array<QStringList, calendar::kShownDays> cells;
        if (found > 0 && rs) {
            const ScheduleRowReader reader(*rs);
            for (; !rs->isEOF(); rs->MoveNext()) {
                const ScheduleRow entry = reader.Read(*rs);
                const QString& sdate = entry.sdate;
                const QString& edate = entry.edate;
                calendar::EntrySpan span;
                span.title = entry.title;
                span.finished = entry.IsFinished();
                QDate sDay = calendar::ParseDateText(sdate);
                QDate eDay = calendar::ParseDateText(edate);
                if (!(sdate >= from)) {
                    sDay = fromDate;
                    span.clippedStart = true;
                }
                if (!(edate <= to)) {
                    eDay = toDate;
                    span.clippedEnd = true;
                }
                // A date that is not a real date cannot be placed; the other entries still are.
                if (!sDay.isValid() || !eDay.isValid())
                    continue;
                span.days = static_cast<int>(sDay.daysTo(eDay)) + 1;
                if (span.days < 1)
                    continue;
                const QString centred = calendar::CentredTitle(span.title, span.days > 1);
                qint64 d = fromDate.daysTo(sDay);
                int line = -1;
                for (int k = 1; k <= span.days; ++k, ++d) {
                    // Not drawn on Sundays; the line number passes through to Monday.
                    if (d % 7 == 0)
                        continue;
                    bool conflict = false;
                    line = calendar::PlaceLine(cells[static_cast<std::size_t>(d)],
                                               calendar::EntryLine(span, centred, k), line, conflict);
                    if (conflict)
                        MsgBox(QStringLiteral("줄수 계산오류 개발자에게 연락바랍니다."), vbOKOnly);
                }
            }
        }
        for (int d = 0; d < calendar::kShownDays; ++d) {
            const QStringList& pieces = cells[static_cast<std::size_t>(d)];
            if (pieces.isEmpty())
                continue;
            const int col = d % 7 + 1;
            const int row = (d / 7 + 1) * 2;
            spCalendar->SetBackColor(col, row, kEntryCellBack);
            spCalendar->SetText(col, row, calendar::JoinCellLines(pieces));
        }
        CloseRecordset(rs);
        spCalendar->setUpdatesEnabled(true);
        if (found >= 0)
            m_live->NoteLoaded(0, where, rowsHash, found);
        else
            m_live->NoteFailed(0, true);
        if (isVisible() && !background)
            spCalendar->setFocus();
    } catch (const std::exception& e) {
        CloseRecordset(rs);
        spCalendar->setUpdatesEnabled(true);
        ReportError(e, QStringLiteral("RefreshSheet"));
    }
}

int FrmMain::PutCellLine(int col, int row, const QString& text, int line) {
    // Entries are not drawn on Sundays; the line number passes through to Monday.
    if (col == 1)
        return line;
    const QString current = spCalendar->Text(col, row);
    if (current.isEmpty())
        spCalendar->SetBackColor(col, row, kEntryCellBack);
    const calendar::LinePlacement placed = calendar::PlaceLine(current, text, line);
    if (placed.conflict)
        MsgBox(QStringLiteral("줄수 계산오류 개발자에게 연락바랍니다."), vbOKOnly);
    spCalendar->SetText(col, row, placed.cellText);
    return placed.line;
}

// ---------------------------------------------------------- calendar interaction

void FrmMain::RefreshTab(int tabIndex) {
    // A save whose fate was unknown is settled before the tab is read.
    if (HasUnsettledInsert()) {
        const ScopedQuietDbErrors quiet;
        SettleUnsettledInsert();
    }
    if (MainTab* tab = TabAt(tabIndex))
        tab->Load();
}

void FrmMain::RedrawCalendarKeepingView(bool relayout) {
    const int col = spCalendar->ActiveCol();
    const int row = spCalendar->ActiveRow();
    const int top = spCalendar->verticalScrollBar()->value();
    if (relayout && m_workDateTag.size() == 6) {
        // The same month laid out again, for the new today.
        const QString tag = std::exchange(m_workDateTag, QString());
        SetSheetMonth(tag.left(4).toInt(), tag.right(2).toInt());
    }
    RefreshSheet();
    if (col >= 1 && row >= 1)
        spCalendar->SetActiveCell(col, row);
    spCalendar->verticalScrollBar()->setValue(top);
}

void FrmMain::btnMoveMonth_Click(int index) {
    try {
        const int delta = (index == 0 || index == 2) ? -1 : 1;
        int year = Today().year();
        int month = Today().month();
        if (m_workDateTag.size() == 6) {
            year = m_workDateTag.left(4).toInt();
            month = m_workDateTag.right(2).toInt();
        }
        const QDate target = QDate(year, month, 1).addMonths(delta);
        if (SetSheetMonth(target.year(), target.month()))
            RefreshTab(0);
        spCalendar->SetTopRow(1);
        spCalendar->SetActiveCell(2, 2);
        if (isVisible())
            spCalendar->setFocus();
    } catch (const std::exception& e) {
        ReportError(e, QStringLiteral("btnMoveMonth_Click"));
    }
}

void FrmMain::btnToday_Click() {
    try {
        const QDate today = Today();
        if (SetSheetMonth(today.year(), today.month()))
            RefreshTab(0);
        ShowTodayCell();
    } catch (const std::exception& e) {
        ReportError(e, QStringLiteral("btnToday_Click"));
    }
}

void FrmMain::ShowTodayCell() {
    const qint64 d = m_firstShownDate.daysTo(Today());
    if (d < 0 || d >= calendar::kShownDays)
        return; // today is not among the shown weeks
    const int row = static_cast<int>(d / 7 + 1) * 2;
    spCalendar->SetActiveCell(static_cast<int>(d % 7) + 1, row);
    spCalendar->SetTopRow(qMax(1, row - 3));
    if (isVisible())
        spCalendar->setFocus();
}

void FrmMain::spCalendar_LeaveCell(LeaveCellEvent* event) {
    // The cursor never rests on a date row: it goes on to the content cell in the
    // direction the user was moving.
    const int newCol = event->newCol();
    const int newRow = event->newRow();
    if (newRow % 2 == 0)
        return;
    event->cancel();
    if (!m_upArrow)
        spCalendar->SetActiveCell(newCol, newRow + 1);
    else if (newRow != 1)
        spCalendar->SetActiveCell(newCol, newRow - 1);
}

void FrmMain::spCalendar_KeyDown(int keyCode, int) {
    m_upArrow = keyCode == 38;
    if (keyCode == 13) {
        const QDate date = GetCellDate(qMax(1, spCalendar->ActiveCol()), qMax(2, spCalendar->ActiveRow()));
        OpenSchedule(DateText(date), false, 0, 0);
    }
}

void FrmMain::spCalendar_DblClick(int col, int row) {
    if (row != 0)
        OpenSchedule(DateText(GetCellDate(col, row)), false, 0, 0);
}

void FrmMain::cmdAdd_Click(int index) {
    if (index == 0) {
        const QDate date = GetCellDate(qMax(1, spCalendar->ActiveCol()), qMax(2, spCalendar->ActiveRow()));
        OpenSchedule(DateText(date), true, 0, 0);
    } else if (index == 1) {
        OpenSchedule(QString(), true, 1, 0);
    }
}

void FrmMain::OpenSchedule(const QString& dateText, bool isNew, int tabIndex, int seq) {
    try {
        if (tabIndex < 0 || tabIndex > 1)
            return;
        const QString owner = cmbUser[tabIndex]->currentText();
        if (isNew && owner != gUserName) {
            // Nobody adds entries for somebody else, not even the privileged users.
            ShowInfoMsg(QStringLiteral("다른 사람의 스케줄은 입력할 수 없습니다."), QString());
            cmbUser[tabIndex]->setFocus();
            return;
        }
        if (owner != gUserName && !IsPrivilegedUser(gUserName)) {
            if (tabIndex == 1)
                return;
            ShowViewerFor(dateText, owner);
            return;
        }
        if (RunEditorFor(dateText, isNew, seq, owner))
            RefreshTab(tabIndex);
    } catch (const std::exception& e) {
        ReportError(e, QStringLiteral("OpenSchedule"));
    }
}

void FrmMain::ShowViewerFor(const QString& dateText, const QString& owner, int seq) {
    QPointer<FrmViewer> viewer = new FrmViewer(this);
    viewer->SetParam(dateText, owner);
    if (seq > 0)
        viewer->SelectEntry(seq);
    viewer->exec();
    delete viewer.data();
}

bool FrmMain::RunEditorFor(const QString& dateText, bool isNew, int seq, const QString& owner) {
    // The window reloads once after the editor closes, however often it changed data.
    bool changed = false;
    QPointer<FrmSave> editor = new FrmSave(this);
    connect(editor, &FrmSave::ScheduleChanged, this, [&changed] { changed = true; });
    editor->SetParam(dateText, isNew, seq, owner);
    editor->exec();
    delete editor.data();
    return changed;
}

} // namespace worktide
