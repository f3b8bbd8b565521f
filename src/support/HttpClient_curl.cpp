#include "support/HttpClient.h"

#include <curl/curl.h>

#include <memory>
#include <mutex>

namespace worktide {
namespace {

struct Sink {
    QByteArray* body;
    qint64 maxBytes;
    bool tooLarge = false;
};

size_t WriteBody(char* data, size_t size, size_t count, void* user) {
    auto* sink = static_cast<Sink*>(user);
    const size_t n = size * count;
    if (sink->maxBytes >= 0 && sink->body->size() + static_cast<qint64>(n) > sink->maxBytes) {
        sink->tooLarge = true;
        return 0; // makes libcurl abort the transfer
    }
    sink->body->append(data, static_cast<qsizetype>(n));
    return n;
}

void GlobalInitOnce() {
    static std::once_flag once;
    std::call_once(once, [] { curl_global_init(CURL_GLOBAL_DEFAULT); });
}

} // namespace

HttpResult HttpGet(const QString& url, int connectTimeoutMs, int totalTimeoutMs, qint64 maxBytes) {
    HttpResult result;
    GlobalInitOnce();
    std::unique_ptr<CURL, decltype(&curl_easy_cleanup)> curl(curl_easy_init(), &curl_easy_cleanup);
    if (!curl) {
        result.error = QStringLiteral("curl_easy_init failed");
        return result;
    }
    const QByteArray urlBytes = url.toUtf8();
    Sink sink{&result.body, maxBytes};
    char errorText[CURL_ERROR_SIZE] = {};
    CURL* h = curl.get();
    curl_easy_setopt(h, CURLOPT_URL, urlBytes.constData());
    curl_easy_setopt(h, CURLOPT_HTTPGET, 1L);
    // Signals cannot carry a time-out on a worker thread; the poll loop does.
    curl_easy_setopt(h, CURLOPT_NOSIGNAL, 1L);
    // Plain web requests only, redirects included (no file:// or other schemes).
    curl_easy_setopt(h, CURLOPT_PROTOCOLS_STR, "http,https");
    curl_easy_setopt(h, CURLOPT_REDIR_PROTOCOLS_STR, "http,https");
    curl_easy_setopt(h, CURLOPT_FOLLOWLOCATION, 1L);
    curl_easy_setopt(h, CURLOPT_MAXREDIRS, 5L);
    curl_easy_setopt(h, CURLOPT_WRITEFUNCTION, &WriteBody);
    curl_easy_setopt(h, CURLOPT_WRITEDATA, &sink);
    curl_easy_setopt(h, CURLOPT_ERRORBUFFER, errorText);
    if (connectTimeoutMs > 0)
        curl_easy_setopt(h, CURLOPT_CONNECTTIMEOUT_MS, static_cast<long>(connectTimeoutMs));
    if (totalTimeoutMs > 0)
        curl_easy_setopt(h, CURLOPT_TIMEOUT_MS, static_cast<long>(totalTimeoutMs));

    const CURLcode rc = curl_easy_perform(h);
    if (rc != CURLE_OK) {
        result.body.clear();
        result.error = sink.tooLarge ? QStringLiteral("response larger than %1 bytes").arg(maxBytes)
                                     : QString::fromUtf8(errorText[0] ? errorText : curl_easy_strerror(rc));
        long status = 0;
        curl_easy_getinfo(h, CURLINFO_RESPONSE_CODE, &status);
        result.status = status;
        return result;
    }
    long status = 0;
    curl_easy_getinfo(h, CURLINFO_RESPONSE_CODE, &status);
    result.status = status;
    result.ok = true;
    return result;
}

} // namespace worktide
