// The search list of owners with 10,000 and 100,000 entries: Refresh_Sheet2 (query + filling
// the grid) next to the bare query of the same statement on the same connection.
// Needs the private database server (scripts/dbserver start).
#include "common/BenchDb.h"
#include "db/modMySQL_Func_lite.h"
#include "support/Clock.h"
#include "support/Config.h"
#include "support/Cp949.h"
#include "support/Globals.h"
#include "ui/list/ListTab.h"
#include "ui/list/ScheduleListModel.h"
#include "ui/list/ScheduleListView.h"
#include "ui/grid/SpreadGrid.h"
#include "ui/main/FrmMain.h"

#include <QApplication>
#include <QComboBox>
#include <QCoreApplication>
#include <QFile>
#include <QLineEdit>
#include <QPixmap>
#include <QTableView>

#include <benchmark/benchmark.h>
#include <mysql.h>

#ifdef _WIN32
#include <windows.h>
// After windows.h: it needs the types.
#include <psapi.h>
#else
#include <sys/resource.h>
#endif

#include <cstdio>
#include <memory>
#include <stdexcept>
#include <string>

using namespace worktide;
using namespace worktide::bench;
using namespace Qt::StringLiterals;

namespace {

constexpr int kEntries = 10000;
constexpr int kLargeEntries = 100000;
const QString kOwner = u"김하늘"_s;
const QString kLargeOwner = u"이만건"_s; // the owner of 100,000 entries
QString g_dbName;
FrmMain* g_form = nullptr;
long g_baselineKb = 0; // peak resident size before the first list was filled

long PeakRssKb() {
#ifdef _WIN32
    PROCESS_MEMORY_COUNTERS counters{};
    GetProcessMemoryInfo(GetCurrentProcess(), &counters, sizeof counters);
    return static_cast<long>(counters.PeakWorkingSetSize / 1024);
#else
    rusage usage{};
    getrusage(RUSAGE_SELF, &usage);
    return usage.ru_maxrss;
#endif
}

void Setup() {
    g_dbName = u"wt_bench_searchlist_%1"_s.arg(QCoreApplication::applicationPid());
    CreateBenchDatabase(g_dbName);
    for (int i = 0; i < kEntries; i += 1000)
        RunAdmin(ListEntryRows(kOwner, i, 1000), g_dbName);
    for (int i = 0; i < kLargeEntries; i += 2000)
        RunAdmin(ListEntryRows(kLargeOwner, i, 2000), g_dbName);
    RunAdmin(u"INSERT INTO worktide (devname, title, sdate, edate) VALUES ('다른사람', 'x', '2009-01-05', '')"_s,
             g_dbName);
    if (!DBInit(QString::fromLatin1(kLocalServer), QString::fromLatin1(kDbUser), QString::fromLatin1(kDbPassword),
                g_dbName))
        throw std::runtime_error("DBInit failed");
    SetToday(QDate(2009, 1, 14));
    gUserName = kOwner;
    g_form = new FrmMain;
    g_form->cmbUser[1]->addItems({kOwner, kLargeOwner});
    g_form->cmbCategory[1]->addItem(u"(전체구분)"_s);
    g_form->cmbFinish[1]->setCurrentIndex(0);
    g_form->resize(1200, 760);
    g_form->show();
    g_form->hide(); // hidden: no focus changes and no notice window in the loop
    g_baselineKb = PeakRssKb();
}

void Teardown() {
    delete g_form;
    g_form = nullptr;
    DBClose();
    DropBenchDatabase(g_dbName);
}

// The statement Refresh_Sheet2 sends with these filters.
QString ListQuery(const QString& owner) {
    return u"SELECT * FROM worktide WHERE devname = '"_s + EscapeSQL(owner) +
           u"' ORDER BY if(edate='','9999-99-99',edate), sdate, seq"_s;
}

// Arg 0: the owner of 10,000 entries; 1: the owner of 100,000.
const QString& OwnerOf(const benchmark::State& state) {
    return state.range(0) == 0 ? kOwner : kLargeOwner;
}

void ShowOwner(const benchmark::State& state) {
    g_form->cmbUser[1]->blockSignals(true);
    g_form->cmbUser[1]->setCurrentText(OwnerOf(state));
    g_form->cmbUser[1]->blockSignals(false);
}

void BM_Refresh_Sheet2(benchmark::State& state) {
    ShowOwner(state);
    g_form->Refresh_Sheet2();
    for (auto _ : state)
        g_form->Refresh_Sheet2();
    state.counters["rows"] = g_form->tabList->spList->MaxRows();
    state.counters["peak_rss_MB"] = static_cast<double>(PeakRssKb()) / 1024.0;
}
BENCHMARK(BM_Refresh_Sheet2)->Arg(0)->Arg(1)->Unit(benchmark::kMillisecond);

// The first fill of the tab (or after an empty result): every cell is new.
void BM_Refresh_Sheet2_FromEmpty(benchmark::State& state) {
    ShowOwner(state);
    for (auto _ : state) {
        state.PauseTiming();
        g_form->tabList->Model()->Clear();
        state.ResumeTiming();
        g_form->Refresh_Sheet2();
    }
    state.counters["rows"] = g_form->tabList->spList->MaxRows();
}
BENCHMARK(BM_Refresh_Sheet2_FromEmpty)->Arg(0)->Arg(1)->Unit(benchmark::kMillisecond);

// One screenful of the list painted, scrolled to the middle of its rows: what each step of
// scrolling costs.
void BM_ListPaintScreenful(benchmark::State& state) {
    ShowOwner(state);
    g_form->Refresh_Sheet2();
    auto* view = g_form->tabList->spList;
    view->resize(900, 600);
    view->scrollTo(view->model()->index(view->model()->rowCount() / 2, 2), QAbstractItemView::PositionAtTop);
    for (auto _ : state) {
        const QPixmap shot = view->viewport()->grab();
        benchmark::DoNotOptimize(shot);
    }
    state.counters["rows"] = view->model()->rowCount();
}
BENCHMARK(BM_ListPaintScreenful)->Arg(0)->Arg(1)->Unit(benchmark::kMillisecond);

void BM_ListQueryOnly(benchmark::State& state) {
    qint32 rows = 0;
    const QString sql = ListQuery(OwnerOf(state));
    for (auto _ : state) {
        RecordsetPtr rs;
        rows = OpenRecordset(rs, sql);
        benchmark::DoNotOptimize(rs);
        CloseRecordset(rs);
    }
    state.counters["rows"] = rows;
}
BENCHMARK(BM_ListQueryOnly)->Arg(0)->Arg(1)->Unit(benchmark::kMillisecond);

// The same statement sent straight on the window thread, without the worker.
void BM_ListQueryDirect(benchmark::State& state) {
    const QByteArray sql = ToAnsi(ListQuery(OwnerOf(state)));
    MYSQL* h = gDB->nativeHandle();
    for (auto _ : state) {
        mysql_real_query(h, sql.constData(), static_cast<unsigned long>(sql.size()));
        mysql_free_result(mysql_store_result(h));
    }
}
BENCHMARK(BM_ListQueryDirect)->Arg(0)->Arg(1)->Unit(benchmark::kMillisecond);

} // namespace

int main(int argc, char** argv) {
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    benchmark::Initialize(&argc, argv);
    try {
        Setup();
    } catch (const std::exception& e) {
        std::fprintf(stderr, "bench_searchlist: %s\n", e.what());
        return 1;
    }
    benchmark::RunSpecifiedBenchmarks();
    std::fprintf(stderr, "peak RSS: %ld kB (before the first fill: %ld kB)\n", PeakRssKb(), g_baselineKb);
    benchmark::Shutdown();
    Teardown();
    return 0;
}
