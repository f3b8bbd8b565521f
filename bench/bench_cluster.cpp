// The program against the Galera cluster through HAProxy (127.0.0.10, scripts/cluster)
// next to the single private server (127.0.0.2), in one run, on the same data: an owner
// with 10,000 entries. Measured: the calendar's month switch (SetSheetMonth + RefreshSheet)
// and the search list's refresh (Refresh_Sheet2) on each, the ratio cluster / single, and
// the time from killing the node that serves the session to the next statement that
// succeeds through the proxy (a read and a save; the node is restarted between runs).
// Needs scripts/dbserver start; without the cluster it says so and measures nothing.
#include "common/ClusterNodes.h"
#include "common/BenchDb.h"
#include "db/modMySQL_Func_lite.h"
#include "db/modSchedule.h"
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
#include <QElapsedTimer>
#include <QFile>

#include <benchmark/benchmark.h>
#include <mysql.h>

#include <csignal>
#include <poll.h>
#include <unistd.h>
#include <cstdio>
#include <map>
#include <memory>
#include <stdexcept>
#include <string>

using namespace worktide;
using namespace worktide::bench;
using namespace Qt::StringLiterals;
using test::Cluster;

namespace {

constexpr int kEntries = 10000;
const QString kOwner = u"김하늘"_s;
const char* const kHosts[] = {kLocalServer, "127.0.0.10"}; // single server, cluster proxy
const char* const kNames[] = {"single", "cluster"};
QString g_dbName;
FrmMain* g_form = nullptr;

void Setup() {
    g_dbName = u"wt_bench_cluster_%1"_s.arg(QCoreApplication::applicationPid());
    for (const char* host : kHosts) {
        CreateBenchDatabase(g_dbName, host);
        RunAdmin(u"INSERT INTO user (id, name, password2, hidden, groupcode) VALUES ('sky', '김하늘', '', 0, 1)"_s,
                 g_dbName, host);
        for (int i = 0; i < kEntries; i += 1000)
            RunAdmin(ListEntryRows(kOwner, i, 1000), g_dbName, host);
    }
    // Every node holds the data before anything is measured.
    for (int node = 1; node <= 3; ++node)
        Cluster::Scalar(node, g_dbName, u"SELECT COUNT(*) FROM worktide"_s);
    SetToday(QDate(2009, 1, 14));
    gUserId = u"sky"_s;
    gUserName = kOwner;
    if (!DBInit(QString::fromLatin1(kHosts[0]), QString::fromLatin1(kDbUser), QString::fromLatin1(kDbPassword),
                g_dbName))
        throw std::runtime_error("DBInit failed");
    g_form = new FrmMain;
    g_form->Form_Load();
    g_form->cmbUser[1]->addItem(kOwner);
    g_form->cmbUser[1]->setCurrentText(kOwner);
    g_form->cmbCategory[1]->addItem(u"(전체구분)"_s);
    g_form->cmbFinish[1]->setCurrentIndex(0);
}

void Teardown() {
    delete g_form;
    g_form = nullptr;
    DBClose();
    for (const char* host : kHosts) {
        try {
            DropBenchDatabase(g_dbName, host);
        } catch (const std::exception&) {
        }
    }
}

// gDB on the single server (0) or through the proxy (1).
void Use(int target) {
    if (!DBInit(QString::fromLatin1(kHosts[target]), QString::fromLatin1(kDbUser), QString::fromLatin1(kDbPassword),
                g_dbName))
        throw std::runtime_error("DBInit failed");
}

void BM_MonthSwitch(benchmark::State& state) {
    Use(static_cast<int>(state.range(0)));
    bool january = false;
    for (auto _ : state) {
        january = !january;
        if (g_form->SetSheetMonth(2009, january ? 1 : 3))
            g_form->RefreshSheet();
    }
    state.SetLabel(kNames[state.range(0)]);
}
BENCHMARK(BM_MonthSwitch)->Arg(0)->Arg(1)->Unit(benchmark::kMillisecond);

void BM_Refresh_Sheet2(benchmark::State& state) {
    Use(static_cast<int>(state.range(0)));
    for (auto _ : state)
        g_form->Refresh_Sheet2();
    state.counters["rows"] = g_form->tabList->spList->MaxRows();
    state.SetLabel(kNames[state.range(0)]);
}
BENCHMARK(BM_Refresh_Sheet2)->Arg(0)->Arg(1)->Unit(benchmark::kMillisecond);

// From the SIGKILL of the node serving the session to the end of the next statement that
// succeeds through the proxy: a month query (0) or a new entry (1, which waits until the
// cluster has let the dead node go). The node comes back between runs, outside the time.
void BM_ReconnectAfterNodeLoss(benchmark::State& state) {
    const bool save = state.range(0) == 1;
    ScheduleValues v;
    v.owner = u"재접속"_s;
    v.title = u"노드를 잃은 뒤의 저장"_s;
    for (auto _ : state) {
        Use(1);
        RecordsetPtr rs;
        OpenRecordset(rs, u"SELECT @@wsrep_node_name"_s);
        const int node = rs ? rs->Value(0).mid(4).toInt() : 0;
        const qint64 pid = Cluster::NodePid(node);
        if (pid <= 0) {
            state.SkipWithError("no pid for the serving node");
            break;
        }
        QElapsedTimer clock;
        clock.start();
        ::kill(static_cast<pid_t>(pid), SIGKILL);
        // The next action comes once the proxy has closed the session (what the program
        // notices before it sends); a statement sent before that is lost with the node.
        pollfd p{static_cast<int>(mysql_get_socket(gDB->nativeHandle())), POLLIN, 0};
        ::poll(&p, 1, 5000);
        const bool ok = save ? ExecuteSQL(MakeScheduleInsertSQL(v)) == 1
                             : OpenRecordset(rs, MakeScheduleRangeSQL(u"2009-01-01"_s, u"2009-01-31"_s, kOwner,
                                                                      FinishedFilter::All, std::nullopt)) > 0;
        state.SetIterationTime(static_cast<double>(clock.nsecsElapsed()) / 1e9);
        if (!ok || gDB->reconnectCount() != 1) {
            state.SkipWithError("the statement after the node loss failed");
            break;
        }
        // Gone for good before it is started again.
        for (int i = 0; i < 500 && ::kill(static_cast<pid_t>(pid), 0) == 0; ++i)
            ::usleep(10000);
        if (!Cluster::Restart(node)) {
            state.SkipWithError("the node did not come back");
            break;
        }
    }
    state.SetLabel(save ? "save" : "month query");
}
BENCHMARK(BM_ReconnectAfterNodeLoss)->Arg(0)->Arg(1)->Iterations(3)->UseManualTime()->Unit(benchmark::kMillisecond);

// The console report, then the cluster / single ratio of each measured pair.
class RatioReporter : public benchmark::ConsoleReporter {
public:
    void ReportRuns(const std::vector<Run>& runs) override {
        ConsoleReporter::ReportRuns(runs);
        for (const Run& run : runs)
            if (run.run_type == Run::RT_Iteration && !run.error_occurred)
                m_ms[run.benchmark_name()] = run.GetAdjustedRealTime();
    }
    void Finalize() override {
        ConsoleReporter::Finalize();
        for (const char* name : {"BM_MonthSwitch", "BM_Refresh_Sheet2"}) {
            const std::string base = name;
            const auto single = m_ms.find(base + "/0");
            const auto cluster = m_ms.find(base + "/1");
            if (single != m_ms.end() && cluster != m_ms.end() && single->second > 0)
                std::printf("%-20s single %8.2f ms  cluster %8.2f ms  ratio cluster/single %.2f\n", name,
                            single->second, cluster->second, cluster->second / single->second);
        }
    }

private:
    std::map<std::string, double> m_ms;
};

} // namespace

int main(int argc, char** argv) {
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    benchmark::Initialize(&argc, argv);
    const QString unavailable = Cluster::UnavailableReason();
    if (!unavailable.isEmpty()) {
        std::printf("bench_cluster: skipped, %s\n", unavailable.toLocal8Bit().constData());
        return 0;
    }
    try {
        Setup();
    } catch (const std::exception& e) {
        std::fprintf(stderr, "bench_cluster: %s\n", e.what());
        Teardown();
        return 1;
    }
    RatioReporter reporter;
    benchmark::RunSpecifiedBenchmarks(&reporter);
    benchmark::Shutdown();
    Teardown();
    return 0;
}
