#pragma once

#include <QList>
#include <QString>

#include <functional>

// Which computer this is and whether it may sign in: the first network adapter
// address, looked up in user_mac on a short-lived connection of its own.
namespace worktide {

// One network adapter as the operating system reports it. An empty macAddress
// stands for an adapter without a hardware address.
struct NetworkAdapter {
    QString name;
    QString macAddress;
};

using AdapterSource = std::function<QList<NetworkAdapter>()>;

// The adapters that count, in system order: up, not loopback, with at least one
// IP address. Their hardware address is as the system reports it ("00:1A:2B:...").
QList<NetworkAdapter> SystemAdapters();
// Replaces the adapter list (tests give several adapters); an empty function
// restores SystemAdapters.
void SetAdapterSource(AdapterSource source);

// Installs an adapter list for its lifetime and then puts back the source installed before.
class ScopedAdapterSource {
public:
    explicit ScopedAdapterSource(AdapterSource source);
    ~ScopedAdapterSource();
    ScopedAdapterSource(const ScopedAdapterSource&) = delete;
    ScopedAdapterSource& operator=(const ScopedAdapterSource&) = delete;

private:
    AdapterSource m_previous;
};

// The database host every connection uses (gDBServerHost).
QString GetDBServerHost();
// The database every connection opens: the fixed "dd_inhouse" unless a test has
// pointed the program at a scratch database (empty text restores the default).
QString GetDBName();
void SetDBName(const QString& name);
// Closes the connection and ends the process at once.
void ExitProgram();

// First adapter with an address, "-" and ":" removed; "" when there is none.
QString GetMyMacAddress();
// The user id registered (and not blocked) for this computer's address, or "".
QString GetAllowMyPC();

} // namespace worktide
