// The team view tab: everyone of the owner list down the side, the calendar's month
// across, each entry a bar; opening an entry follows the calendar's rights rule.
#include "ui/main/FrmMain.h"

#include "db/modSchedule.h"
#include "db/modMySQL_Func_lite.h"
#include "support/Clock.h"
#include "support/Globals.h"
#include "support/VbError.h"
#include "ui/calendar/CalendarTab.h"
#include "ui/team/TeamLayout.h"
#include "ui/team/TeamSheet.h"
#include "ui/team/TeamTab.h"

#include <QComboBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QScrollBar>
#include <QTabWidget>
#include <QVBoxLayout>

using namespace Qt::StringLiterals;

namespace worktide {

void FrmMain::BuildTeamTab() {
    tabTeam = new TeamTab;
    SSTab1->addTab(tabTeam, u"팀 일정"_s);
    // The view follows the calendar's month and filters; its people are the owner box's.
    tabTeam->SetFilterSource([this] {
        TeamFilter f;
        f.monthKey = tabCalendar->WorkDateTag();
        f.caption = tabCalendar->lblWorkDate->text();
        for (int i = 0; i < cmbUser[0]->count(); ++i)
            if (cmbUser[0]->itemText(i) != u"(전직원)"_s)
                f.people.append(cmbUser[0]->itemText(i));
        f.finished = static_cast<FinishedFilter>(cmbFinish[0]->currentIndex());
        const QString category = cmbCategory[0]->currentText();
        if (category != u"(전체구분)"_s)
            f.category = category;
        return f;
    });
    connect(tabTeam, &TeamTab::monthStepRequested, this, [this](int step) { btnTeamMonth_Click(step < 0 ? 0 : 1); });
    connect(tabTeam, &TeamTab::todayRequested, this, [this] {
        btnToday_Click();
        RefreshTab(2);
    });
    connect(tabTeam, &TeamTab::entryActivated, this, &FrmMain::OpenTeamEntry);
}

void FrmMain::btnTeamMonth_Click(int index) {
    // The calendar's month moves with it (and is redrawn when it changed), so both
    // tabs always show the same month.
    btnMoveMonth_Click(index == 0 ? 0 : 1);
    RefreshTab(2);
}

QString FrmMain::TeamSQL() const {
    return tabTeam->Query(nullptr);
}

void FrmMain::RefreshTeam() {
    tabTeam->Load();
}

void FrmMain::OpenTeamEntry(int bar, int day) {
    try {
        const team::Layout& layout = tabTeam->spTeam->Layout();
        if (bar < 0 || bar >= static_cast<int>(layout.bars.size()))
            return;
        const team::Bar& b = layout.bars[static_cast<std::size_t>(bar)];
        const team::Entry& entry = layout.entries[static_cast<std::size_t>(b.entry)];
        const QString owner = entry.owner;
        const int seq = entry.seq;
        const QString dateText = layout.DayDate(day).toString(u"yyyy-MM-dd"_s);
        if (!team::OpensInEditor(owner, gUserName)) {
            ShowViewerFor(dateText, owner, seq);
            return;
        }
        if (RunEditorFor(dateText, false, seq, owner))
            RefreshTab(2);
    } catch (const std::exception& e) {
        ReportProcError(e, u"OpenTeamEntry"_s, u"Form"_s, u"FrmMain"_s);
    }
}

} // namespace worktide
