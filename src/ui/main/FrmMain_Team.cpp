// The team view tab: everyone of the owner list down the side, the calendar's month
// across, each entry a bar; opening an entry follows the calendar's rights rule.
#include "ui/main/FrmMain.h"

#include "ui/main/LiveRefresh.h"

#include "db/modSchedule.h"
#include "db/modMySQL_Func_lite.h"
#include "support/Clock.h"
#include "support/Globals.h"
#include "support/VbError.h"
#include "ui/main/TeamLayout.h"
#include "ui/main/TeamSheet.h"

#include <QComboBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QTabWidget>
#include <QVBoxLayout>

using namespace Qt::StringLiterals;

namespace worktide {

void FrmMain::BuildTeamTab() {
    auto* page = new QWidget;
    auto* layout = new QVBoxLayout(page);
    auto* top = new QHBoxLayout;
    for (int i = 0; i < 2; ++i) {
        btnTeamMonth[i] = new QPushButton(i == 0 ? u"<<"_s : u">>"_s);
        btnTeamMonth[i]->setObjectName(u"btnTeamMonth[%1]"_s.arg(i));
        btnTeamMonth[i]->setFixedWidth(40);
    }
    lblTeamDate = new QLabel(u"2009년 01월"_s);
    lblTeamDate->setObjectName(u"lblTeamDate"_s);
    QFont big = lblTeamDate->font();
    big.setPointSize(big.pointSize() + 4);
    big.setBold(true);
    lblTeamDate->setFont(big);
    lblTeamDate->setAlignment(Qt::AlignCenter);
    lblTeamDate->setMinimumWidth(140);
    btnTeamToday = new QPushButton(u"오늘로 이동"_s);
    btnTeamToday->setObjectName(u"btnTeamToday"_s);
    top->addWidget(btnTeamMonth[0]);
    top->addWidget(lblTeamDate);
    top->addWidget(btnTeamMonth[1]);
    top->addWidget(btnTeamToday);
    top->addStretch(1);
    auto* legend = new QLabel(u"예정(◀~▶)  완료(◁~▷)!   구분·완료 선택은 월간 일정 탭을 따릅니다."_s);
    legend->setObjectName(u"lblTeamLegend"_s);
    top->addWidget(legend);
    layout->addLayout(top);
    spTeam = new TeamSheet;
    spTeam->setObjectName(u"spTeam"_s);
    layout->addWidget(spTeam, 1);
    SSTab1->addTab(page, u"팀 일정"_s);

    for (int i = 0; i < 2; ++i)
        connect(btnTeamMonth[i], &QPushButton::clicked, this, [this, i] { btnTeamMonth_Click(i); });
    connect(btnTeamToday, &QPushButton::clicked, this, [this] {
        btnToday_Click();
        RefreshTab(2);
    });
    connect(spTeam, &TeamSheet::EntryActivated, this, &FrmMain::OpenTeamEntry);
}

void FrmMain::btnTeamMonth_Click(int index) {
    // The calendar's month moves with it (and is redrawn when it changed), so both
    // tabs always show the same month.
    btnMoveMonth_Click(index == 0 ? 0 : 1);
    RefreshTab(2);
}

QString FrmMain::TeamSQL() const {
    const QDate month = team::MonthOfKey(m_workDateTag);
    if (!month.isValid())
        return {};
    const QString category = cmbCategory[0]->currentText();
    return MakeScheduleTeamRangeSQL(team::FirstDayText(month), team::LastDayText(month),
                                    static_cast<FinishedFilter>(cmbFinish[0]->currentIndex()),
                                    category != u"(전체구분)"_s ? std::optional<QString>(category) : std::nullopt);
}

void FrmMain::RefreshTeam() {
    RecordsetPtr rs;
    try {
        const QDate month = team::MonthOfKey(m_workDateTag);
        const QString sql = TeamSQL();
        m_teamSql = sql;
        if (!month.isValid())
            return;
        lblTeamDate->setText(lblWorkDate->text());

        // The rows are the owner box's people, in its order; entries of anybody else
        // (hidden or former staff) have no row and are left out.
        QStringList people;
        for (int i = 0; i < cmbUser[0]->count(); ++i)
            if (cmbUser[0]->itemText(i) != u"(전직원)"_s)
                people.append(cmbUser[0]->itemText(i));

        std::vector<team::Entry> entries;
        const qint32 found = OpenRecordset(rs, sql);
        // The status bar tells how fresh the data is on this tab too.
        if (found >= 0)
            m_live->NoteLoaded(2, sql, 0, found);
        else
            m_live->NoteFailed(2);
        if (found > 0 && rs) {
            const ScheduleRowReader reader(*rs);
            entries.reserve(static_cast<std::size_t>(rs->RecordCount()));
            for (; !rs->isEOF(); rs->MoveNext()) {
                ScheduleRow row = reader.Read(*rs);
                team::Entry e;
                e.seq = row.Seq();
                e.owner = std::move(row.owner);
                e.title = std::move(row.title);
                e.sdate = std::move(row.sdate);
                e.edate = std::move(row.edate);
                e.category = std::move(row.category);
                e.details = std::move(row.details);
                e.finished = row.IsFinished();
                entries.push_back(std::move(e));
            }
        }
        CloseRecordset(rs);
        spTeam->SetLayout(team::LayOut(people, std::move(entries), month), Today());
        if (isVisible() && SSTab1->currentIndex() == 2)
            spTeam->setFocus();
    } catch (const std::exception& e) {
        CloseRecordset(rs);
        spTeam->SetLayout(team::LayOut({}, {}, {}), Today());
        ReportProcError(e, u"RefreshTeam"_s, u"Form"_s, u"FrmMain"_s);
    }
}

void FrmMain::OpenTeamEntry(int bar, int day) {
    try {
        const team::Layout& layout = spTeam->Layout();
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
