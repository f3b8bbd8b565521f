#include "support/Config.h"

namespace worktide {
namespace {
QString FromEnv(const char* name, const char* fallback) {
    const QString value = qEnvironmentVariable(name);
    return value.isEmpty() ? QString::fromLatin1(fallback) : value;
}
} // namespace

QString DefaultServerAddress() {
    return FromEnv("WORKTIDE_DEFAULT_SERVER", "127.0.0.1");
}
QString ServerInfoHost() {
    return FromEnv("WORKTIDE_SERVERINFO_HOST", "127.0.0.1");
}
QString DownloadSiteHost() {
    return FromEnv("WORKTIDE_DOWNLOAD_HOST", "127.0.0.1");
}

} // namespace worktide
