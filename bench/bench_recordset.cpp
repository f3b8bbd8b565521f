// Record-set building against the raw client library: the same 20,000-row,
// 10-column result read into our record set, and read with plain
// mysql_store_result + mysql_fetch_row and the same CP949 conversion (the floor).
// Needs the private server (scripts/dbserver start).
#include "db/cMySQL.h"
#include "db/modMySQL_Func_lite.h"
#include "support/Config.h"
#include "support/Cp949.h"

#include <benchmark/benchmark.h>
#include <mysql.h>

#include <QCoreApplication>

#include <cstdio>
#include <memory>

using namespace Qt::StringLiterals;
using namespace worktide;

namespace {

constexpr int kRows = 20000;
const QString kSelect = u"SELECT seq, wdate, devname, title, details, sdate, edate, finished, catename, note "
                        u"FROM bench_rows ORDER BY seq"_s;

QString Host() {
    const QString v = qEnvironmentVariable("WORKTIDE_TEST_DB_HOST");
    return v.isEmpty() ? u"127.0.0.2"_s : v; // scripts/dbserver's address
}

bool Prepare(const QString& dbName) {
    cMySQL admin;
    if (!admin.real_connect(Host(), QString::fromLatin1(kDbUser), QString::fromLatin1(kDbPassword), {}))
        return false;
    admin.query(u"DROP DATABASE IF EXISTS `"_s + dbName + u"`"_s);
    admin.query(u"CREATE DATABASE `"_s + dbName + u"` CHARACTER SET euckr COLLATE euckr_korean_ci"_s);
    if (admin.affected_rows() < 0 ||
        !DBInit(Host(), QString::fromLatin1(kDbUser), QString::fromLatin1(kDbPassword), dbName))
        return false;
    ExecuteSQL(
        u"CREATE TABLE bench_rows (seq INT NOT NULL PRIMARY KEY, wdate DATE NULL, devname VARCHAR(40) NOT NULL, "
        u"title VARCHAR(255) NOT NULL, details TEXT NULL, sdate VARCHAR(10) NOT NULL, edate VARCHAR(10) NOT NULL, "
        u"finished TINYINT NOT NULL, catename VARCHAR(40) NOT NULL, note VARCHAR(40) NULL) DEFAULT CHARSET=euckr"_s);
    // Realistic cells: Korean names and titles, multi-line details, dates, some NULLs and trailing blanks.
    const qint32 inserted =
        ExecuteSQL(u"INSERT INTO bench_rows SELECT seq, CURDATE() - INTERVAL (seq % 400) DAY, "
                   u"ELT(1 + seq % 5, '서도윤', '최민결', '한지우', '박준호', '대구개발'), "
                   u"CONCAT('주간 업무 보고 및 고객사 요구사항 정리 #', seq), "
                   u"IF(seq % 7 = 0, NULL, CONCAT('회의록 정리', CHAR(13), CHAR(10), '다음 단계: 똠얌꿍 회식 예약, "
                   u"일정 공유 ', seq)), "
                   u"DATE_FORMAT(CURDATE() - INTERVAL (seq % 30) DAY, '%Y-%m-%d'), "
                   u"DATE_FORMAT(CURDATE() + INTERVAL (seq % 9) DAY, '%Y-%m-%d'), seq % 2, "
                   u"ELT(1 + seq % 4, '회의', '출장', '개발', '상담'), IF(seq % 3 = 0, NULL, '비고   ') "
                   u"FROM seq_1_to_"_s +
                   QString::number(kRows));
    return inserted == kRows;
}

void BM_Recordset(benchmark::State& state) {
    for (auto _ : state) {
        RecordsetPtr rs = gDB->query(kSelect);
        if (!rs || rs->RecordCount() != kRows) {
            state.SkipWithError("query failed");
            break;
        }
        benchmark::DoNotOptimize(rs.get());
        CloseRecordset(rs);
    }
    state.SetItemsProcessed(state.iterations() * kRows);
}

// The floor: what any reader of this result has to do at least.
void BM_RawFloor(benchmark::State& state) {
    MYSQL* h = gDB->nativeHandle();
    const QByteArray sql = ToAnsi(kSelect);
    for (auto _ : state) {
        if (mysql_real_query(h, sql.constData(), static_cast<unsigned long>(sql.size())) != 0) {
            state.SkipWithError("query failed");
            break;
        }
        std::unique_ptr<MYSQL_RES, decltype(&mysql_free_result)> res(mysql_store_result(h), &mysql_free_result);
        const unsigned int columns = mysql_num_fields(res.get());
        while (MYSQL_ROW row = mysql_fetch_row(res.get())) {
            const unsigned long* lengths = mysql_fetch_lengths(res.get());
            for (unsigned int j = 0; j < columns; ++j) {
                QString value = FromAnsiTrimmed(row[j], static_cast<qsizetype>(lengths[j]));
                benchmark::DoNotOptimize(value);
            }
        }
    }
    state.SetItemsProcessed(state.iterations() * kRows);
}

// For orientation only: transfer and parsing by the library, no conversion at all.
void BM_RawTransferOnly(benchmark::State& state) {
    MYSQL* h = gDB->nativeHandle();
    const QByteArray sql = ToAnsi(kSelect);
    for (auto _ : state) {
        if (mysql_real_query(h, sql.constData(), static_cast<unsigned long>(sql.size())) != 0) {
            state.SkipWithError("query failed");
            break;
        }
        std::unique_ptr<MYSQL_RES, decltype(&mysql_free_result)> res(mysql_store_result(h), &mysql_free_result);
        while (MYSQL_ROW row = mysql_fetch_row(res.get()))
            benchmark::DoNotOptimize(row);
    }
    state.SetItemsProcessed(state.iterations() * kRows);
}

BENCHMARK(BM_Recordset)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(BM_RawFloor)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(BM_RawTransferOnly)->Unit(benchmark::kMillisecond)->UseRealTime();

} // namespace

int main(int argc, char** argv) {
    QCoreApplication app(argc, argv);
    benchmark::Initialize(&argc, argv);
    const QString dbName = u"wt_bench_recordset_"_s + QString::number(QCoreApplication::applicationPid());
    if (!Prepare(dbName)) {
        std::fprintf(stderr, "bench_recordset: cannot prepare %s (is scripts/dbserver running?)\n", qPrintable(dbName));
        return 1;
    }
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    ExecuteSQL(u"DROP DATABASE `"_s + dbName + u"`"_s);
    DBClose();
    return 0;
}
