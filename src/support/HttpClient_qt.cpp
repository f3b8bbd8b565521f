#include "support/HttpClient.h"

#include "support/QtHttpGet.h"

namespace worktide {

HttpResult HttpGet(const QString& url, int connectTimeoutMs, int totalTimeoutMs, qint64 maxBytes) {
    HttpResult result;
    qthttp::Options options;
    options.connectMs = connectTimeoutMs;
    options.totalMs = totalTimeoutMs;
    bool tooLarge = false;
    const qthttp::Outcome outcome = qthttp::Get(url.toUtf8(), options, [&](long, const QByteArray& chunk) {
        if (maxBytes >= 0 && result.body.size() + chunk.size() > maxBytes) {
            tooLarge = true;
            return false;
        }
        result.body += chunk;
        return true;
    });
    result.status = outcome.status;
    if (!outcome.complete) {
        result.body.clear();
        result.error = tooLarge ? QStringLiteral("response larger than %1 bytes").arg(maxBytes) : outcome.error;
        return result;
    }
    result.ok = true;
    return result;
}

} // namespace worktide
