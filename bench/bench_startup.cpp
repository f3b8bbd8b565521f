// Start-up as a person meets it, a process of the program each time: the server list from
// a loopback HTTP server, the update check, the connection and the login window, which
// WORKTIDE_EXIT_AT_LOGIN closes as soon as it is up (on a computer not registered, the
// allowance check behind it ends the run as soon). Next to it the same program started for
// --version (the process and its libraries, no window) and the bare connect with the
// allowance query. Needs the private database server (scripts/dbserver start) and the
// built program, which reads the office's database, dd_inhouse: this benchmark only reads.
#include "common/BenchDb.h"
#include "common/LoopbackHttpServer.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QProcess>
#include <QTemporaryDir>

#include <benchmark/benchmark.h>
#include <mysql.h>

#include <cstdio>
#include <optional>
#include <stdexcept>

using namespace worktide;
using namespace worktide::bench;
using namespace Qt::StringLiterals;

namespace {

const QString kProgram = QStringLiteral(WORKTIDE_BINARY_DIR "/src/worktide" WORKTIDE_EXE_SUFFIX);
const QString kShown = u"login window shown"_s;
const QString kRefused = u"허용되지 않은 컴퓨터입니다."_s;
const QString kOfficeDb = u"dd_inhouse"_s;

std::optional<test::LoopbackHttpServer> g_http;
std::optional<QTemporaryDir> g_dir;

void Setup() {
    if (!QFile::exists(kProgram))
        throw std::runtime_error("build the program first");
    g_http.emplace();
    g_dir.emplace();
    const QString updates = g_dir->filePath(u"updates/자동업데이트_v1"_s);
    QDir().mkpath(updates);
    QFile version(updates + u"/UpdateProbeV1_lastver.txt"_s);
    if (!version.open(QIODevice::WriteOnly) || version.write("0") != 1)
        throw std::runtime_error("cannot write the update folder");
    version.close();
    g_http->serveFolder(u"/download/"_s, g_dir->filePath(u"updates"_s));
    g_http->setResponse(u"/serverinfo/server-address-checker.php"_s, 200,
                        "{\"success\": true, \"data\": {\"ver\": 1, \"servers\": [{\"name\": \"사내메신저DB서버\", "
                        "\"host\": \"" +
                            QByteArray(kLocalServer) + "\"}, {\"name\": \"자동업데이트_런처\", \"host\": \"" +
                            g_http->hostPort().toUtf8() + "\"}]}}");
    QDir().mkpath(g_dir->filePath(u"run"_s));
    QFile::setPermissions(g_dir->filePath(u"run"_s), QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
}

QProcessEnvironment ProgramEnvironment() {
    QProcessEnvironment e = QProcessEnvironment::systemEnvironment();
    e.insert(u"QT_QPA_PLATFORM"_s, u"offscreen"_s);
    e.insert(u"WORKTIDE_CONSOLE_MESSAGES"_s, u"1"_s);
    e.insert(u"WORKTIDE_EXIT_AT_LOGIN"_s, u"1"_s);
    e.insert(u"WORKTIDE_SERVERINFO_HOST"_s, g_http->hostPort());
    e.insert(u"XDG_RUNTIME_DIR"_s, g_dir->filePath(u"run"_s));
    e.insert(u"XDG_CONFIG_HOME"_s, g_dir->filePath(u"config"_s));
    return e;
}

// Runs the program to its end; the text it wrote on standard error.
QString RunProgram(const QStringList& args) {
    QProcess p;
    p.setProcessEnvironment(ProgramEnvironment());
    p.setWorkingDirectory(g_dir->path());
    p.start(kProgram, args);
    if (!p.waitForFinished(60000)) {
        p.kill();
        p.waitForFinished();
        throw std::runtime_error("the program did not end within a minute");
    }
    return QString::fromUtf8(p.readAllStandardError());
}

void BM_StartupToLoginWindow(benchmark::State& state) {
    for (auto _ : state) {
        const QString err = RunProgram({});
        if (!err.contains(kShown) && !err.contains(kRefused)) {
            state.SkipWithError(("the run did not reach the login window: " + err.toStdString()).c_str());
            return;
        }
    }
}
BENCHMARK(BM_StartupToLoginWindow)->Unit(benchmark::kMillisecond)->UseRealTime()->Iterations(10);

void BM_ProcessOnly(benchmark::State& state) {
    for (auto _ : state)
        benchmark::DoNotOptimize(RunProgram({u"--version"_s}));
}
BENCHMARK(BM_ProcessOnly)->Unit(benchmark::kMillisecond)->UseRealTime()->Iterations(10);

// What the start-up asks the server, on a connection made for it.
void BM_BareConnectAndAllowanceQuery(benchmark::State& state) {
    for (auto _ : state) {
        MYSQL* c = ConnectAdmin(kOfficeDb);
        Run(c, u"SELECT user_id, block FROM user_mac WHERE mac_addr = '02FC00000001'"_s);
        mysql_close(c);
    }
}
BENCHMARK(BM_BareConnectAndAllowanceQuery)->Unit(benchmark::kMillisecond)->UseRealTime();

} // namespace

int main(int argc, char** argv) {
    QCoreApplication app(argc, argv);
    benchmark::Initialize(&argc, argv);
    try {
        Setup();
    } catch (const std::exception& e) {
        std::fprintf(stderr, "bench_startup: %s\n", e.what());
        return 1;
    }
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    g_http.reset();
    return 0;
}
