#pragma once

#include "db/Recordset.h"
#include "db/cMySQL.h"

#include <QString>

#include <memory>

// The routines every window uses on the one global connection. None of them
// fails when the connection is missing: they return -1 / 0 / no record set.
namespace worktide {

extern std::unique_ptr<cMySQL> gDB;

// Checks the client library, creates gDB and connects it (port 3306, no socket,
// flags 0, messages shown, the Korean character set declared).
bool DBInit(const QString& host, const QString& user, const QString& password, const QString& db);
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

} // namespace worktide
