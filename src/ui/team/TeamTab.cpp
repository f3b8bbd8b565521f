#include "ui/team/TeamTab.h"

#include "db/modMySQL_Func_lite.h"
#include "support/Clock.h"
#include "support/VbError.h"
#include "ui/shared/TabFeed.h"
#include "ui/team/TeamLayout.h"
#include "ui/team/TeamSheet.h"

#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QScrollBar>
#include <QVBoxLayout>

using namespace Qt::StringLiterals;

namespace worktide {

TeamTab::TeamTab(QWidget* parent) : QWidget(parent) {
    setObjectName(u"TeamTab"_s);
    auto* layout = new QVBoxLayout(this);
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

    for (int i = 0; i < 2; ++i)
        connect(btnTeamMonth[i], &QPushButton::clicked, this, [this, i] { emit monthStepRequested(i == 0 ? -1 : 1); });
    connect(btnTeamToday, &QPushButton::clicked, this, &TeamTab::todayRequested);
    connect(spTeam, &TeamSheet::EntryActivated, this, &TeamTab::entryActivated);
}

TeamFilter TeamTab::Filter() const {
    return m_source ? m_source() : TeamFilter{};
}

QString TeamTab::Query(QString* where) const {
    const TeamFilter f = Filter();
    const QDate month = team::MonthOfKey(f.monthKey);
    if (!month.isValid())
        return {};
    const QString from = team::FirstDayText(month);
    const QString to = team::LastDayText(month);
    if (where)
        *where = MakeScheduleTeamRangeWhere(from, to, f.finished, f.category);
    return MakeScheduleTeamRangeSQL(from, to, f.finished, f.category);
}

bool TeamTab::ShownQuery(QString& where, QString& sql) const {
    // The view follows the calendar's month and filters, as its refresh reads them.
    if (m_sql.isEmpty())
        return false;
    sql = Query(&where);
    return !sql.isEmpty();
}

void TeamTab::Load() {
    RecordsetPtr rs;
    const bool background = m_feed && m_feed->InBackground();
    try {
        const TeamFilter f = Filter();
        const QDate month = team::MonthOfKey(f.monthKey);
        QString where;
        const QString sql = Query(&where);
        m_sql = sql;
        if (!month.isValid())
            return;

        qint32 found = 0;
        if (!OpenTabRows(m_feed, kTab, where, sql, rs, found))
            return;
        const size_t rowsHash = rs ? rs->ValuesHash() : 0;
        lblTeamDate->setText(f.caption);

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
        // The rows are the owner box's people, in its order; entries of anybody else (hidden
        // or former staff) have no row and are left out.
        spTeam->SetLayout(team::LayOut(f.people, std::move(entries), month), Today());
        // The status bar tells how fresh the data is on this tab too.
        if (m_feed) {
            if (found >= 0)
                m_feed->NoteLoaded(kTab, where, rowsHash, found);
            else
                m_feed->NoteFailed(kTab, true);
        }
        if (isVisible() && !background)
            spTeam->setFocus();
    } catch (const std::exception& e) {
        CloseRecordset(rs);
        spTeam->SetLayout(team::LayOut({}, {}, {}), Today());
        ReportProcError(e, u"RefreshTeam"_s, u"Form"_s, u"FrmMain"_s);
    }
}

void TeamTab::Recheck(bool) {
    const team::Layout& before = spTeam->Layout();
    const int selected = spTeam->SelectedBar();
    int seq = 0;
    if (selected >= 0 && selected < static_cast<int>(before.bars.size()))
        seq = before.entries[static_cast<std::size_t>(before.bars[static_cast<std::size_t>(selected)].entry)].seq;
    const int top = spTeam->verticalScrollBar()->value();
    const int left = spTeam->horizontalScrollBar()->value();
    Load();
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

} // namespace worktide
