// The search list of an owner with 10,000 entries: Refresh_Sheet2 (query + filling
// the grid) next to the bare query of the same statement on the same connection.
// Needs the private database server (scripts/dbserver start).
#include "db/modMySQL_Func_lite.h"
#include "support/Clock.h"
#include "support/Config.h"
#include "support/Cp949.h"
#include "support/Globals.h"
#include "ui/grid/SpreadGrid.h"
#include "ui/main/FrmMain.h"

#include <QApplication>
#include <QComboBox>
#include <QCoreApplication>
#include <QFile>
#include <QLineEdit>

#include <benchmark/benchmark.h>
#include <mysql.h>

#include <sys/resource.h>

#include <cstdio>
#include <memory>
#include <stdexcept>
#include <string>

using namespace worktide;
using namespace Qt::StringLiterals;

namespace {

constexpr int kEntries = 10000;
const QString kOwner = u"김하늘"_s;
QString g_dbName;
FrmMain* g_form = nullptr;
long g_baselineKb = 0; // peak resident size before the first list was filled

void RunAdmin(const QString& sql, const QString& db = {}) {
    std::unique_ptr<MYSQL, decltype(&mysql_close)> h(mysql_init(nullptr), &mysql_close);
    mysql_options(h.get(), MYSQL_SET_CHARSET_NAME, "euckr");
    const QByteArray dbName = db.toLatin1();
    if (!mysql_real_connect(h.get(), "127.0.0.1", kDbUser, kDbPassword, db.isEmpty() ? nullptr : dbName.constData(),
                            3306, nullptr, CLIENT_MULTI_STATEMENTS))
        throw std::runtime_error(std::string("database server not reachable: ") + mysql_error(h.get()));
    const QByteArray bytes = ToAnsi(sql);
    if (mysql_real_query(h.get(), bytes.constData(), static_cast<unsigned long>(bytes.size())) != 0)
        throw std::runtime_error(std::string("SQL failed: ") + mysql_error(h.get()));
    do {
        if (MYSQL_RES* r = mysql_store_result(h.get()))
            mysql_free_result(r);
    } while (mysql_next_result(h.get()) == 0);
}

// Entries spread over three years around "today", some without dates, a third
// finished, with Hangul titles and two-line details.
QString EntryRows(int from, int count) {
    static const QString titles[] = {u"주간회의"_s, u"release build"_s, u"고객사 방문 상담"_s, u"서버 점검 및 백업"_s,
                                     u"문서 정리"_s};
    const QDate base(2008, 1, 1);
    QString sql = u"INSERT INTO worktide (wdate, devname, title, details, sdate, edate, finished, catename) VALUES "_s;
    for (int i = from; i < from + count; ++i) {
        const QDate s = base.addDays((i * 37) % 1100);
        const QDate e = s.addDays(i % 9);
        const bool noDates = i % 25 == 0;
        if (i > from)
            sql += u","_s;
        sql += u"('2008-01-01', '%1', '%2 %3', '첫째 줄 내용\r\n둘째 줄', '%4', '%5', %6, '개발')"_s.arg(
            kOwner, titles[i % 5], QString::number(i), noDates ? QString() : s.toString(u"yyyy-MM-dd"_s),
            noDates || i % 11 == 0 ? QString() : e.toString(u"yyyy-MM-dd"_s), QString::number(i % 3 == 0));
    }
    return sql;
}

long PeakRssKb() {
    rusage usage{};
    getrusage(RUSAGE_SELF, &usage);
    return usage.ru_maxrss;
}

void Setup() {
    g_dbName = u"wt_bench_searchlist_%1"_s.arg(QCoreApplication::applicationPid());
    RunAdmin(u"DROP DATABASE IF EXISTS `%1`; CREATE DATABASE `%1` CHARACTER SET euckr COLLATE euckr_korean_ci"_s.arg(
        g_dbName));
    QFile schema(QStringLiteral(WORKTIDE_SCHEMA_SQL));
    if (!schema.open(QIODevice::ReadOnly))
        throw std::runtime_error("cannot read the schema");
    RunAdmin(QString::fromUtf8(schema.readAll()), g_dbName);
    for (int i = 0; i < kEntries; i += 1000)
        RunAdmin(EntryRows(i, 1000), g_dbName);
    RunAdmin(u"INSERT INTO worktide (devname, title, sdate, edate) VALUES ('다른사람', 'x', '2009-01-05', '')"_s,
             g_dbName);
    if (!DBInit(u"127.0.0.1"_s, QString::fromLatin1(kDbUser), QString::fromLatin1(kDbPassword), g_dbName))
        throw std::runtime_error("DBInit failed");
    SetToday(QDate(2009, 1, 14));
    gUserName = kOwner;
    g_form = new FrmMain;
    g_form->cmbUser[1]->addItem(kOwner);
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
    RunAdmin(u"DROP DATABASE IF EXISTS `%1`"_s.arg(g_dbName));
}

// The statement Refresh_Sheet2 sends with these filters.
QString ListQuery() {
    return u"SELECT * FROM worktide WHERE devname = '"_s + EscapeSQL(kOwner) +
           u"' ORDER BY if(edate='','9999-99-99',edate), sdate, seq"_s;
}

void BM_Refresh_Sheet2(benchmark::State& state) {
    for (auto _ : state)
        g_form->Refresh_Sheet2();
    state.counters["rows"] = g_form->spList->MaxRows();
    state.counters["peak_rss_MB"] = static_cast<double>(PeakRssKb()) / 1024.0;
}
BENCHMARK(BM_Refresh_Sheet2)->Unit(benchmark::kMillisecond);

// The first fill of the tab (or after an empty result): every cell is new.
void BM_Refresh_Sheet2_FromEmpty(benchmark::State& state) {
    for (auto _ : state) {
        state.PauseTiming();
        g_form->spList->SetMaxRows(0);
        state.ResumeTiming();
        g_form->Refresh_Sheet2();
    }
    state.counters["rows"] = g_form->spList->MaxRows();
}
BENCHMARK(BM_Refresh_Sheet2_FromEmpty)->Unit(benchmark::kMillisecond);

void BM_ListQueryOnly(benchmark::State& state) {
    qint32 rows = 0;
    const QString sql = ListQuery();
    for (auto _ : state) {
        RecordsetPtr rs;
        rows = OpenRecordset(rs, sql);
        benchmark::DoNotOptimize(rs);
        CloseRecordset(rs);
    }
    state.counters["rows"] = rows;
}
BENCHMARK(BM_ListQueryOnly)->Unit(benchmark::kMillisecond);

// The same statement sent straight on the window thread, without the worker.
void BM_ListQueryDirect(benchmark::State& state) {
    const QByteArray sql = ToAnsi(ListQuery());
    MYSQL* h = gDB->nativeHandle();
    for (auto _ : state) {
        mysql_real_query(h, sql.constData(), static_cast<unsigned long>(sql.size()));
        mysql_free_result(mysql_store_result(h));
    }
}
BENCHMARK(BM_ListQueryDirect)->Unit(benchmark::kMillisecond);

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
