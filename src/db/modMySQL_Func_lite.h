#pragma once

#include "db/Recordset.h"
#include "db/cMySQL.h"

#include <QString>

#include <functional>
#include <memory>

// The routines every window uses on the one global connection. None of them
// fails when the connection is missing: they return -1 / 0 / no record set.
namespace worktide {

extern std::unique_ptr<cMySQL> gDB;

// What DBInit left to say. A refused connect leaves its message with the connection's
// failures (TakeDbFailures), shown first; message is what comes after, if anything.
struct DbInitResult {
    bool connected = false;
    UserMessage message;
    // message is the question about the client library: Yes opens MDACDownloadUrl().
    bool offersDownload = false;

    explicit operator bool() const { return connected; }
};

// Checks the client library, creates gDB and connects it (port 3306, no socket,
// flags 0, failures not silenced, the Korean character set declared).
DbInitResult DBInit(const QString& host, const QString& user, const QString& password, const QString& db);
void DBClose();
// Affected-row count of the statement; -1 when it failed or there is no connection.
qint32 ExecuteSQL(const QString& sql, bool silent = false);
// rs receives the record set (nullptr on failure); returns the row count, -1 on failure.
qint32 OpenRecordset(RecordsetPtr& rs, const QString& sql);
qint32 GetRowCount(const QString& table, const QString& where);
QString EscapeSQL(const QString& text);
qint32 GetLastInsertId();
// Version of the database client library that takes the place of the data-access
// components (for example "3.3.14"); "" when it cannot be read.
QString GetMDACVersion();

// The oldest client library DBInit accepts. Connector/C 3.0 is the first series that is a
// complete replacement of libmysqlclient (the 2.x series is long out of support).
inline constexpr double kMinClientVersion = 3.0;
// The version check of DBInit: the number formed by the first three characters of the
// version text (leading digits and one point, "3.3.20" -> 3.3) must not be below
// kMinClientVersion. An empty or unreadable version fails.
bool ClientVersionPasses(const QString& version);
// Where the question box of DBInit sends the user ("http://" + DownloadSiteHost() + path),
// opened through OpenInDesktop (support/modWaitProc.h).
QString MDACDownloadUrl();

// Replaces the version GetMDACVersion reads from the client library (tests of the
// check); an empty function restores the library's own.
using ClientVersionSource = std::function<QString()>;
void SetClientVersionSource(ClientVersionSource source);

} // namespace worktide
