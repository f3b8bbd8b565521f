// Month switch of the calendar (SetSheetMonth + RefreshSheet) for an owner with 300
// entries in the shown weeks, next to the bare month query on the same connection.
// Needs the private database server (scripts/dbserver start).
#include "common/BenchDb.h"
#include "db/modMySQL_Func_lite.h"
#include "support/Clock.h"
#include "support/Config.h"
#include "support/Cp949.h"
#include "support/Globals.h"
#include "ui/main/FrmMain.h"

#include <QApplication>
#include <QComboBox>
#include <QCoreApplication>
#include <QFile>

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

const QString kOwner = u"김하늘"_s;
QString g_dbName;
FrmMain* g_form = nullptr;

// 300 entries in the shown weeks of January 2009 and 300 in those of March 2009,
// one to four days long, with Hangul and ASCII titles of assorted widths.
QString EntryRows(const QDate& first, int count) {
    static const QString titles[] = {
        u"주간회의"_s, u"release build"_s, u"고객사 방문 상담"_s, u"abc"_s, u"서버 점검 및 백업 작업 진행"_s,
        u"문서"_s};
    QString sql = u"INSERT INTO worktide (wdate, devname, title, details, sdate, edate, finished, catename) VALUES "_s;
    for (int i = 0; i < count; ++i) {
        const QDate s = first.addDays((i * 7) % 40);
        const QDate e = s.addDays(i % 4);
        if (i)
            sql += u","_s;
        sql += u"('2009-01-01', '%1', '%2', '', '%3', '%4', %5, '개발')"_s.arg(
            kOwner, titles[i % 6], s.toString(u"yyyy-MM-dd"_s), e.toString(u"yyyy-MM-dd"_s),
            QString::number(i % 3 == 0));
    }
    return sql;
}

void Setup() {
    g_dbName = u"wt_bench_calendar_%1"_s.arg(QCoreApplication::applicationPid());
    CreateBenchDatabase(g_dbName);
    RunAdmin(
        u"INSERT INTO user (id, name, password2, hidden, groupcode) VALUES ('sky', '김하늘', '', 0, 1);"_s +
            EntryRows(QDate(2008, 12, 28), 300) + u";"_s + EntryRows(QDate(2009, 3, 1), 300) +
            u"; INSERT INTO worktide (devname, title, sdate, edate) VALUES ('다른사람', 'x', '2009-01-05', '2009-01-06')"_s,
        g_dbName);
    if (!DBInit(QString::fromLatin1(kLocalServer), QString::fromLatin1(kDbUser), QString::fromLatin1(kDbPassword),
                g_dbName))
        throw std::runtime_error("DBInit failed");
    SetToday(QDate(2009, 1, 14));
    gUserId = u"sky"_s;
    gUserName = kOwner;
    g_form = new FrmMain;
    g_form->Form_Load();
}

void Teardown() {
    delete g_form;
    g_form = nullptr;
    DBClose();
    DropBenchDatabase(g_dbName);
}

// The statement RefreshSheet sends for the shown weeks of a month.
QString MonthQuery(const QDate& from, const QDate& to) {
    return u"SELECT * FROM worktide WHERE sdate <= '"_s + to.toString(u"yyyy-MM-dd"_s) +
           u"' AND sdate <> '' AND edate >= '"_s + from.toString(u"yyyy-MM-dd"_s) + u"' AND devname = '"_s +
           EscapeSQL(kOwner) + u"'"_s + u" ORDER BY sdate, seq"_s;
}

void BM_MonthSwitch(benchmark::State& state) {
    bool january = false;
    for (auto _ : state) {
        january = !january;
        if (g_form->SetSheetMonth(2009, january ? 1 : 3))
            g_form->RefreshSheet();
    }
    state.counters["entries"] = 300;
}
BENCHMARK(BM_MonthSwitch)->Unit(benchmark::kMillisecond);

void BM_MonthQueryOnly(benchmark::State& state) {
    bool january = false;
    qint32 rows = 0;
    for (auto _ : state) {
        january = !january;
        const QDate from = january ? QDate(2008, 12, 28) : QDate(2009, 3, 1);
        RecordsetPtr rs;
        rows = OpenRecordset(rs, MonthQuery(from, from.addDays(41)));
        benchmark::DoNotOptimize(rs);
        CloseRecordset(rs);
    }
    state.counters["rows"] = rows;
}
BENCHMARK(BM_MonthQueryOnly)->Unit(benchmark::kMillisecond);

// The same statement sent straight on the window thread, without the worker: the floor
// the two above are measured against.
void BM_MonthQueryDirect(benchmark::State& state) {
    bool january = false;
    MYSQL* h = gDB->nativeHandle();
    for (auto _ : state) {
        january = !january;
        const QDate from = january ? QDate(2008, 12, 28) : QDate(2009, 3, 1);
        const QByteArray sql = ToAnsi(MonthQuery(from, from.addDays(41)));
        mysql_real_query(h, sql.constData(), static_cast<unsigned long>(sql.size()));
        mysql_free_result(mysql_store_result(h));
    }
}
BENCHMARK(BM_MonthQueryDirect)->Unit(benchmark::kMillisecond);

} // namespace

int main(int argc, char** argv) {
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    benchmark::Initialize(&argc, argv);
    try {
        Setup();
    } catch (const std::exception& e) {
        std::fprintf(stderr, "bench_calendar: %s\n", e.what());
        return 1;
    }
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    Teardown();
    return 0;
}
