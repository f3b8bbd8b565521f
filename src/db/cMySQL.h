#pragma once

#include "db/Recordset.h"
#include "support/UserMessage.h"

#include <QByteArray>
#include <QString>

#include <cstdint>

typedef struct st_mysql MYSQL;
typedef struct st_mysql_res MYSQL_RES;

// The program's only way to the database server: one client connection, the
// settings it was opened with, statements in and record sets out. Texts cross into
// the client library as CP949. Failures raise VbError (number = mysql_errno, source
// "cMysql::" + operation, description = mysql_error); real_connect and query catch
// their own and, unless silenced, leave the message for the windows (TakeDbFailures).
namespace worktide {

class cMySQL {
public:
    static constexpr int kCompressFlag = 32; // CLIENT_COMPRESS
    static constexpr int kDefaultPort = 3306;

    // Raises VbError 512 "cMysql::Initialize" when the library cannot set up a connection record.
    cMySQL();
    ~cMySQL();
    cMySQL(const cMySQL&) = delete;
    cMySQL& operator=(const cMySQL&) = delete;

    void setDoMemFree(bool value) { m_doMemFree = value; }

    // Empty texts keep the stored values; see the port and flag storage rules in the source.
    bool real_connect(const QString& host, const QString& user, const QString& password, const QString& db,
                      int port = kDefaultPort, const QString& unix_socket = {}, int clientFlag = 0, bool silent = false,
                      const QString& charset = {});
    qint32 affected_rows();
    int create_db(const QString& name);
    int dump_debug_info();
    QString err_description();
    QString escape_string(const QString& text);
    void free_result();
    qint32 insert_id();
    int Kill(unsigned long threadId);
    RecordsetPtr list_fields(const QString& table, const QString& wild = {});
    RecordsetPtr list_processes();
    RecordsetPtr list_tables(const QString& wild = {});
    // The record set of a statement that produced a result; nullptr otherwise and on failure.
    RecordsetPtr query(const QString& sql, bool silent = false);
    // query(sql, silent) preceded by the read firstRead, both sent in one hand-over to the
    // worker (one wait): firstValue = the first value of the read's result. A failure of
    // the read fails the whole (sql is then not sent; lastOutcomeUnknown stays false).
    RecordsetPtr QueryAfterRead(const QString& firstRead, QString& firstValue, const QString& sql, bool silent);
    int select_db(const QString& name);
    unsigned long thread_id();
    int thread_safe();

    const QString& host() const { return m_host; }
    void setHost(const QString& v) { m_host = v; }
    int port() const { return m_port; }
    void setPort(int v) { m_port = v; }
    const QString& db() const { return m_db; }
    int ClientFlags() const { return m_clientFlags; }

    bool isConnected() const { return m_handle != nullptr; }
    // The cipher of an encrypted connection; empty for a plain one or none.
    QString ssl_cipher() const;

    // The native connection, for benchmarks that measure the raw client library.
    MYSQL* nativeHandle() { return m_handle; }
    // How many times a lost connection was re-established inside query.
    int reconnectCount() const { return m_reconnects; }
    // Number of the failure of the last statement (or of its connect); 0 after a success.
    int lastErrorNumber() const { return m_lastError; }
    // The client library's numbers for a server that cannot be reached or a connection
    // that broke, as opposed to a statement the server refused.
    static bool IsConnectionError(int number);
    // Error number raised when a statement holds a character CP949 cannot store
    // (the statement is then not sent).
    static constexpr int kErrNotEncodable = 5;
    // The client library's numbers for a connection that is gone or was lost mid-statement.
    static constexpr int kErrServerGone = 2006;
    static constexpr int kErrServerLost = 2013;
    static constexpr int kErrOutOfSync = 2014;
    // Cluster answers after which a statement did not take effect and may be repeated.
    static constexpr int kErrDeadlock = 1213;
    static constexpr int kErrNodeNotReady = 1047;
    // A statement or connect started while another one of this connection is waited for
    // (a handler that ran inside the wait): refused, never sent.
    static constexpr int kErrNested = 2014;

    // A server session this object no longer uses that may still hold a statement of ours:
    // its thread id, the server it is on (empty = unknown) and our address as that server
    // sees it ("host:port"; empty = unknown).
    struct OldSession {
        unsigned long thread = 0;
        QByteArray server;
        QByteArray client;
    };
    // The last statement failed in a way that leaves open whether the server ran it: the
    // wait was cancelled or ran out of time, or the connection broke after it was sent.
    bool lastOutcomeUnknown() const { return m_lastUnknown; }
    // The session that last statement was sent on.
    const OldSession& lastSession() const { return m_lastSession; }
    // Opens the connection again (silently) when it is known to be gone; false when the
    // server cannot be reached.
    bool EnsureConnected();
    enum class SessionEnd {
        Ended,       // gone for good: it can run nothing any more
        OtherServer, // this connection is on another server (a cluster node): nothing to end here
        Unsure,      // it could not be asked, or it is still there after the kill
    };
    // Makes sure an old session can never run a statement any more: on the server it was
    // on, KILL CONNECTION when the session is still there (and still ours), then waits until
    // the server has let it go.
    SessionEnd EndSession(const OldSession& session);
    // The text of the message box the last statement shows on failure when it is not
    // silenced ("" after a success), for a caller that ran it silently and decides later.
    QString LastFailureText(const QString& sql) const;

private:
    [[noreturn]] void Raise(const char* operation);
    RecordsetPtr RunQuery(const QString& sql, bool silent, const QString& firstRead = {},
                          QString* firstValue = nullptr);
    RecordsetPtr BuildRecordset(MYSQL_RES* result);
    RecordsetPtr OpenInternal(const QString& sql, int& rowCount);
    RecordsetPtr BuildOrNothing(MYSQL_RES* result);
    void ResetRecord();
    // Sends one statement and stores its whole result, waiting with the windows painting.
    // Raises the library's error; a cancelled or timed-out wait closes the connection.
    // firstRead, when given, is run just before on the same hand-over to the worker, and the
    // first value of its result stored in firstValue.
    MYSQL_RES* Exchange(const QByteArray& bytes, const char* operation, const QByteArray& firstRead = {},
                        QByteArray* firstValue = nullptr);
    bool ConnectionDropped() const;
    bool Reconnect(const QString& sql);
    void DropConnection(const QString& sqlInFlight);
    OldSession CurrentSession();
    SessionEnd EndOldSession(const OldSession& session, const QString& sql);
    QByteArray Encode(const QString& text, const char* operation) const;

    MYSQL_RES* m_result = nullptr; // current native result; released as soon as its record set is built
    qint64 m_lastRowCount = 0;     // rows of the last result, kept after the native result is gone
    bool m_lastFailed = false;     // the last statement failed (possibly before reaching the library)
    int m_lastError = 0;           // its error number
    bool m_recordUsed = false;     // the connection record has seen a connect attempt
    int m_reconnects = 0;
    bool m_busy = false;         // a statement of this connection is being waited for
    bool m_stalled = false;      // the last wait was cancelled or ran into a time-out
    qint32 m_matchedRows = -1;   // affected_rows of a repeated UPDATE (rows matched); -1 = the library's count
    bool m_dropped = false;      // closed after a cancel or time-out; the next statement reconnects
    OldSession m_droppedSession; // the dropped connection's session
    QString m_droppedSql;        // the statement it may still be running
    QByteArray m_server;         // which server this connection is on; empty = unknown
    QByteArray m_client;         // our address as that server sees it; empty = unknown
    bool m_lastUnknown = false;  // see lastOutcomeUnknown
    OldSession m_lastSession;
    QString m_lastDescription; // description of the last failure
    QString m_lastOperation;
    bool m_mainSent = false; // the last Exchange got as far as sending its statement

    MYSQL* m_record = nullptr; // owned connection record (mysql_init)
    MYSQL* m_handle = nullptr; // non-null once connected
    QString m_user;
    QString m_password;
    QString m_host;
    QString m_db;
    QString m_unixSocket;
    int m_clientFlags = 0;
    int m_port = 0;
    QString m_charset;
    bool m_silentErrors = false;
    bool m_doMemFree = false;
};

// While one exists, failed statements and connects leave no message; lastErrorNumber
// still tells what happened. A refresh the user did not ask for reports its failure itself.
class ScopedQuietDbErrors {
public:
    ScopedQuietDbErrors();
    ~ScopedQuietDbErrors();
    ScopedQuietDbErrors(const ScopedQuietDbErrors&) = delete;
    ScopedQuietDbErrors& operator=(const ScopedQuietDbErrors&) = delete;
};
bool DbErrorsQuiet();

// The messages of failed statements and connects that were not silenced, oldest first,
// from every connection: the window that ran them shows them (ui ShowDbFailures) as soon
// as the call returns, before anything else it says. Taking them empties the list.
UserMessages TakeDbFailures();
bool HasDbFailures();
// Adds one (the connection class; routines that decide on a failure later).
void PostDbFailure(const QString& text);

} // namespace worktide
