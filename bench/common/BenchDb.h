#pragma once

#include <QString>

#include <mysql.h>

// What the database benchmarks share: an administrative connection to a server, a
// scratch database with the schema, and the 10,000-entry list of one owner.
namespace worktide::bench {

// The private server of scripts/dbserver (its own loopback address, beside a system MariaDB).
inline constexpr char kLocalServer[] = "127.0.0.2";

// A connection as the program's account, declaring euckr, with several statements per
// query allowed. Throws when the server cannot be reached.
MYSQL* ConnectAdmin(const QString& db = {}, const char* host = kLocalServer);
// Sends sql (CP949) and drains every result. Throws when a statement fails.
void Run(MYSQL* connection, const QString& sql);
// Run on a connection of its own.
void RunAdmin(const QString& sql, const QString& db = {}, const char* host = kLocalServer);

// Drops and creates the database name in euckr and loads the schema into it.
void CreateBenchDatabase(const QString& name, const char* host = kLocalServer);
void DropBenchDatabase(const QString& name, const char* host = kLocalServer);

// One INSERT of count list entries of owner, numbered from from: spread over three
// years from 2008, some without dates, a third finished, Hangul titles, two-line details.
QString ListEntryRows(const QString& owner, int from, int count);

} // namespace worktide::bench
