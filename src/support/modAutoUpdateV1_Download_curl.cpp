#include "support/modAutoUpdateV1_Download.h"

#include "support/Cp949.h"

#include <QFile>
#include <QSaveFile>
#include <QUrl>

#include <curl/curl.h>

#include <memory>
#include <mutex>

// The shared HTTP helper buffers whole answers and sends no extra headers; these
// reads need a no-cache request, a read that stops after 20 bytes and a download
// streamed to disk, so they drive libcurl themselves.
namespace worktide {
namespace {

constexpr qsizetype kHeadBytes = 20;
// No sibling program comes near this; a bigger answer is not one of ours.
constexpr qint64 kMaxDownloadBytes = 512LL * 1024 * 1024;

struct CurlDeleter {
    void operator()(CURL* h) const { curl_easy_cleanup(h); }
};
struct SlistDeleter {
    void operator()(curl_slist* l) const { curl_slist_free_all(l); }
};

// The percent-encoded request URL ("자동업데이트_v1" travels as UTF-8 escapes).
QByteArray EncodedUrl(const QString& url) {
    const QUrl u(url, QUrl::TolerantMode);
    if (!u.isValid() || u.host().isEmpty())
        return {};
    const QString scheme = u.scheme().toLower();
    if (scheme != u"http" && scheme != u"https")
        return {};
    return u.toEncoded();
}

// An easy handle for one GET that asks every cache on the way for a fresh copy.
struct Request {
    std::unique_ptr<CURL, CurlDeleter> curl;
    std::unique_ptr<curl_slist, SlistDeleter> headers;
    QByteArray url;

    bool open(const QString& text, const char* agent, int totalMs) {
        static std::once_flag once;
        std::call_once(once, [] { curl_global_init(CURL_GLOBAL_DEFAULT); });
        url = EncodedUrl(text);
        if (url.isEmpty())
            return false;
        curl.reset(curl_easy_init());
        if (!curl)
            return false;
        curl_slist* list = curl_slist_append(nullptr, "Cache-Control: no-cache");
        if (list)
            list = curl_slist_append(list, "Pragma: no-cache");
        headers.reset(list);
        CURL* h = curl.get();
        curl_easy_setopt(h, CURLOPT_URL, url.constData());
        curl_easy_setopt(h, CURLOPT_HTTPGET, 1L);
        curl_easy_setopt(h, CURLOPT_NOSIGNAL, 1L);
        curl_easy_setopt(h, CURLOPT_FOLLOWLOCATION, 1L);
        curl_easy_setopt(h, CURLOPT_MAXREDIRS, 5L);
        curl_easy_setopt(h, CURLOPT_FRESH_CONNECT, 1L);
        curl_easy_setopt(h, CURLOPT_USERAGENT, agent);
        curl_easy_setopt(h, CURLOPT_HTTPHEADER, headers.get());
        if (CurrentUpdateHttpTimeouts().connectMs > 0)
            curl_easy_setopt(h, CURLOPT_CONNECTTIMEOUT_MS, static_cast<long>(CurrentUpdateHttpTimeouts().connectMs));
        if (totalMs > 0)
            curl_easy_setopt(h, CURLOPT_TIMEOUT_MS, static_cast<long>(totalMs));
        return true;
    }

    long status() const {
        long code = 0;
        curl_easy_getinfo(curl.get(), CURLINFO_RESPONSE_CODE, &code);
        return code;
    }
};

struct HeadSink {
    CURL* curl;
    QByteArray bytes;
    bool full = false;
};

size_t WriteHead(char* data, size_t size, size_t count, void* user) {
    auto* sink = static_cast<HeadSink*>(user);
    const size_t n = size * count;
    const auto room = static_cast<size_t>(kHeadBytes - sink->bytes.size());
    sink->bytes.append(data, static_cast<qsizetype>(std::min(n, room)));
    if (sink->bytes.size() >= kHeadBytes) {
        sink->full = true;
        return 0; // enough read: stop the transfer here
    }
    return n;
}

struct FileSink {
    CURL* curl;
    QSaveFile* file;
    qint64 written = 0;
    bool failed = false;
};

size_t WriteFile(char* data, size_t size, size_t count, void* user) {
    auto* sink = static_cast<FileSink*>(user);
    const size_t n = size * count;
    long code = 0;
    curl_easy_getinfo(sink->curl, CURLINFO_RESPONSE_CODE, &code);
    // An error page must never become a program file.
    if (code != 200 || sink->written + static_cast<qint64>(n) > kMaxDownloadBytes ||
        sink->file->write(data, static_cast<qint64>(n)) != static_cast<qint64>(n)) {
        sink->failed = true;
        return 0;
    }
    sink->written += static_cast<qint64>(n);
    return n;
}

} // namespace

QString ReadUrlHead(const QString& url) {
    Request req;
    if (!req.open(url, "VB OpenUrl", CurrentUpdateHttpTimeouts().headTotalMs))
        return {};
    HeadSink sink{req.curl.get(), {}, false};
    curl_easy_setopt(req.curl.get(), CURLOPT_WRITEFUNCTION, &WriteHead);
    curl_easy_setopt(req.curl.get(), CURLOPT_WRITEDATA, &sink);
    const CURLcode rc = curl_easy_perform(req.curl.get());
    const bool complete = rc == CURLE_OK || (rc == CURLE_WRITE_ERROR && sink.full);
    if (!complete || req.status() != 200)
        return {};
    return FromAnsi(sink.bytes);
}

bool DownloadUrlToFile(const QString& url, const QString& path) {
    Request req;
    if (!req.open(url, "Worktide update", CurrentUpdateHttpTimeouts().downloadTotalMs))
        return false;
    QSaveFile file(path);
    if (!file.open(QIODevice::WriteOnly))
        return false;
    FileSink sink{req.curl.get(), &file};
    CURL* h = req.curl.get();
    curl_easy_setopt(h, CURLOPT_WRITEFUNCTION, &WriteFile);
    curl_easy_setopt(h, CURLOPT_WRITEDATA, &sink);
    if (CurrentUpdateHttpTimeouts().stallMs > 0) {
        curl_easy_setopt(h, CURLOPT_LOW_SPEED_LIMIT, 1L);
        curl_easy_setopt(h, CURLOPT_LOW_SPEED_TIME,
                         std::max(1L, static_cast<long>(CurrentUpdateHttpTimeouts().stallMs / 1000)));
    }
    const CURLcode rc = curl_easy_perform(h);
    if (rc != CURLE_OK || sink.failed || req.status() != 200) {
        file.cancelWriting();
        return false;
    }
    if (!file.commit())
        return false;
    QFile::setPermissions(path, QFile::permissions(path) | QFileDevice::ExeOwner | QFileDevice::ExeUser |
                                    QFileDevice::ExeGroup | QFileDevice::ExeOther);
    return true;
}

} // namespace worktide
