#include "db/modDodamDBConsts.h"

#include <winsock2.h>

#include <iphlpapi.h>
#include <windows.h>

#include <vector>

namespace worktide {
namespace {

// "00:1A:2B:3C:4D:5E", as the adapters are shown everywhere else.
QString HardwareAddress(const IP_ADAPTER_ADDRESSES& adapter) {
    QStringList parts;
    for (ULONG i = 0; i < adapter.PhysicalAddressLength; ++i)
        parts.append(QStringLiteral("%1").arg(adapter.PhysicalAddress[i], 2, 16, QLatin1Char('0')).toUpper());
    return parts.join(QLatin1Char(':'));
}

} // namespace

QList<NetworkAdapter> SystemAdapters() {
    constexpr ULONG kFlags = GAA_FLAG_SKIP_ANYCAST | GAA_FLAG_SKIP_MULTICAST | GAA_FLAG_SKIP_DNS_SERVER;
    // The list grows between the two calls when an adapter comes up; ask again then.
    ULONG size = 16 * 1024;
    std::vector<unsigned char> buffer;
    ULONG rc = ERROR_BUFFER_OVERFLOW;
    for (int attempt = 0; attempt < 4 && rc == ERROR_BUFFER_OVERFLOW; ++attempt) {
        buffer.resize(size);
        rc = GetAdaptersAddresses(AF_UNSPEC, kFlags, nullptr, reinterpret_cast<IP_ADAPTER_ADDRESSES*>(buffer.data()),
                                  &size);
    }
    QList<NetworkAdapter> out;
    if (rc != NO_ERROR)
        return out;
    // System order; only adapters that carry IP traffic count, as on every platform.
    for (auto* adapter = reinterpret_cast<const IP_ADAPTER_ADDRESSES*>(buffer.data()); adapter;
         adapter = adapter->Next) {
        if (adapter->OperStatus != IfOperStatusUp || adapter->IfType == IF_TYPE_SOFTWARE_LOOPBACK)
            continue;
        if (!adapter->FirstUnicastAddress)
            continue;
        out.append({QString::fromWCharArray(adapter->FriendlyName), HardwareAddress(*adapter)});
    }
    return out;
}

} // namespace worktide
