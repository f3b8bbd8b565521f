#pragma once

#include <QByteArray>
#include <QString>

// A small synchronous HTTP GET over libcurl, shared by the server list refresh and
// the update downloads. It blocks the calling thread, never for longer than the
// total time-out, and never shows anything.
namespace worktide {

struct HttpResult {
    // True when a complete HTTP answer arrived, whatever its status; false on a bad
    // URL, a refused or failed connection, a time-out, or a body over maxBytes.
    bool ok = false;
    // The HTTP status of the (last, after redirects) answer; 0 when none arrived.
    long status = 0;
    // The answer's body bytes as received (no decoding); empty when !ok.
    QByteArray body;
    // What went wrong when !ok (libcurl's text), for logs; empty when ok.
    QString error;
};

// url must already be percent-encoded where needed; it is sent as its UTF-8 bytes.
// connectTimeoutMs bounds the TCP connect, totalTimeoutMs the whole exchange
// (connect included); a value <= 0 means no limit. Redirects are followed (up to 5).
// Safe to call from any thread; each call uses its own connection.
HttpResult HttpGet(const QString& url, int connectTimeoutMs = 2000, int totalTimeoutMs = 5000,
                   qint64 maxBytes = 64 * 1024 * 1024);

} // namespace worktide
