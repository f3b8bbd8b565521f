// The window while a statement is stalled behind the fault proxy for 10 s: the longest
// gap between two ticks of a 10 ms timer. Next to it, what running a statement on the
// worker thread costs on a healthy server: a small query through gDB against the same
// query run directly on the window thread. Needs the private database server.
#include "common/FaultProxy.h"
#include "common/TestDb.h"
#include "db/DbWait.h"
#include "db/modMySQL_Func_lite.h"
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

void BM_TickGapDuringTenSecondStall(benchmark::State& state) {
    test::FaultProxy proxy(u"127.0.0.1"_s, 0);
    Connect(proxy.port(), proxy.host());
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
BENCHMARK(BM_TickGapDuringTenSecondStall)->Iterations(1)->Unit(benchmark::kMillisecond);

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
