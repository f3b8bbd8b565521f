// The team view tab filled for 50 people with 2,000 entries in the six weeks around
// January 2009, next to the bare month statement on the same connection; and the PDF
// of a month, of the team view and of a 10,000-row list (time and file size).
// Needs the private database server (scripts/dbserver start).
#include "common/BenchDb.h"
#include "db/modMySQL_Func_lite.h"
#include "support/Clock.h"
#include "support/Config.h"
#include "support/Cp949.h"
#include "support/Globals.h"
#include "ui/team/TeamTab.h"
#include "ui/list/ListTab.h"
#include "ui/list/ScheduleListModel.h"
#include "ui/list/ScheduleListView.h"
#include "ui/grid/SpreadGrid.h"
#include "ui/main/FrmMain.h"
#include "ui/print/PrintLayout.h"
#include "ui/print/PrintPages.h"
#include "ui/team/TeamSheet.h"

#include <QApplication>
#include <QComboBox>
#include <QCoreApplication>
#include <QFile>
#include <QFileInfo>
#include <QImage>
#include <QPainter>
#include <QPrinter>
#include <QTabWidget>
#include <QTemporaryDir>

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

constexpr int kPeople = 50;
constexpr int kTeamEntries = 2000;
constexpr int kListRows = 10000;
const QString kOwner = u"직원00"_s;
QString g_dbName;
FrmMain* g_form = nullptr;
std::unique_ptr<QTemporaryDir> g_dir;

QString Person(int i) {
    return u"직원%1"_s.arg(i, 2, 10, QLatin1Char('0'));
}

const QString kTitles[] = {
    u"주간회의"_s, u"release build"_s, u"고객사 방문 상담"_s, u"abc"_s, u"서버 점검 및 백업 작업 진행"_s, u"문서"_s};

// count entries from first on, one to five days long, owners in turn.
QString EntryRows(const QDate& first, int spanDays, int count, bool oneOwner) {
    QString sql = u"INSERT INTO worktide (wdate, devname, title, details, sdate, edate, finished, catename) VALUES "_s;
    for (int i = 0; i < count; ++i) {
        const QDate s = first.addDays((i * 7 + i / 13) % spanDays);
        const QDate e = s.addDays(i % 5);
        if (i)
            sql += u","_s;
        sql += u"('2009-01-01', '%1', '%2', '상세 내용 %6', '%3', '%4', %5, '개발')"_s.arg(
            oneOwner ? kOwner : Person(i % kPeople), kTitles[i % 6], s.toString(u"yyyy-MM-dd"_s),
            e.toString(u"yyyy-MM-dd"_s), QString::number(i % 3 == 0), QString::number(i));
    }
    return sql;
}

void Setup() {
    g_dbName = u"wt_bench_teamview_%1"_s.arg(QCoreApplication::applicationPid());
    CreateBenchDatabase(g_dbName);
    QString users = u"INSERT INTO user (id, name, password2, hidden, groupcode) VALUES "_s;
    for (int i = 0; i < kPeople; ++i)
        users += (i ? u","_s : QString()) + u"('u%1', '%2', '', 0, 1)"_s.arg(i).arg(Person(i));
    RunAdmin(users, g_dbName);
    // The six weeks the calendar shows for January 2009.
    RunAdmin(EntryRows(QDate(2008, 12, 28), 42, kTeamEntries, false), g_dbName);
    // The list's rows, a year later so that the team month does not see them.
    for (int chunk = 0; chunk < kListRows / 2000; ++chunk)
        RunAdmin(EntryRows(QDate(2010, 1, 1), 300, 2000, true), g_dbName);
    if (!DBInit(QString::fromLatin1(kLocalServer), QString::fromLatin1(kDbUser), QString::fromLatin1(kDbPassword),
                g_dbName))
        throw std::runtime_error("DBInit failed");
    SetToday(QDate(2009, 1, 14));
    gUserId = u"u0"_s;
    gUserName = kOwner;
    g_form = new FrmMain;
    g_form->Form_Load();
    g_dir = std::make_unique<QTemporaryDir>();
}

void Teardown() {
    delete g_form;
    g_form = nullptr;
    g_dir.reset();
    DBClose();
    DropBenchDatabase(g_dbName);
}

void BM_TeamFill(benchmark::State& state) {
    g_form->SSTab1->setCurrentIndex(2);
    for (auto _ : state)
        g_form->RefreshTeam();
    state.counters["bars"] = static_cast<double>(g_form->tabTeam->spTeam->Layout().bars.size());
    state.counters["people"] = static_cast<double>(g_form->tabTeam->spTeam->Layout().people.size());
}
BENCHMARK(BM_TeamFill)->Unit(benchmark::kMillisecond);

void BM_TeamQueryOnly(benchmark::State& state) {
    const QString sql = g_form->TeamSQL();
    qint32 rows = 0;
    for (auto _ : state) {
        RecordsetPtr rs;
        rows = OpenRecordset(rs, sql);
        benchmark::DoNotOptimize(rs);
        CloseRecordset(rs);
    }
    state.counters["rows"] = rows;
}
BENCHMARK(BM_TeamQueryOnly)->Unit(benchmark::kMillisecond);

// One full paint of the sheet as the screen shows it (1260 x 700).
void BM_TeamPaint(benchmark::State& state) {
    g_form->SSTab1->setCurrentIndex(2);
    g_form->RefreshTeam();
    g_form->tabTeam->spTeam->resize(1260, 700);
    QImage image(g_form->tabTeam->spTeam->size(), QImage::Format_ARGB32);
    for (auto _ : state)
        g_form->tabTeam->spTeam->render(&image);
}
BENCHMARK(BM_TeamPaint)->Unit(benchmark::kMillisecond);

void WritePdf(benchmark::State& state, int tab) {
    g_form->SSTab1->setCurrentIndex(tab);
    const QString path = g_dir->filePath(u"bench%1.pdf"_s.arg(tab));
    for (auto _ : state) {
        QPrinter printer(QPrinter::HighResolution);
        printer.setOutputFormat(QPrinter::PdfFormat);
        printer.setOutputFileName(path);
        print::SetUpPrinter(printer);
        if (!g_form->PrintShownTab(&printer))
            state.SkipWithError("PDF not written");
    }
    state.counters["bytes"] = static_cast<double>(QFileInfo(path).size());
}

void BM_PdfCalendarMonth(benchmark::State& state) {
    // The owner with the most entries of the month: 40 entries over the six weeks.
    WritePdf(state, 0);
}
BENCHMARK(BM_PdfCalendarMonth)->Unit(benchmark::kMillisecond);

void BM_PdfTeamMonth(benchmark::State& state) {
    WritePdf(state, 2);
    state.counters["pages"] = static_cast<double>(print::TeamPageBreaks(g_form->tabTeam->spTeam->Layout()).size() - 1);
}
BENCHMARK(BM_PdfTeamMonth)->Unit(benchmark::kMillisecond);

void BM_PdfList10000(benchmark::State& state) {
    g_form->SSTab1->setCurrentIndex(1);
    g_form->cmbFinish[1]->setCurrentIndex(0);
    g_form->Refresh_Sheet2();
    state.counters["rows"] = g_form->tabList->spList->MaxRows();
    state.counters["pages"] = print::ListPageCount(g_form->tabList->spList->MaxRows());
    WritePdf(state, 1);
}
BENCHMARK(BM_PdfList10000)->Unit(benchmark::kMillisecond)->Iterations(2);

} // namespace

int main(int argc, char** argv) {
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    benchmark::Initialize(&argc, argv);
    try {
        Setup();
    } catch (const std::exception& e) {
        std::fprintf(stderr, "bench_teamview: %s\n", e.what());
        return 1;
    }
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    Teardown();
    return 0;
}
