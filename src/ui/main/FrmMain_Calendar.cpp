// The calendar tab: month layout, drawing the owner's entries as bars, the cursor
// rules and opening a day in the editor or the viewer.
#include "ui/main/FrmMain.h"

#include "ui/calendar/CalendarTab.h"
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

QString DateText(const QDate& date) {
    return date.toString(QStringLiteral("yyyy-MM-dd"));
}

bool IsPrivilegedUser(const QString& name) {
    return name == QStringLiteral("서도윤") || name == QStringLiteral("최민결");
}

} // namespace

// ---------------------------------------------------------------- calendar sheet

bool FrmMain::SetSheetMonth(int year, int month) {
    return tabCalendar->SetSheetMonth(year, month);
}

QDate FrmMain::GetCellDate(int col, int row) const {
    return tabCalendar->GetCellDate(col, row);
}

void FrmMain::RefreshSheet() {
    tabCalendar->Load();
}

int FrmMain::PutCellLine(int col, int row, const QString& text, int line) {
    return tabCalendar->PutCellLine(col, row, text, line);
}

QDate FrmMain::FirstShownDate() const {
    return tabCalendar->FirstShownDate();
}

QString FrmMain::WorkDateTag() const {
    return tabCalendar->WorkDateTag();
}

void FrmMain::ShowTodayCell() {
    tabCalendar->ShowTodayCell();
}

bool FrmMain::ShownQuery(int tab, QString& where, QString& sql) const {
    if (tab == 1) {
        return tabList->ShownQuery(where, sql);
    }
    if (tab == 2) {
        return tabTeam->ShownQuery(where, sql);
    }
    if (tab == 0)
        return tabCalendar->ShownQuery(where, sql);
    return false;
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

void FrmMain::btnMoveMonth_Click(int index) {
    try {
        const int delta = (index == 0 || index == 2) ? -1 : 1;
        int year = Today().year();
        int month = Today().month();
        const QString tag = tabCalendar->WorkDateTag();
        if (tag.size() == 6) {
            year = tag.left(4).toInt();
            month = tag.right(2).toInt();
        }
        const QDate target = QDate(year, month, 1).addMonths(delta);
        if (SetSheetMonth(target.year(), target.month()))
            RefreshTab(0);
        tabCalendar->spCalendar->SetTopRow(1);
        tabCalendar->spCalendar->SetActiveCell(2, 2);
        if (isVisible())
            tabCalendar->spCalendar->setFocus();
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

void FrmMain::cmdAdd_Click(int index) {
    if (index == 0) {
        OpenSchedule(DateText(tabCalendar->ActiveDate()), true, 0, 0);
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
