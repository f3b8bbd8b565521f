#pragma once

#include <QByteArray>
#include <QList>
#include <QPair>
#include <QString>

#include <functional>

// One HTTP GET through Qt Network, run to its end in a local event loop of the calling
// thread with a network manager of its own; used by the Qt builds of support/HttpClient
// and the update reads (WORKTIDE_HTTP=qt).
namespace worktide::qthttp {

struct Options {
    int connectMs = 0; // until the request is sent; <= 0: no limit
    int totalMs = 0;   // the whole exchange; <= 0: no limit
    int stallMs = 0;   // no byte received for this long; <= 0: no limit
    QByteArray userAgent;
    QList<QPair<QByteArray, QByteArray>> headers;
};

struct Outcome {
    bool complete = false; // a whole HTTP answer arrived, whatever its status
    bool stopped = false;  // onData asked to stop
    long status = 0;       // of the last answer (after redirects); 0 when none arrived
    QString error;         // what went wrong, when !complete
};

// Receives the body as it arrives, with the answer's status; returns false to stop.
using DataSink = std::function<bool(long status, const QByteArray& chunk)>;

// url is sent as given (already percent-encoded). Redirects are followed up to 5 times,
// to http and https addresses only; nothing is ever taken from or put into a cache.
Outcome Get(const QByteArray& url, const Options& options, const DataSink& onData);

} // namespace worktide::qthttp
