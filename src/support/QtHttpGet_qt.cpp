#include "support/QtHttpGet.h"

#include <QEventLoop>
#include <QNetworkAccessManager>
#include <QNetworkReply>
#include <QNetworkRequest>
#include <QTimer>
#include <QUrl>

#include <memory>

namespace worktide::qthttp {
namespace {

bool IsWebScheme(const QUrl& url) {
    const QString scheme = url.scheme().toLower();
    return scheme == u"http" || scheme == u"https";
}

long StatusOf(const QNetworkReply& reply) {
    const QVariant code = reply.attribute(QNetworkRequest::HttpStatusCodeAttribute);
    return code.isValid() ? code.toLongLong() : 0;
}

// Errors Qt reports for an answer that did arrive in full, only with an error status.
bool IsHttpStatusError(QNetworkReply::NetworkError error) {
    const int code = static_cast<int>(error);
    return (code >= 201 && code < 300) || (code >= 401 && code < 500);
}

} // namespace

Outcome Get(const QByteArray& url, const Options& options, const DataSink& onData) {
    Outcome outcome;
    const QUrl target = QUrl::fromEncoded(url, QUrl::StrictMode);
    if (!target.isValid() || target.host().isEmpty() || !IsWebScheme(target)) {
        outcome.error = QStringLiteral("not an http or https address");
        return outcome;
    }
    QNetworkAccessManager manager;
    // One connection per call, as the callers expect: nothing is kept between requests.
    manager.setAutoDeleteReplies(false);
    QNetworkRequest request(target);
    request.setAttribute(QNetworkRequest::RedirectPolicyAttribute, QNetworkRequest::UserVerifiedRedirectPolicy);
    request.setMaximumRedirectsAllowed(5);
    request.setAttribute(QNetworkRequest::CacheLoadControlAttribute, QNetworkRequest::AlwaysNetwork);
    request.setAttribute(QNetworkRequest::CacheSaveControlAttribute, false);
    request.setAttribute(QNetworkRequest::Http2AllowedAttribute, false);
    if (!options.userAgent.isEmpty())
        request.setHeader(QNetworkRequest::UserAgentHeader, options.userAgent);
    for (const auto& [name, value] : options.headers)
        request.setRawHeader(name, value);
    if (options.stallMs > 0)
        request.setTransferTimeout(options.stallMs);

    const std::unique_ptr<QNetworkReply> reply(manager.get(request));
    QEventLoop loop;
    bool timedOut = false;
    bool refusedRedirect = false;

    QTimer total;
    total.setSingleShot(true);
    QObject::connect(&total, &QTimer::timeout, &loop, [&] {
        timedOut = true;
        outcome.error = QStringLiteral("no complete answer within %1 ms").arg(options.totalMs);
        reply->abort();
    });
    QTimer connect;
    connect.setSingleShot(true);
    QObject::connect(&connect, &QTimer::timeout, &loop, [&] {
        timedOut = true;
        outcome.error = QStringLiteral("no connection within %1 ms").arg(options.connectMs);
        reply->abort();
    });
    QObject::connect(reply.get(), &QNetworkReply::requestSent, &connect, &QTimer::stop);
    QObject::connect(reply.get(), &QNetworkReply::redirected, &loop, [&](const QUrl& next) {
        if (IsWebScheme(next)) {
            emit reply->redirectAllowed();
            return;
        }
        refusedRedirect = true;
        outcome.error = QStringLiteral("redirect to a non-web address refused");
        reply->abort();
    });
    QObject::connect(reply.get(), &QNetworkReply::readyRead, &loop, [&] {
        if (outcome.stopped)
            return;
        const QByteArray chunk = reply->readAll();
        if (!chunk.isEmpty() && !onData(StatusOf(*reply), chunk)) {
            outcome.stopped = true;
            reply->abort();
        }
    });
    QObject::connect(reply.get(), &QNetworkReply::finished, &loop, &QEventLoop::quit);
    if (options.totalMs > 0)
        total.start(options.totalMs);
    if (options.connectMs > 0)
        connect.start(options.connectMs);
    if (!reply->isFinished())
        loop.exec();
    total.stop();
    connect.stop();

    // What is left after the last readyRead.
    if (!outcome.stopped && !timedOut && !refusedRedirect) {
        const QByteArray rest = reply->readAll();
        if (!rest.isEmpty() && !onData(StatusOf(*reply), rest))
            outcome.stopped = true;
    }
    outcome.status = StatusOf(*reply);
    const QNetworkReply::NetworkError error = reply->error();
    if (outcome.stopped || timedOut || refusedRedirect)
        return outcome;
    if (outcome.status > 0 && (error == QNetworkReply::NoError || IsHttpStatusError(error))) {
        outcome.complete = true;
        return outcome;
    }
    outcome.error = reply->errorString();
    return outcome;
}

} // namespace worktide::qthttp
