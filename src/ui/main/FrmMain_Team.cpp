// The team view tab: everyone of the owner list down the side, the calendar's month
// across, each entry a bar; opening an entry follows the calendar's rights rule.
#include "ui/main/FrmMain.h"

#include "ui/main/LiveRefresh.h"

#include "db/modSchedule.h"
#include "db/modMySQL_Func_lite.h"
#include "support/Clock.h"
#include "support/Globals.h"
#include "support/VbError.h"
#include "ui/team/TeamLayout.h"
#include "ui/team/TeamSheet.h"

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

QString FrmMain::TeamQuery(QString* where) const {
    const QDate month = team::MonthOfKey(m_workDateTag);
    if (!month.isValid())
        return {};
    const QString category = cmbCategory[0]->currentText();
    const auto finished = static_cast<FinishedFilter>(cmbFinish[0]->currentIndex());
    const std::optional<QString> chosen = category != u"(전체구분)"_s ? std::optional<QString>(category) : std::nullopt;
    const QString from = team::FirstDayText(month);
    const QString to = team::LastDayText(month);
    if (where)
        *where = MakeScheduleTeamRangeWhere(from, to, finished, chosen);
    return MakeScheduleTeamRangeSQL(from, to, finished, chosen);
}

QString FrmMain::TeamSQL() const {
    return TeamQuery(nullptr);
}

void FrmMain::RefreshTeam() {
    RecordsetPtr rs;
    const bool background = m_live->InBackground();
    try {
        const QDate month = team::MonthOfKey(m_workDateTag);
        QString where;
        const QString sql = TeamQuery(&where);
        m_teamSql = sql;
        if (!month.isValid())
            return;

        const qint32 found = m_live->OpenRows(rs, sql);
        if (found < 0 && m_live->KeepsShownOnFailure(2, where)) {
            // The view shows this month already: it stays, marked stale, rather than go blank.
            CloseRecordset(rs);
            m_live->NoteFailed(2);
            return;
        }
        const size_t rowsHash = rs ? rs->ValuesHash() : 0;
        lblTeamDate->setText(lblWorkDate->text());

        // The rows are the owner box's people, in its order; entries of anybody else
        // (hidden or former staff) have no row and are left out.
        QStringList people;
        for (int i = 0; i < cmbUser[0]->count(); ++i)
            if (cmbUser[0]->itemText(i) != u"(전직원)"_s)
                people.append(cmbUser[0]->itemText(i));

        std::vector<team::Entry> entries;
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
        // The status bar tells how fresh the data is on this tab too.
        if (found >= 0)
            m_live->NoteLoaded(2, where, rowsHash, found);
        else
            m_live->NoteFailed(2, true);
        if (isVisible() && SSTab1->currentIndex() == 2 && !background)
            spTeam->setFocus();
    } catch (const std::exception& e) {
        CloseRecordset(rs);
        spTeam->SetLayout(team::LayOut({}, {}, {}), Today());
        ReportProcError(e, u"RefreshTeam"_s, u"Form"_s, u"FrmMain"_s);
    }
}

void FrmMain::RedrawTeamKeepingView() {
    const team::Layout& before = spTeam->Layout();
    const int selected = spTeam->SelectedBar();
    int seq = 0;
    if (selected >= 0 && selected < static_cast<int>(before.bars.size()))
        seq = before.entries[static_cast<std::size_t>(before.bars[static_cast<std::size_t>(selected)].entry)].seq;
    const int top = spTeam->verticalScrollBar()->value();
    const int left = spTeam->horizontalScrollBar()->value();
    RefreshTeam();
    // The entry that was selected, wherever its bar is now.
    const team::Layout& after = spTeam->Layout();
    for (std::size_t b = 0; seq > 0 && b < after.bars.size(); ++b)
        if (after.entries[static_cast<std::size_t>(after.bars[b].entry)].seq == seq) {
            spTeam->SelectBar(static_cast<int>(b));
            break;
        }
    spTeam->verticalScrollBar()->setValue(top);
    spTeam->horizontalScrollBar()->setValue(left);
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
