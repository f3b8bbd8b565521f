// The window while a statement is stalled behind the fault proxy for 10 s: the longest
// gap between two ticks of a 10 ms timer, for a statement the user started and for one of
// the live refresh's checks. Next to it, what running a statement on the worker thread
// costs on a healthy server: a small query through gDB against the same query run directly
// on the window thread; and a new entry's save as the INSERT alone against the INSERT
// preceded by the read of the highest seq that lets a lost one be settled. Needs the
// private database server.
#include "common/BenchDb.h"
#include "common/FaultProxy.h"
#include "common/TestDb.h"
#include "db/DbWait.h"
#include "db/modMySQL_Func_lite.h"
#include "db/modScheduleInsert.h"
#include "support/Config.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QTimer>

#include <benchmark/benchmark.h>
#include <mysql.h>

#include <algorithm>
#include <memory>

using namespace worktide;
using namespace Qt::StringLiterals;

namespace {

const QString kSmall = u"SELECT user_id FROM user_mac WHERE mac_addr = 'none' AND block = 0"_s;

void Connect(int port, const QString& host) {
    gDB = std::make_unique<cMySQL>();
    if (!gDB->real_connect(host, QString::fromLatin1(kDbUser), QString::fromLatin1(kDbPassword), u"dd_inhouse"_s, port,
                           {}, 0, true))
        throw std::runtime_error("database server not reachable");
}

// Arg 0: a statement the user started; arg 1: the live refresh's check (background work,
// whose own bound is lifted above the stall here).
void BM_TickGapDuringTenSecondStall(benchmark::State& state) {
    test::FaultProxy proxy(u"127.0.0.1"_s, 0);
    Connect(proxy.port(), proxy.host());
    DbTimeouts bounds = GetDbTimeouts();
    bounds.backgroundSeconds = 20;
    const ScopedDbTimeouts scoped(bounds);
    std::unique_ptr<ScopedBackgroundWork> background;
    if (state.range(0) == 1)
        background = std::make_unique<ScopedBackgroundWork>();
    for (auto _ : state) {
        proxy.setMode(test::FaultProxy::Mode::Stall);
        QElapsedTimer clock;
        clock.start();
        qint64 last = 0;
        qint64 worst = 0;
        QTimer tick;
        QObject::connect(&tick, &QTimer::timeout, [&] {
            const qint64 now = clock.elapsed();
            worst = std::max(worst, now - last);
            last = now;
        });
        tick.start(10);
        QTimer::singleShot(10000, [&proxy] { proxy.setMode(test::FaultProxy::Mode::Pass); });
        RecordsetPtr rs;
        OpenRecordset(rs, kSmall);
        state.counters["stall_ms"] = static_cast<double>(clock.elapsed());
        state.counters["longest_tick_gap_ms"] = static_cast<double>(worst);
    }
    DBClose();
}
BENCHMARK(BM_TickGapDuringTenSecondStall)->Arg(0)->Arg(1)->Iterations(1)->Unit(benchmark::kMillisecond);

// Arg 0: the INSERT alone, as a save sent it before; arg 1: InsertScheduleOnce.
void BM_NewEntrySave(benchmark::State& state) {
    const QString db = u"wt_bench_saveonce_%1"_s.arg(QCoreApplication::applicationPid());
    bench::CreateBenchDatabase(db);
    gDB = std::make_unique<cMySQL>();
    if (!gDB->real_connect(u"127.0.0.1"_s, QString::fromLatin1(kDbUser), QString::fromLatin1(kDbPassword), db, 3306, {},
                           0, true))
        throw std::runtime_error("database server not reachable");
    ScheduleValues v;
    v.owner = u"김하늘"_s;
    v.title = u"주간 회의 준비"_s;
    v.details = u"자료 정리\r\n회의실 예약"_s;
    v.sdate = u"2026-12-08"_s;
    v.edate = u"2026-12-09"_s;
    v.category = u"업무"_s;
    for (auto _ : state) {
        if (state.range(0) == 0)
            benchmark::DoNotOptimize(ExecuteSQL(MakeScheduleInsertSQL(v)));
        else
            benchmark::DoNotOptimize(InsertScheduleOnce(v).seq);
    }
    DBClose();
    bench::DropBenchDatabase(db);
}
BENCHMARK(BM_NewEntrySave)->Arg(0)->Arg(1)->Arg(0)->Arg(1)->Unit(benchmark::kMicrosecond);

void BM_SmallQueryThroughGDB(benchmark::State& state) {
    Connect(3306, test::DbServer::host());
    for (auto _ : state) {
        RecordsetPtr rs;
        benchmark::DoNotOptimize(OpenRecordset(rs, kSmall));
    }
    DBClose();
}
BENCHMARK(BM_SmallQueryThroughGDB)->Unit(benchmark::kMicrosecond);

void BM_SmallQueryDirect(benchmark::State& state) {
    Connect(3306, test::DbServer::host());
    const QByteArray sql = kSmall.toLatin1();
    MYSQL* h = gDB->nativeHandle();
    for (auto _ : state) {
        mysql_real_query(h, sql.constData(), static_cast<unsigned long>(sql.size()));
        mysql_free_result(mysql_store_result(h));
    }
    DBClose();
}
BENCHMARK(BM_SmallQueryDirect)->Unit(benchmark::kMicrosecond);

} // namespace

int main(int argc, char** argv) {
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
