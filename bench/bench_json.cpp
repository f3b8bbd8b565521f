// The JSON reader and writer on a 1 MB document beside nlohmann/json, and the
// string builder's appends beside QString::append.
#include "support/cStringBuilder.h"
#include "support/json.h"

#include <benchmark/benchmark.h>
#include <nlohmann/json.hpp>

#include <QString>

#include <random>

namespace {

// About 1 MB of objects, arrays, strings and numbers, the same on every run.
const QString& Document() {
    static const QString doc = [] {
        std::mt19937 rng(42);
        auto pick = [&](int n) { return std::uniform_int_distribution<int>(0, n - 1)(rng); };
        static const char16_t* names[] = {u"자동업데이트_런처", u"사내메신저DB서버", u"file-server", u"backup", u"mail",
                                          u"say \\\"hi\\\"",    u"tab\\there"};
        QString s = QStringLiteral("{\"ver\": 12, \"generated\": \"2026-12-08\", \"servers\": [\n");
        int i = 0;
        while (s.size() < 1024 * 1024) {
            if (i++ > 0)
                s += QStringLiteral(",\n");
            s += QStringLiteral("  {\"id\": ") + QString::number(i) + QStringLiteral(", \"name\": \"") +
                 QString::fromUtf16(names[pick(7)]) + QStringLiteral("\", \"host\": \"10.") +
                 QString::number(pick(256)) + QLatin1Char('.') + QString::number(pick(256)) + QLatin1Char('.') +
                 QString::number(pick(256)) + QStringLiteral("\", \"weight\": ") + QString::number(pick(100000)) +
                 QLatin1Char('.') + QString::number(pick(1000)) + QStringLiteral(", \"active\": ") +
                 (pick(2) ? QStringLiteral("true") : QStringLiteral("false")) + QStringLiteral(", \"note\": null") +
                 QStringLiteral(", \"ports\": [") + QString::number(pick(65536)) + QStringLiteral(", ") +
                 QString::number(pick(65536)) + QStringLiteral(", ") + QString::number(-pick(1000)) +
                 QStringLiteral("], \"tags\": {\"zone\": \"z") + QString::number(pick(10)) +
                 QStringLiteral("\", \"desc\": \"a longer description of this server entry, number ") +
                 QString::number(i) + QStringLiteral("\"}}");
        }
        s += QStringLiteral("\n]}");
        return s;
    }();
    return doc;
}

const std::string& DocumentUtf8() {
    static const std::string doc = Document().toStdString();
    return doc;
}

void BM_ParseJson_Worktide(benchmark::State& state) {
    const QString& doc = Document();
    for (auto _ : state) {
        worktide::JsonValue v = worktide::ParseJson(doc);
        benchmark::DoNotOptimize(v);
    }
    state.SetBytesProcessed(state.iterations() * DocumentUtf8().size());
}
BENCHMARK(BM_ParseJson_Worktide)->Unit(benchmark::kMillisecond);

// The same starting from the UTF-8 bytes, as the cache file and the endpoint give them.
void BM_ParseJson_WorktideFromUtf8(benchmark::State& state) {
    const std::string& doc = DocumentUtf8();
    for (auto _ : state) {
        worktide::JsonValue v = worktide::ParseJson(QString::fromUtf8(doc.data(), static_cast<qsizetype>(doc.size())));
        benchmark::DoNotOptimize(v);
    }
    state.SetBytesProcessed(state.iterations() * doc.size());
}
BENCHMARK(BM_ParseJson_WorktideFromUtf8)->Unit(benchmark::kMillisecond);

void BM_ParseJson_Nlohmann(benchmark::State& state) {
    const std::string& doc = DocumentUtf8();
    for (auto _ : state) {
        nlohmann::json v = nlohmann::json::parse(doc, nullptr, true, /*ignore_comments=*/true);
        benchmark::DoNotOptimize(v);
    }
    state.SetBytesProcessed(state.iterations() * doc.size());
}
BENCHMARK(BM_ParseJson_Nlohmann)->Unit(benchmark::kMillisecond);

void BM_JsonToString_Worktide(benchmark::State& state) {
    const worktide::JsonValue v = worktide::ParseJson(Document());
    for (auto _ : state) {
        QString s = worktide::JsonToString(v);
        benchmark::DoNotOptimize(s);
    }
    state.SetBytesProcessed(state.iterations() * DocumentUtf8().size());
}
BENCHMARK(BM_JsonToString_Worktide)->Unit(benchmark::kMillisecond);

void BM_JsonDump_Nlohmann(benchmark::State& state) {
    const nlohmann::json v = nlohmann::json::parse(DocumentUtf8(), nullptr, true, true);
    for (auto _ : state) {
        std::string s = v.dump();
        benchmark::DoNotOptimize(s);
    }
    state.SetBytesProcessed(state.iterations() * DocumentUtf8().size());
}
BENCHMARK(BM_JsonDump_Nlohmann)->Unit(benchmark::kMillisecond);

// Appending short pieces, then taking the text once.
void BM_Append_cStringBuilder(benchmark::State& state) {
    const QString piece = QStringLiteral("abcdefghij");
    for (auto _ : state) {
        worktide::cStringBuilder sb;
        for (int64_t i = 0; i < state.range(0); ++i)
            sb.Append(piece);
        QString s = sb.toString();
        benchmark::DoNotOptimize(s);
    }
    state.SetItemsProcessed(state.iterations() * state.range(0));
}
BENCHMARK(BM_Append_cStringBuilder)->Arg(16)->Arg(1000)->Arg(100000);

void BM_Append_QString(benchmark::State& state) {
    const QString piece = QStringLiteral("abcdefghij");
    for (auto _ : state) {
        QString s;
        for (int64_t i = 0; i < state.range(0); ++i)
            s.append(piece);
        benchmark::DoNotOptimize(s);
    }
    state.SetItemsProcessed(state.iterations() * state.range(0));
}
BENCHMARK(BM_Append_QString)->Arg(16)->Arg(1000)->Arg(100000);

// One character at a time, as a reader collecting a string would.
void BM_AppendChar_cStringBuilder(benchmark::State& state) {
    for (auto _ : state) {
        worktide::cStringBuilder sb;
        for (int64_t i = 0; i < state.range(0); ++i)
            sb.Append(QChar(static_cast<char16_t>(u'a' + (i & 15))));
        QString s = sb.toString();
        benchmark::DoNotOptimize(s);
    }
    state.SetItemsProcessed(state.iterations() * state.range(0));
}
BENCHMARK(BM_AppendChar_cStringBuilder)->Arg(100000);

void BM_AppendChar_QString(benchmark::State& state) {
    for (auto _ : state) {
        QString s;
        for (int64_t i = 0; i < state.range(0); ++i)
            s.append(QChar(static_cast<char16_t>(u'a' + (i & 15))));
        benchmark::DoNotOptimize(s);
    }
    state.SetItemsProcessed(state.iterations() * state.range(0));
}
BENCHMARK(BM_AppendChar_QString)->Arg(100000);

} // namespace

BENCHMARK_MAIN();
