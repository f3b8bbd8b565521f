#include "support/modAutoUpdateV1_Download.h"

#include "support/Cp949.h"
#include "support/QtHttpGet.h"

#include <QFile>
#include <QSaveFile>
#include <QUrl>

// The update reads through Qt Network: a no-cache request, a read that stops after 20
// bytes and a download streamed to disk.
namespace worktide {
namespace {

constexpr qsizetype kHeadBytes = 20;
// No sibling program comes near this; a bigger answer is not one of ours.
constexpr qint64 kMaxDownloadBytes = 512LL * 1024 * 1024;

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

qthttp::Options UpdateOptions(const QByteArray& agent, int totalMs) {
    qthttp::Options options;
    options.connectMs = CurrentUpdateHttpTimeouts().connectMs;
    options.totalMs = totalMs;
    options.userAgent = agent;
    options.headers = {{"Cache-Control", "no-cache"}, {"Pragma", "no-cache"}};
    return options;
}

} // namespace

QString ReadUrlHead(const QString& url) {
    const QByteArray encoded = EncodedUrl(url);
    if (encoded.isEmpty())
        return {};
    QByteArray head;
    bool full = false;
    const qthttp::Outcome outcome =
        qthttp::Get(encoded, UpdateOptions("VB OpenUrl", CurrentUpdateHttpTimeouts().headTotalMs),
                    [&](long, const QByteArray& chunk) {
                        head += chunk.left(kHeadBytes - head.size());
                        full = head.size() >= kHeadBytes;
                        return !full; // enough read: stop the transfer here
                    });
    if (!(outcome.complete || (outcome.stopped && full)) || outcome.status != 200)
        return {};
    return FromAnsi(head);
}

bool DownloadUrlToFile(const QString& url, const QString& path) {
    const QByteArray encoded = EncodedUrl(url);
    if (encoded.isEmpty())
        return false;
    QSaveFile file(path);
    if (!file.open(QIODevice::WriteOnly))
        return false;
    qthttp::Options options = UpdateOptions("Worktide update", CurrentUpdateHttpTimeouts().downloadTotalMs);
    options.stallMs = CurrentUpdateHttpTimeouts().stallMs;
    qint64 written = 0;
    const qthttp::Outcome outcome = qthttp::Get(encoded, options, [&](long status, const QByteArray& chunk) {
        // An error page must never become a program file.
        if (status != 200 || written + chunk.size() > kMaxDownloadBytes || file.write(chunk) != chunk.size())
            return false;
        written += chunk.size();
        return true;
    });
    if (!outcome.complete || outcome.status != 200) {
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
