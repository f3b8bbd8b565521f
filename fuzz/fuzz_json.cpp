// Reads arbitrary bytes as JSON, writes the result, reads that again and checks
// that the writer's text is stable: what the writer writes, the reader must read
// back to a tree that writes the same text, without any complaint.
#include "support/VbError.h"
#include "support/json.h"

#include <cstdio>
#include <cstdlib>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    using namespace worktide;
    const QString text = QString::fromUtf8(reinterpret_cast<const char*>(data), static_cast<qsizetype>(size));
    const JsonValue first = ParseJson(text);
    QString written;
    try {
        written = JsonToString(first);
    } catch (const VbError&) {
        return 0; // keys with quotes and over-long lists are refused, not mangled
    }
    const JsonValue second = ParseJson(written);
    const QString errors = JsonParseErrors();
    if (first.isObject() && !errors.isEmpty()) {
        std::fprintf(stderr, "re-read complained: %s\nwritten: %s\n", qPrintable(errors), qPrintable(written));
        std::abort();
    }
    QString rewritten;
    try {
        rewritten = JsonToString(second);
    } catch (const VbError& e) {
        std::fprintf(stderr, "second write raised %d\nwritten: %s\n", e.number(), qPrintable(written));
        std::abort();
    }
    if (rewritten != written) {
        std::fprintf(stderr, "writes differ\nfirst:  %s\nsecond: %s\n", qPrintable(written), qPrintable(rewritten));
        std::abort();
    }
    return 0;
}
