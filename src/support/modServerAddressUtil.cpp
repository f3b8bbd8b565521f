#include "support/modServerAddressUtil.h"

#include "support/AppPaths.h"
#include "support/Config.h"
#include "support/HttpClient.h"

#include <QFileInfo>
#include <QStandardPaths>
#include <QDir>
#include <QUrl>

namespace worktide {

JsonValue ServerAddressSetting;

namespace {
// The endpoint's answer is a few hundred bytes; anything far bigger is not it.
constexpr qint64 kMaxAnswerBytes = 4 * 1024 * 1024;

QString Encoded(const QString& value) {
    return QString::fromLatin1(QUrl::toPercentEncoding(value));
}
} // namespace

QString ServerAddressCachePath() {
    if (ProgramFolderWritable())
        return ProgramPath(QString::fromLatin1(kServerAddressFileName));
    // Installed read-only: the cache belongs to the user.
    const QString cache = QStandardPaths::writableLocation(QStandardPaths::CacheLocation);
    QDir().mkpath(cache);
    return cache + QLatin1Char('/') + QString::fromLatin1(kServerAddressFileName);
}

QString ServerAddressCheckerUrl(const QString& cachedVersion, const QString& user) {
    QString url =
        QStringLiteral("http://") + ServerInfoHost() + QStringLiteral("/serverinfo/server-address-checker.php");
    if (!cachedVersion.isEmpty())
        url += QStringLiteral("?ver=") + Encoded(cachedVersion);
    if (!user.isEmpty())
        url += (cachedVersion.isEmpty() ? QStringLiteral("?user=") : QStringLiteral("&user=")) + Encoded(user);
    return url;
}

bool RefreshServerAddressSetting(const QString& user, UserMessages& messages) {
    try {
        const QString path = ServerAddressCachePath();
        QString cachedVersion;
        if (FileExists(path)) {
            // A cache that is not a dictionary has no "ver": the refresh gives up here.
            cachedVersion = ParseJson(ReadTextFile(path, messages)).member(QStringLiteral("ver")).toText();
        }
        const HttpResult answer = HttpGet(ServerAddressCheckerUrl(cachedVersion, user), kServerInfoConnectTimeoutMs,
                                          kServerInfoTotalTimeoutMs, kMaxAnswerBytes);
        if (!answer.ok || answer.status != 200)
            return false;
        QString text = QString::fromUtf8(answer.body);
        if (text.startsWith(QChar(0xFEFF)))
            text.remove(0, 1);
        const JsonValue reply = ParseJson(text);
        const JsonValue success = reply.member(QStringLiteral("success"));
        if (success.isBool() && success.boolValue()) {
            const JsonValue data = reply.member(QStringLiteral("data"));
            // Only a dictionary is a server list; anything else written to the cache
            // would make every later refresh stop at the unreadable cache.
            if (data.isDictionary())
                SaveTextFile(path, JsonToString(data), messages);
        }
        return true;
    } catch (const std::exception&) {
        return false;
    }
}

UserMessages LoadServerAddressSetting() {
    UserMessages messages;
    const QString path = ServerAddressCachePath();
    if (FileExists(path))
        ServerAddressSetting = ParseJson(ReadTextFile(path, messages));
    return messages;
}

QString GetServerHost(const QString& name) {
    const JsonDictionaryPtr setting = ServerAddressSetting.dictionary();
    if (!setting)
        return QString();
    const JsonListPtr servers = setting->Item(QStringLiteral("servers")).list();
    if (!servers)
        return QString();
    for (const JsonValue& server : *servers) {
        const JsonDictionaryPtr entry = server.dictionary();
        if (!entry)
            continue;
        const JsonValue entryName = entry->Item(QStringLiteral("name"));
        if (!entryName.isText() && !entryName.isNumber())
            continue;
        if (entryName.toText() == name) {
            const JsonValue host = entry->Item(QStringLiteral("host"));
            return host.isText() || host.isNumber() ? host.toText() : QString();
        }
    }
    return QString();
}

bool FileExists(const QString& path) {
    if (path.isEmpty())
        return false;
    const QFileInfo info(path);
    return info.isFile() && !info.isHidden();
}

} // namespace worktide
