#include "db/modDodamDBConsts.h"

#include <QNetworkInterface>

namespace worktide {

QList<NetworkAdapter> SystemAdapters() {
    QList<NetworkAdapter> out;
    const auto interfaces = QNetworkInterface::allInterfaces();
    for (const QNetworkInterface& iface : interfaces) {
        const auto flags = iface.flags();
        // Only adapters that carry IP traffic count: the registered address is
        // the one of an IP-enabled adapter.
        if (!flags.testFlag(QNetworkInterface::IsUp) || flags.testFlag(QNetworkInterface::IsLoopBack))
            continue;
        if (iface.addressEntries().isEmpty())
            continue;
        out.append({iface.name(), iface.hardwareAddress()});
    }
    return out;
}

} // namespace worktide
