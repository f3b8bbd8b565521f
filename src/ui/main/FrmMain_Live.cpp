// The main window's side of live data: the status bar, the agenda switch and where a
// click on the agenda leads.
#include "ui/main/FrmMain.h"

#include "db/DbWait.h"
#include "support/Globals.h"
#include "support/MsgBox.h"
#include "ui/shared/modPickList.h"
#include "ui/calendar/CalendarTab.h"
#include "ui/list/ListTab.h"
#include "ui/team/TeamTab.h"
#include "ui/main/LiveRefresh.h"

#include <QAction>
#include <QApplication>
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QMenuBar>
#include <QStatusBar>
#include <QTabWidget>

using namespace Qt::StringLiterals;

namespace worktide {

void FrmMain::BuildLiveUi() {
    lblStatus = new QLabel;
    lblStatus->setObjectName(u"lblStatus"_s);
    statusBar()->addWidget(lblStatus, 1);

    auto* menuView = menuBar()->addMenu(u"보기(&V)"_s);
    mnuView_Agenda = menuView->addAction(u"오늘 일정 알림"_s);
    mnuView_Agenda->setObjectName(u"mnuView_Agenda"_s);
    mnuView_Agenda->setCheckable(true);
    mnuView_Agenda->setChecked(LiveRefresh::AgendaEnabled());
    connect(mnuView_Agenda, &QAction::toggled, this, [](bool on) { LiveRefresh::SetAgendaEnabled(on); });

    m_live = new LiveRefresh(this, this);
    tabList->SetFeed(m_live);
    tabTeam->SetFeed(m_live);
    tabCalendar->SetFeed(m_live);
    connect(m_live, &LiveRefresh::agendaClicked, this, [this] {
        // The tray's click arrives as a posted event, also during a statement's wait: it is
        // answered once the wait is over, and not at all while an editor or a box holds the
        // window.
        RunOutsideWaits(this, [this] {
            if (!QApplication::activeModalWidget() && !IsMessageBoxOpen())
                ShowOpenEntries();
        });
    });
}

void FrmMain::ShowOpenEntries() {
    // The list's own filters, set without a refresh each; one refresh at the end.
    {
        const QSignalBlocker blockTab(SSTab1);
        SSTab1->setCurrentIndex(1);
    }
    m_currentTab = 1;
    m_tabShown[1] = true;
    {
        const QSignalBlocker blockUser(cmbUser[1]);
        const QSignalBlocker blockCategory(cmbCategory[1]);
        const QSignalBlocker blockFinish(cmbFinish[1]);
        const int me = cmbUser[1]->findText(gUserName, Qt::MatchExactly | Qt::MatchCaseSensitive);
        if (me >= 0 && me != cmbUser[1]->currentIndex()) {
            cmbUser[1]->setCurrentIndex(me);
            // The owner's own categories, as choosing the owner brings them.
            FillCategoryList(cmbCategory[1], gUserName, true);
        }
        cmbCategory[1]->setCurrentIndex(cmbCategory[1]->findText(u"(전체구분)"_s));
        cmbFinish[1]->setCurrentIndex(1); // "예정만"
    }
    tabList->txtKeyWord->setText(u"(검색어: 제목)"_s);
    if (isMinimized())
        setWindowState(windowState() & ~Qt::WindowMinimized);
    raise();
    activateWindow();
    RefreshTab(1);
}

} // namespace worktide
