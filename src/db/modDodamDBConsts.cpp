#include "db/modDodamDBConsts.h"

#include "db/cMySQL.h"
#include "db/modMySQL_Func_lite.h"
#include "support/Config.h"
#include "support/Globals.h"
#include "support/ProcessExit.h"
#include "support/VbError.h"

#include <memory>

namespace worktide {
namespace {
AdapterSource g_adapterSource;
QString g_dbName;

const QString kModule = QStringLiteral("modDodamDBConsts");
} // namespace

void SetAdapterSource(AdapterSource source) {
    g_adapterSource = std::move(source);
}

ScopedAdapterSource::ScopedAdapterSource(AdapterSource source) : m_previous(std::move(g_adapterSource)) {
    g_adapterSource = std::move(source);
}

ScopedAdapterSource::~ScopedAdapterSource() {
    g_adapterSource = std::move(m_previous);
}

QString GetDBServerHost() {
    return gDBServerHost;
}

QString GetDBName() {
    return g_dbName.isEmpty() ? QString::fromLatin1(kDbName) : g_dbName;
}

void SetDBName(const QString& name) {
    g_dbName = name;
}

QString GetMyMacAddress() {
    try {
        const QList<NetworkAdapter> adapters = g_adapterSource ? g_adapterSource() : SystemAdapters();
        for (const NetworkAdapter& adapter : adapters) {
            if (adapter.macAddress.isEmpty())
                continue;
            QString mac = adapter.macAddress;
            mac.remove(QLatin1Char('-'));
            mac.remove(QLatin1Char(':'));
            return mac;
        }
    } catch (const std::exception& e) {
        PostDbFailure(FormatProcError(ErrorNumberOf(e), ErrorDescriptionOf(e), QStringLiteral("GetMyMacAddress"),
                                      QStringLiteral("Module"), kModule));
    }
    return {};
}

QString GetAllowMyPC() {
    QString result;
    try {
        const QString mac = GetMyMacAddress();
        // Without an address there is nothing to look up; an empty registration
        // must not let every adapter-less computer in.
        if (mac.isEmpty())
            return result;
        // A connection of its own, so that the check works (and fails) independently
        // of the global one.
        auto db = std::make_unique<cMySQL>();
        if (db->real_connect(GetDBServerHost(), QString::fromLatin1(kDbUser), QString::fromLatin1(kDbPassword),
                             GetDBName(), kDbPort, QString(), 0, false, QString())) {
            // The address is escaped: whatever the adapter reports must not change the statement.
            RecordsetPtr rs =
                db->query(QStringLiteral("SELECT user_id FROM user_mac") + QStringLiteral(" WHERE mac_addr = '") +
                          EscapeSQL(mac) + QStringLiteral("'") + QStringLiteral(" AND block = 0"));
            if (db->affected_rows() > 0 && rs && !rs->isEOF())
                result = rs->Value(QStringLiteral("user_id"));
            CloseRecordset(rs);
        }
        db->free_result();
    } catch (const std::exception& e) {
        PostDbFailure(FormatProcError(ErrorNumberOf(e), ErrorDescriptionOf(e), QStringLiteral("GetAllowMyPC"),
                                      QStringLiteral("Module"), kModule));
    }
    return result;
}

void ExitProgram() {
    DBClose();
    EndProcess(0);
}

} // namespace worktide
