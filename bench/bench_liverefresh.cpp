// The main window's check for changes made elsewhere, next to what it saves: the month
// (300 entries in the shown weeks) and the search list (10,000 entries). For each: the
// bare query of the view, the fingerprint read alone, the idle check that finds nothing
// changed (it must never rebuild the grid), the first check after F5, F5 itself, F5 and
// a check after a coworker's edit (made on a second connection, outside the timing).
// Needs the private database server (scripts/dbserver start).
#include "common/BenchDb.h"
#include "db/modMySQL_Func_lite.h"
#include "db/modSchedule.h"
#include "support/Clock.h"
#include "support/Config.h"
#include "support/Cp949.h"
#include "support/Globals.h"
#include "ui/grid/SpreadGrid.h"
#include "ui/main/FrmMain.h"
#include "ui/main/LiveRefresh.h"

#include <QApplication>
#include <QComboBox>
#include <QCoreApplication>
#include <QFile>
#include <QStandardPaths>
#include <QTabWidget>

#include <benchmark/benchmark.h>
#include <mysql.h>

#include <cstdio>
#include <memory>
#include <stdexcept>
#include <string>

using namespace worktide;
using namespace worktide::bench;
using namespace Qt::StringLiterals;

namespace {

const QString kMonthOwner = u"김하늘"_s; // 300 entries around January 2009
const QString kListOwner = u"이서연"_s;  // 10,000 entries over three years
constexpr int kListEntries = 10000;
QString g_dbName;
FrmMain* g_form = nullptr;
std::unique_ptr<MYSQL, decltype(&mysql_close)> g_coworker(nullptr, &mysql_close);

// The month: entries one to four days long in the shown weeks of January 2009.
QString MonthRows() {
    static const QString titles[] = {
        u"주간회의"_s, u"release build"_s, u"고객사 방문 상담"_s, u"abc"_s, u"서버 점검 및 백업 작업 진행"_s,
        u"문서"_s};
    QString sql = u"INSERT INTO worktide (wdate, devname, title, details, sdate, edate, finished, catename) VALUES "_s;
    for (int i = 0; i < 300; ++i) {
        const QDate s = QDate(2008, 12, 28).addDays((i * 7) % 40);
        if (i)
            sql += u","_s;
        sql += u"('2009-01-01', '%1', '%2', '', '%3', '%4', %5, '개발')"_s.arg(
            kMonthOwner, titles[i % 6], s.toString(u"yyyy-MM-dd"_s), s.addDays(i % 4).toString(u"yyyy-MM-dd"_s),
            QString::number(i % 3 == 0));
    }
    return sql;
}

void Setup() {
    g_dbName = u"wt_bench_liverefresh_%1"_s.arg(QCoreApplication::applicationPid());
    CreateBenchDatabase(g_dbName);
    RunAdmin(u"INSERT INTO user (id, name, password2, hidden, groupcode) VALUES ('sky', '김하늘', '', 0, 1), "
             "('lee', '이서연', '', 0, 1);"_s +
                 MonthRows(),
             g_dbName);
    for (int i = 0; i < kListEntries; i += 1000)
        RunAdmin(ListEntryRows(kListOwner, i, 1000), g_dbName);
    if (!DBInit(QString::fromLatin1(kLocalServer), QString::fromLatin1(kDbUser), QString::fromLatin1(kDbPassword),
                g_dbName))
        throw std::runtime_error("DBInit failed");
    g_coworker.reset(ConnectAdmin(g_dbName));
    SetToday(QDate(2009, 1, 14));
    gUserId = u"sky"_s;
    gUserName = kMonthOwner;
    g_form = new FrmMain;
    g_form->Form_Load();
    // The list of the other owner, every entry: open and finished.
    g_form->cmbUser[1]->setCurrentIndex(g_form->cmbUser[1]->findText(kListOwner));
    g_form->cmbFinish[1]->setCurrentIndex(0);
}

void Teardown() {
    delete g_form;
    g_form = nullptr;
    DBClose();
    g_coworker.reset();
    DropBenchDatabase(g_dbName);
}

void ShowTab(int tab) {
    if (g_form->SSTab1->currentIndex() != tab)
        g_form->SSTab1->setCurrentIndex(tab);
}

// The statement the shown tab runs and its condition.
QString MonthQuery() {
    return MakeScheduleRangeSQL(u"2008-12-28"_s, u"2009-02-07"_s, kMonthOwner, FinishedFilter::All, std::nullopt);
}
QString ListQuery() {
    return MakeScheduleListSQL(kListOwner, {}, FinishedFilter::All, std::nullopt);
}
QString Where(int tab) {
    return tab == 0 ? MakeScheduleRangeWhere(u"2008-12-28"_s, u"2009-02-07"_s, kMonthOwner, FinishedFilter::All,
                                             std::nullopt)
                    : MakeScheduleListWhere(kListOwner, {}, FinishedFilter::All, std::nullopt);
}

void BareQuery(benchmark::State& state, int tab) {
    ShowTab(tab);
    const QString sql = tab == 0 ? MonthQuery() : ListQuery();
    qint32 rows = 0;
    for (auto _ : state) {
        RecordsetPtr rs;
        rows = OpenRecordset(rs, sql);
        benchmark::DoNotOptimize(rs);
        CloseRecordset(rs);
    }
    state.counters["rows"] = rows;
}

void FingerprintOnly(benchmark::State& state, int tab) {
    const QString where = Where(tab);
    for (auto _ : state) {
        const RangeFingerprint fp = ReadScheduleFingerprint(where);
        if (!fp.ok)
            state.SkipWithError("fingerprint failed");
        benchmark::DoNotOptimize(fp);
    }
}

// Steady state: the fingerprint of the drawn rows is known.
void IdleCheck(benchmark::State& state, int tab) {
    ShowTab(tab);
    LiveRefresh* live = g_form->Live();
    g_form->RefreshTab(tab);
    live->Tick(); // the first check after F5 compares the rows once (measured below)
    const int before = live->Rebuilds();
    for (auto _ : state)
        if (live->Tick() != LiveRefresh::Outcome::Unchanged)
            state.SkipWithError("an idle check did not find the tab unchanged");
    // Nothing changed: the grid must not have been rebuilt even once.
    if (live->Rebuilds() != before)
        state.SkipWithError("an idle check rebuilt the grid");
    state.counters["rebuilds"] = live->Rebuilds() - before;
}

// The first check after a refresh the user asked for, which read no fingerprint: the
// fingerprint and the rows once, compared with those drawn; nothing rebuilt.
void FirstCheckAfterF5(benchmark::State& state, int tab) {
    ShowTab(tab);
    LiveRefresh* live = g_form->Live();
    const int before = live->Rebuilds();
    for (auto _ : state) {
        state.PauseTiming();
        g_form->RefreshTab(tab);
        state.ResumeTiming();
        if (live->Tick() != LiveRefresh::Outcome::Unchanged)
            state.SkipWithError("the first check did not find the tab unchanged");
    }
    if (live->Rebuilds() != before)
        state.SkipWithError("the first check rebuilt the grid");
}

void F5(benchmark::State& state, int tab) {
    ShowTab(tab);
    for (auto _ : state)
        g_form->RefreshTab(tab);
}

// A coworker's edit of one shown entry (outside the timing).
QString CoworkerEdit(int tab) {
    return u"UPDATE worktide SET title = CONCAT('변경 ', seq, ' ', RAND()) WHERE devname = '"_s +
           (tab == 0 ? kMonthOwner : kListOwner) + u"' ORDER BY seq LIMIT 1"_s;
}

// F5 pressed after such an edit.
void F5AfterChange(benchmark::State& state, int tab) {
    ShowTab(tab);
    const QString edit = CoworkerEdit(tab);
    for (auto _ : state) {
        state.PauseTiming();
        Run(g_coworker.get(), edit);
        state.ResumeTiming();
        g_form->RefreshTab(tab);
    }
}

// The check that finds the edit and draws it.
void CheckWithChange(benchmark::State& state, int tab) {
    ShowTab(tab);
    LiveRefresh* live = g_form->Live();
    const QString edit = CoworkerEdit(tab);
    const int before = live->Rebuilds();
    for (auto _ : state) {
        state.PauseTiming();
        Run(g_coworker.get(), edit);
        state.ResumeTiming();
        if (live->Tick() != LiveRefresh::Outcome::Refreshed)
            state.SkipWithError("a change was not drawn");
    }
    state.counters["rebuilds"] = live->Rebuilds() - before;
}

BENCHMARK_CAPTURE(BareQuery, Month, 0)->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(FingerprintOnly, Month, 0)->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(IdleCheck, Month, 0)->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(FirstCheckAfterF5, Month, 0)->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(F5, Month, 0)->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(F5AfterChange, Month, 0)->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(CheckWithChange, Month, 0)->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(BareQuery, List, 1)->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(FingerprintOnly, List, 1)->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(IdleCheck, List, 1)->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(FirstCheckAfterF5, List, 1)->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(F5, List, 1)->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(F5AfterChange, List, 1)->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(CheckWithChange, List, 1)->Unit(benchmark::kMillisecond);

} // namespace

int main(int argc, char** argv) {
    qputenv("QT_QPA_PLATFORM", "offscreen");
    // The agenda switch is read from the settings store: never the real user's.
    QStandardPaths::setTestModeEnabled(true);
    QApplication app(argc, argv);
    benchmark::Initialize(&argc, argv);
    try {
        Setup();
    } catch (const std::exception& e) {
        std::fprintf(stderr, "bench_liverefresh: %s\n", e.what());
        return 1;
    }
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    Teardown();
    return 0;
}
