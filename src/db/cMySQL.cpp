#include "db/cMySQL.h"

#include "db/DbSocket.h"
#include "db/DbWait.h"
#include "db/StatementKind.h"
#include "support/Config.h"
#include "support/Cp949.h"
#include "support/MsgBox.h"
#include "support/VbError.h"

#include <QElapsedTimer>
#include <QFile>

#include <errmsg.h>
#include <mysql.h>

#include <algorithm>
#include <array>
#include <climits>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <utility>
#include <vector>

using namespace Qt::StringLiterals;

namespace worktide {
namespace {

using ResultPtr = std::unique_ptr<MYSQL_RES, decltype(&mysql_free_result)>;

const QString kCrLf = u"\r\n"_s;
const QString kCancelledText = u"Lost connection to server during query (the wait was cancelled)"_s;
const QString kTimedOutText = u"Lost connection to server during query (no answer in time)"_s;
const QString kNestedText =
    u"Internal error: a statement was started while another one on the same connection is waited for"_s;
// How long an ended session may take to leave the server after its KILL.
constexpr int kSessionEndRounds = 100;
constexpr int kSessionEndPauseMs = 20;

// A connect on the worker thread; shared with it, since a cancelled connect is left to
// finish there and its record closed by the worker.
struct ConnectJob {
    MYSQL* record = nullptr;
    MYSQL* handle = nullptr;
    QByteArray host, user, password, db, socket;
    unsigned int port = 0;
    unsigned long flags = 0;
    QByteArray server;         // which server answered (ReadServerIdentity)
    QByteArray client;         // our address as it sees us
    bool serverSilent = false; // the connection failed while asking it
    DatabaseTls tls = DatabaseTls::Off;
    QByteArray ca;             // CA file; empty = none given
    bool notEncrypted = false; // connected, yet without the encryption that was required
};

// The numbers the client library gives its own failures (connection lost, timed out, ...).
bool IsClientError(unsigned int number) {
    return (number >= CR_MIN_ERROR && number <= CR_MAX_ERROR) || (number >= CER_MIN_ERROR && number <= CER_MAX_ERROR);
}

// Thread ids are numbered by each server on its own, so behind a proxy in front of several
// servers a thread id names a connection only together with its server. Host name, port
// and data folder tell servers apart, also several on one machine; a Galera node adds the
// id it has in the cluster, new at every start of the node (nodes set up alike share the
// host name, port and server_id). A server that cannot answer the first form (no status
// table) is asked the second.
// The first form also tells our own address as the server sees it (its last column, not
// part of the identity): with it an old session of ours is told from another client's that
// got the same thread id after a restart.
constexpr const char* kServerIdentity[] = {
    "SELECT @@hostname, @@port, @@datadir, (SELECT VARIABLE_VALUE FROM information_schema.GLOBAL_STATUS "
    "WHERE VARIABLE_NAME = 'WSREP_GCOMM_UUID'), (SELECT HOST FROM information_schema.PROCESSLIST WHERE ID = "
    "CONNECTION_ID())",
    "SELECT @@hostname, @@port, @@datadir"};

// A client address that names one connection: host and port.
bool NamesOneConnection(const QByteArray& client) {
    const qsizetype colon = client.lastIndexOf(':');
    return colon > 0 && colon + 1 < client.size();
}

// The identity of the server a new connection is on, read with the library alone (right
// after the connect, on the connect's worker). Empty when the server refuses to say. False
// when the connection failed meanwhile: then it is no connection.
bool ReadServerIdentity(MYSQL* record, QByteArray& identity, QByteArray& client) {
    identity.clear();
    client.clear();
    for (const char* sql : kServerIdentity) {
        const bool withClient = sql == kServerIdentity[0];
        if (mysql_real_query(record, sql, static_cast<unsigned long>(std::strlen(sql))) != 0) {
            if (IsClientError(mysql_errno(record)))
                return false;
            continue;
        }
        MYSQL_RES* result = mysql_store_result(record);
        if (!result)
            return !IsClientError(mysql_errno(record));
        unsigned int columns = mysql_num_fields(result);
        if (MYSQL_ROW row = mysql_fetch_row(result)) {
            const unsigned long* lengths = mysql_fetch_lengths(result);
            if (withClient && columns > 0) {
                --columns;
                if (row[columns])
                    client = QByteArray(row[columns], static_cast<qsizetype>(lengths[columns]));
            }
            for (unsigned int i = 0; i < columns; ++i) {
                if (row[i])
                    identity.append(row[i], static_cast<qsizetype>(lengths[i]));
                identity.append('\n');
            }
        }
        mysql_free_result(result);
        return true;
    }
    return true;
}

// Texts the library hands back: bytes up to the first NUL, decoded, trailing blanks removed.
QString FromLib(const char* text) {
    return text ? FromAnsiTrimmed(text, static_cast<qsizetype>(qstrlen(text))) : QString();
}

// "Rows matched: 1  Changed: 0  Warnings: 0" -> 1; -1 when the text has no such count.
qint32 MatchedRows(const char* info) {
    static constexpr char kMatched[] = "Rows matched: ";
    const char* at = info ? std::strstr(info, kMatched) : nullptr;
    if (!at)
        return -1;
    return static_cast<qint32>(std::strtol(at + sizeof kMatched - 1, nullptr, 10));
}

const char* OrNull(const QByteArray& bytes) {
    return bytes.isEmpty() ? nullptr : bytes.constData();
}

// The options every connection record of ours gets before it connects: the character
// set, the time-outs and the protection the office asked for. With a CA file the library
// checks that the CA signed the server's certificate; the verify flag adds the check of
// the name we dialled and makes a server without TLS a failure.
void ApplyConnectOptions(MYSQL* record, const DbTimeouts& bounds, DatabaseTls tls, const QByteArray& ca,
                         bool verifyName) {
    // Every text we send is CP949; the server must read it as Korean, on every
    // connection including the reconnect inside query.
    mysql_options(record, MYSQL_SET_CHARSET_NAME, "euckr");
    const unsigned int connect = static_cast<unsigned int>(bounds.connectSeconds);
    const unsigned int read = static_cast<unsigned int>(bounds.readSeconds);
    const unsigned int write = static_cast<unsigned int>(bounds.writeSeconds);
    mysql_options(record, MYSQL_OPT_CONNECT_TIMEOUT, &connect);
    mysql_options(record, MYSQL_OPT_READ_TIMEOUT, &read);
    mysql_options(record, MYSQL_OPT_WRITE_TIMEOUT, &write);
    if (tls == DatabaseTls::Off)
        return;
    const my_bool useTls = 1;
    mysql_options(record, MYSQL_OPT_SSL_ENFORCE, &useTls);
    if (!ca.isEmpty())
        mysql_options(record, MYSQL_OPT_SSL_CA, ca.constData());
    const my_bool verify = verifyName ? 1 : 0;
    mysql_options(record, MYSQL_OPT_SSL_VERIFY_SERVER_CERT, &verify);
}

// The connect of the worker thread. `preferred` with a CA verifies the certificate and the
// name; when that fails, a second record asks with the chain check alone whether the server
// offers TLS at all: only a server that does not may be used unencrypted.
void RunConnect(ConnectJob& job, const DbTimeouts& bounds) {
    const auto connect = [&job](MYSQL* record) {
        return mysql_real_connect(record, OrNull(job.host), OrNull(job.user), job.password.constData(), OrNull(job.db),
                                  job.port, OrNull(job.socket), job.flags);
    };
    job.handle = connect(job.record);
    if (!job.handle && job.tls == DatabaseTls::Preferred && !job.ca.isEmpty() &&
        mysql_errno(job.record) == CR_SSL_CONNECTION_ERROR) {
        bool offersTls = true;
        if (MYSQL* probe = mysql_init(nullptr)) {
            ApplyConnectOptions(probe, bounds, job.tls, job.ca, false);
            if (connect(probe))
                offersTls = mysql_get_ssl_cipher(probe) != nullptr;
            mysql_close(probe);
        }
        if (!offersTls) {
            const my_bool no = 0;
            mysql_options(job.record, MYSQL_OPT_SSL_VERIFY_SERVER_CERT, &no);
            job.handle = connect(job.record);
        }
    }
    if (job.handle && job.tls == DatabaseTls::Required && !mysql_get_ssl_cipher(job.record)) {
        // Never used unencrypted, whatever the library let through.
        job.notEncrypted = true;
        job.handle = nullptr;
        return;
    }
    if (job.handle)
        job.serverSilent = !ReadServerIdentity(job.record, job.server, job.client);
}

QString NotEncodableDescription(const QString& bad) {
    const QList<uint> points = bad.toUcs4();
    const uint cp = points.isEmpty() ? 0 : points.first();
    return u"문자 '%1'(U+%2)은(는) 한글 완성형(CP949)에 없는 문자라서 데이터베이스에 보낼 수 없습니다."_s.arg(
        bad, QString::number(cp, 16).toUpper().rightJustified(4, u'0'));
}

// The escaping rules of mysql_escape_string, applied to the text itself. Used when the text
// holds characters CP949 cannot carry, so escaping never turns them into '?'.
QString EscapeInText(const QString& text) {
    QString out;
    out.reserve(text.size() + 8);
    for (QChar ch : text) {
        switch (ch.unicode()) {
        case 0:
            out += u"\\0"_s;
            break;
        case '\n':
            out += u"\\n"_s;
            break;
        case '\r':
            out += u"\\r"_s;
            break;
        case '\\':
            out += u"\\\\"_s;
            break;
        case '\'':
            out += u"\\'"_s;
            break;
        case '"':
            out += u"\\\""_s;
            break;
        case 0x1A:
            out += u"\\Z"_s;
            break;
        default:
            out += ch;
        }
    }
    return out;
}

// Short values repeat down a column (owners, categories, dates, flags). Cells whose
// bytes match one of the column's last few values share that value's text instead of
// converting and allocating again; a column whose values hardly repeat stops looking.
// The row bytes stay valid until the result is freed.
class RecentValues {
public:
    QString Convert(const char* bytes, unsigned long length) {
        if (length > kMaxLength || !m_enabled)
            return FromAnsiTrimmed(bytes, static_cast<qsizetype>(length));
        const quint64 key = Key(bytes, length);
        for (const Entry& e : m_entries)
            if (e.key == key && e.length == length && (length <= 8 || std::memcmp(e.bytes, bytes, length) == 0)) {
                ++m_hits;
                return e.value;
            }
        if (++m_misses == kProbe && m_hits < kProbe / 2)
            m_enabled = false;
        Entry& slot = m_entries[m_next];
        m_next = (m_next + 1) % kEntries;
        slot.bytes = bytes;
        slot.length = length;
        slot.key = key;
        slot.value = FromAnsiTrimmed(bytes, static_cast<qsizetype>(length));
        return slot.value;
    }

private:
    static constexpr unsigned long kMaxLength = 32;
    static constexpr std::size_t kEntries = 8;
    static constexpr int kProbe = 64;

    static quint64 Key(const char* bytes, unsigned long length) {
        quint64 key = 0;
        std::memcpy(&key, bytes, length < 8 ? length : 8);
        return key;
    }

    struct Entry {
        const char* bytes = nullptr;
        unsigned long length = ~0UL;
        quint64 key = 0;
        QString value;
    };
    std::array<Entry, kEntries> m_entries;
    std::size_t m_next = 0;
    int m_hits = 0;
    int m_misses = 0;
    bool m_enabled = true;
};

int g_quietErrors = 0;

} // namespace

ScopedQuietDbErrors::ScopedQuietDbErrors() {
    ++g_quietErrors;
}

ScopedQuietDbErrors::~ScopedQuietDbErrors() {
    --g_quietErrors;
}

bool DbErrorsQuiet() {
    return g_quietErrors > 0;
}

namespace {
UserMessages& Failures() {
    static UserMessages failures;
    return failures;
}
} // namespace

UserMessages TakeDbFailures() {
    return std::exchange(Failures(), {});
}

bool HasDbFailures() {
    return !Failures().isEmpty();
}

void PostDbFailure(const QString& text) {
    Failures().append({text, vbOKOnly, {}});
}

bool cMySQL::IsConnectionError(int number) {
    // 2000..2999 are the client library's own errors: no server, a lost or timed-out
    // connection, a handshake that failed. Out of sync is a fault of ours, not the network's.
    return number >= 2000 && number < 3000 && number != kErrOutOfSync;
}

cMySQL::cMySQL() {
    m_record = mysql_init(nullptr);
    if (!m_record)
        throw VbError(512, u"cMysql::Initialize"_s, u"Cannot Initialize a mysql record::Fatal"_s);
    m_silentErrors = false;
    m_doMemFree = false;
}

cMySQL::~cMySQL() {
    if (m_result)
        mysql_free_result(m_result);
    // The record is heap-allocated by mysql_init(nullptr): close it whether or not it connected.
    if (m_record)
        mysql_close(m_record);
}

void cMySQL::Raise(const char* operation) {
    throw VbError(static_cast<int>(mysql_errno(m_record)), u"cMysql::"_s + QLatin1StringView(operation),
                  FromLib(mysql_error(m_record)));
}

QByteArray cMySQL::Encode(const QString& text, const char* operation) const {
    bool lossless = true;
    QByteArray bytes = ToAnsi(text, &lossless);
    if (!lossless) {
        QString bad;
        IsAnsiEncodable(text, &bad);
        throw VbError(kErrNotEncodable, u"cMysql::"_s + QLatin1StringView(operation), NotEncodableDescription(bad));
    }
    return bytes;
}

// A closed record cannot be connected again; every new connect starts from a fresh one.
void cMySQL::ResetRecord() {
    if (m_result) {
        mysql_free_result(m_result);
        m_result = nullptr;
    }
    if (m_record)
        mysql_close(m_record);
    m_handle = nullptr;
    m_server.clear();
    m_client.clear();
    m_record = mysql_init(nullptr);
    if (!m_record)
        throw VbError(512, u"cMysql::Initialize"_s, u"Cannot Initialize a mysql record::Fatal"_s);
    m_recordUsed = false;
}

bool cMySQL::real_connect(const QString& host, const QString& user, const QString& password, const QString& db,
                          int port, const QString& unix_socket, int clientFlag, bool silent, const QString& charset) {
    try {
        // The record may be in use on the worker of the wait under way: it must not be freed.
        if (m_busy) {
            m_lastError = kErrNested;
            qCritical("cMySQL::real_connect: %s", qUtf8Printable(kNestedText));
            return false;
        }
        if (!host.isEmpty())
            m_host = host;
        if (!user.isEmpty())
            m_user = user;
        if (!password.isEmpty())
            m_password = password;
        if (!db.isEmpty())
            m_db = db;
        if (!unix_socket.isEmpty())
            m_unixSocket = unix_socket;
        // 3306 is the library's default: the field keeps whatever non-default port it had,
        // and a reconnect passes that field (0 = default) back in.
        if (port != kDefaultPort)
            m_port = port;
        m_clientFlags = clientFlag | kCompressFlag;
        if (!charset.isEmpty())
            m_charset = charset;
        m_silentErrors = silent;

        if (m_recordUsed || m_handle)
            ResetRecord();
        m_recordUsed = true;

        const QByteArray hostBytes = Encode(m_host, "real_connect");
        const QByteArray userBytes = Encode(m_user, "real_connect");
        const QByteArray passBytes = Encode(m_password, "real_connect");
        const QByteArray dbBytes = Encode(m_db, "real_connect");
        const QByteArray socketBytes = Encode(m_unixSocket, "real_connect");

        const ConfigValue tlsSetting = DatabaseTlsSetting();
        const DatabaseTls tls = ParseDatabaseTls(tlsSetting.value);
        if (tls == DatabaseTls::Invalid)
            throw VbError(
                CR_SSL_CONNECTION_ERROR, u"cMysql::real_connect"_s,
                u"DatabaseTls 설정값 '%1'을(를) 알 수 없습니다. off, preferred, required 중 하나여야 합니다 (%2)."_s
                    .arg(tlsSetting.value, tlsSetting.source));
        const ConfigValue caSetting = DatabaseCaSetting();
        const QByteArray ca = tls == DatabaseTls::Off ? QByteArray() : QFile::encodeName(caSetting.value);
        const DbTimeouts bounds = GetDbTimeouts();
        ApplyConnectOptions(m_record, bounds, tls, ca, tls == DatabaseTls::Required || !ca.isEmpty());
        auto job = std::make_shared<ConnectJob>();
        job->tls = tls;
        job->ca = ca;
        job->record = m_record;
        job->host = hostBytes;
        job->user = userBytes;
        job->password = passBytes;
        job->db = dbBytes;
        job->socket = socketBytes;
        job->port = static_cast<unsigned int>(port);
        job->flags = static_cast<unsigned long>(static_cast<unsigned int>(m_clientFlags));
        m_busy = true;
        const WaitEnd end = RunWaiting([job, bounds] { RunConnect(*job, bounds); }, {},
                                       [job] { mysql_close(job->record); }, 1000 * bounds.connectWholeSeconds);
        m_busy = false;
        bool cancelled = false;
        const bool timedOut = end == WaitEnd::TimedOut;
        if (end != WaitEnd::Done) {
            // The record went with the abandoned connect; this object starts from a fresh one.
            cancelled = true;
            m_record = mysql_init(nullptr);
            if (!m_record)
                throw VbError(512, u"cMysql::Initialize"_s, u"Cannot Initialize a mysql record::Fatal"_s);
        } else if (!job->serverSilent) {
            // A server that lets us in but then cannot answer is as unreachable as one
            // that never answers: the connect failed, with the library's own error.
            m_handle = job->handle;
            m_server = job->server;
            m_client = job->client;
        }
        if (!m_handle) {
            int number = cancelled ? kErrServerLost : static_cast<int>(mysql_errno(m_record));
            // Connector/C reports a TCP server it cannot reach as 2002 (its local-socket
            // number, with the text of 2003); libmysqlclient and our callers know it as 2003.
            if (number == 2002 && !m_host.isEmpty() && m_host.compare(u"localhost"_s, Qt::CaseInsensitive) != 0)
                number = 2003;
            if (!cancelled && tls != DatabaseTls::Off && (job->notEncrypted || number == CR_SSL_CONNECTION_ERROR)) {
                // Named with the setting and where it came from: whoever reads the box knows what to change.
                const QString libraryText =
                    job->notEncrypted ? u"the server answered without encryption"_s : FromLib(mysql_error(m_record));
                QString where = tlsSetting.source;
                if (!ca.isEmpty())
                    where += u", DatabaseCa="_s + caSetting.value + u" ("_s + caSetting.source + u")"_s;
                throw VbError(CR_SSL_CONNECTION_ERROR, u"cMysql::real_connect"_s,
                              u"데이터베이스 연결을 암호화하지 못했습니다 (DatabaseTls="_s + DatabaseTlsName(tls) +
                                  u"): "_s + libraryText + kCrLf + kCrLf + u"설정: "_s + where);
            }
            QString message = u"데이터베이스 서버에 접속할 수 없습니다."_s;
            if (number == 2003)
                message +=
                    kCrLf + kCrLf + u"인터넷이 연결되어 있는지 확인 해 주세요."_s + kCrLf + kCrLf +
                    u"인터넷이 연결되어 있다면 방화벽이나 각종 스파이웨어 차단 프로그램이 가동중인지 확인해 주세요."_s +
                    kCrLf + u"관련 프로그램이 데이터베이스 접속을 방해하는 경우 일 수도 있습니다."_s;
            throw VbError(number, u"cMysql::real_connect"_s,
                          (cancelled ? (timedOut ? kTimedOutText : kCancelledText) : FromLib(mysql_error(m_record))) +
                              kCrLf + kCrLf + message);
        }

        if (!m_charset.isEmpty()) {
            int rows = 0;
            RecordsetPtr rs = OpenInternal(u"SHOW VARIABLES LIKE 'version'"_s, rows);
            const bool oldServer = rs && !rs->isEOF() && rs->FieldCount() >= 2 && rs->Value(1).startsWith(u"5."_s);
            CloseRecordset(rs);
            if (oldServer) {
                rs = OpenInternal(u"SHOW VARIABLES like 'character_set_client'"_s, rows);
                const bool differs = rs && !rs->isEOF() && rs->FieldCount() >= 2 && rs->Value(1) != m_charset;
                CloseRecordset(rs);
                if (differs) {
                    rs = RunQuery(u"set names "_s + m_charset, m_silentErrors);
                    CloseRecordset(rs);
                }
            }
        }
        return true;
    } catch (const std::exception& e) {
        m_lastError = ErrorNumberOf(e);
        if (!m_silentErrors && !DbErrorsQuiet())
            PostDbFailure(u"Error "_s + QString::number(ErrorNumberOf(e)) + u" "_s + ErrorDescriptionOf(e));
        return false;
    }
}

QString cMySQL::ssl_cipher() const {
    const char* cipher = m_handle ? mysql_get_ssl_cipher(m_record) : nullptr;
    return cipher ? QString::fromLatin1(cipher) : QString();
}

qint32 cMySQL::affected_rows() {
    // A statement that failed before reaching the library (or with no connection left)
    // reports -1, as the library does after a failed statement.
    if (m_lastFailed || !m_handle)
        return -1;
    if (m_matchedRows >= 0)
        return m_matchedRows;
    return static_cast<qint32>(mysql_affected_rows(m_record));
}

// Connector/C no longer has mysql_create_db; the statement does the same.
int cMySQL::create_db(const QString& name) {
    QString quoted = name;
    quoted.replace(u"`"_s, u"``"_s);
    const QByteArray sql = Encode(u"CREATE DATABASE `"_s + quoted + u"`"_s, "create_db");
    const int status = mysql_real_query(m_record, sql.constData(), static_cast<unsigned long>(sql.size()));
    m_lastFailed = status != 0;
    if (status != 0)
        Raise("create_db");
    return status;
}

int cMySQL::dump_debug_info() {
    const int status = mysql_dump_debug_info(m_record);
    if (status != 0)
        Raise("dump_debug_info");
    return status;
}

QString cMySQL::err_description() {
    return FromLib(mysql_error(m_record));
}

QString cMySQL::escape_string(const QString& text) {
    bool lossless = true;
    const QByteArray in = ToAnsi(text, &lossless);
    if (!lossless)
        return EscapeInText(text);
    QByteArray out(in.size() * 2 + 1, Qt::Uninitialized);
    const unsigned long n =
        m_handle ? mysql_real_escape_string(m_handle, out.data(), in.constData(), static_cast<unsigned long>(in.size()))
                 : mysql_escape_string(out.data(), in.constData(), static_cast<unsigned long>(in.size()));
    // Not trimmed: an escaped value must keep its trailing blanks.
    return FromAnsi(out.constData(), static_cast<qsizetype>(n));
}

void cMySQL::free_result() {
    if (m_doMemFree && m_result) {
        mysql_free_result(m_result);
        m_result = nullptr;
    }
}

qint32 cMySQL::insert_id() {
    return static_cast<qint32>(mysql_insert_id(m_record));
}

// mysql_kill cuts thread ids to 32 bits; the KILL statement takes any id.
int cMySQL::Kill(unsigned long threadId) {
    const QByteArray sql = "KILL " + QByteArray::number(static_cast<qulonglong>(threadId));
    const int status = mysql_real_query(m_record, sql.constData(), static_cast<unsigned long>(sql.size()));
    m_lastFailed = status != 0;
    if (status == 0) {
        if (MYSQL_RES* r = mysql_store_result(m_record))
            mysql_free_result(r);
        return 0;
    }
    return static_cast<int>(mysql_errno(m_record));
}

RecordsetPtr cMySQL::BuildOrNothing(MYSQL_RES* result) {
    if (!result)
        return nullptr;
    ResultPtr owned(result, &mysql_free_result);
    try {
        return BuildRecordset(owned.get());
    } catch (const std::exception&) {
        return nullptr;
    }
}

RecordsetPtr cMySQL::list_fields(const QString& table, const QString& wild) {
    bool okTable = true;
    bool okWild = true;
    const QByteArray t = ToAnsi(table, &okTable);
    const QByteArray w = ToAnsi(wild, &okWild);
    if (!okTable || !okWild)
        return nullptr;
    return BuildOrNothing(mysql_list_fields(m_record, t.constData(), OrNull(w)));
}

RecordsetPtr cMySQL::list_processes() {
    return BuildOrNothing(mysql_list_processes(m_record));
}

RecordsetPtr cMySQL::list_tables(const QString& wild) {
    bool lossless = true;
    const QByteArray w = ToAnsi(wild, &lossless);
    if (!lossless)
        return nullptr;
    return BuildOrNothing(mysql_list_tables(m_record, OrNull(w)));
}

RecordsetPtr cMySQL::query(const QString& sql, bool silent) {
    return RunQuery(sql, silent);
}

RecordsetPtr cMySQL::QueryAfterRead(const QString& firstRead, QString& firstValue, const QString& sql, bool silent) {
    firstValue.clear();
    return RunQuery(sql, silent, firstRead, &firstValue);
}

// An idle connection has nothing to read: anything readable (end of file after a server
// restart or its idle time-out, an error packet sent before closing) means it is gone.
bool cMySQL::ConnectionDropped() const {
    return SocketReadableNow(mysql_get_socket(m_record));
}

MYSQL_RES* cMySQL::Exchange(const QByteArray& bytes, const char* operation, const QByteArray& firstRead,
                            QByteArray* firstValue) {
    MYSQL* record = m_record;
    int status = 0;
    MYSQL_RES* result = nullptr;
    bool mainSent = false;
    // A descriptor of our own for the socket: shutting it down ends a stalled read or write
    // at once, and it stays ours even when the library closes its descriptor meanwhile.
    SocketHandle own = DuplicateSocket(mysql_get_socket(m_record));
    UseWakeableWaits(m_record);
    QElapsedTimer clock;
    clock.start();
    m_busy = true;
    const WaitEnd end = RunWaiting(
        [&] {
            const ScopedWakeableWaits wakeable(own);
            if (!firstRead.isEmpty()) {
                if (mysql_real_query(record, firstRead.constData(), static_cast<unsigned long>(firstRead.size())) !=
                    0) {
                    status = 1;
                    return;
                }
                MYSQL_RES* first = mysql_store_result(record);
                if (!first) {
                    status = 1;
                    return;
                }
                if (MYSQL_ROW row = mysql_fetch_row(first); row && row[0] && firstValue)
                    *firstValue = QByteArray(row[0], static_cast<qsizetype>(mysql_fetch_lengths(first)[0]));
                mysql_free_result(first);
            }
            mainSent = true;
            if (mysql_real_query(record, bytes.constData(), static_cast<unsigned long>(bytes.size())) != 0) {
                status = 1;
                return;
            }
            result = mysql_store_result(record);
            if (!result && mysql_field_count(record) != 0)
                status = 1; // the result was lost while it was read
        },
        [&own] { own.shutdown(); });
    m_busy = false;
    m_mainSent = mainSent;
    own.close();
    const DbTimeouts bounds = GetDbTimeouts();
    const qint64 bound = 1000LL * std::min(bounds.readSeconds, bounds.writeSeconds);
    if (end != WaitEnd::Done) {
        if (result)
            mysql_free_result(result);
        m_stalled = true;
        throw VbError(kErrServerLost, u"cMysql::"_s + QLatin1StringView(operation),
                      end == WaitEnd::Cancelled ? kCancelledText : kTimedOutText);
    }
    if (status != 0) {
        // Ended by the read or write time-out: the server did not answer in time.
        m_stalled = clock.elapsed() >= bound - 250;
        Raise(operation);
    }
    return result;
}

cMySQL::OldSession cMySQL::CurrentSession() {
    return {m_handle ? mysql_thread_id(m_record) : 0UL, m_server, m_client};
}

// Opens the connection again with the stored settings. The session of the connection it
// replaces is ended first, so a statement still on its way there can never run later.
bool cMySQL::Reconnect(const QString& sql) {
    ++m_reconnects;
    const OldSession old = m_dropped ? m_droppedSession : CurrentSession();
    const QString oldSql = m_dropped ? m_droppedSql : sql;
    if (!real_connect(m_host, m_user, m_password, m_db, m_port, {}, 0, m_silentErrors, m_charset))
        return false;
    m_dropped = false;
    m_droppedSession = {};
    m_droppedSql.clear();
    EndOldSession(old, oldSql);
    return true;
}

// Thread ids are the server's own: behind a proxy the new connection may be on another
// server, where the same id is somebody else's connection, perhaps running the very same
// statement (everyone shares the account and the team view). So the id is killed only on
// the server the old connection was on, and there only when that session is still ours:
// the same client address and port (ids start again after a server restart), or, where the
// server named no address, still running our statement.
cMySQL::SessionEnd cMySQL::EndOldSession(const OldSession& session, const QString& sql) {
    if (session.thread == 0 || !m_handle)
        return m_handle ? SessionEnd::Ended : SessionEnd::Unsure;
    if (session.server.isEmpty() || session.server != m_server)
        return SessionEnd::OtherServer;
    if (session.thread == mysql_thread_id(m_record))
        return SessionEnd::Ended; // the server gave its id to this connection: it is gone
    const QString ask = u"SELECT HOST, INFO FROM information_schema.PROCESSLIST WHERE ID = "_s +
                        QString::number(static_cast<qulonglong>(session.thread));
    const bool byAddress = NamesOneConnection(session.client);
    for (int round = 0;; ++round) {
        RecordsetPtr rs = RunQuery(ask, true);
        if (!rs)
            return SessionEnd::Unsure;
        const bool there = !rs->isEOF() && rs->FieldCount() >= 2;
        const QString host = there ? rs->Value(0) : QString();
        const QString running = there ? rs->Value(1) : QString();
        CloseRecordset(rs);
        if (!there)
            return SessionEnd::Ended;
        const bool ours = byAddress ? host == QString::fromLatin1(session.client)
                                    : !running.isEmpty() && sql.trimmed().startsWith(running.trimmed());
        if (!ours)
            return byAddress ? SessionEnd::Ended : SessionEnd::Unsure;
        if (round == 0)
            Kill(session.thread);
        if (round >= kSessionEndRounds)
            return SessionEnd::Unsure;
        // A killed session leaves once its statement has given up; until then it may still
        // commit.
        PauseWaiting(kSessionEndPauseMs);
    }
}

cMySQL::SessionEnd cMySQL::EndSession(const OldSession& session) {
    if (!EnsureConnected())
        return SessionEnd::Unsure;
    return EndOldSession(session, {});
}

bool cMySQL::EnsureConnected() {
    if (m_busy)
        return false;
    if (m_handle && !m_dropped && !ConnectionDropped())
        return true;
    const ScopedQuietDbErrors quiet;
    return Reconnect({});
}

QString cMySQL::LastFailureText(const QString& sql) const {
    if (!m_lastFailed)
        return {};
    return FormatProcError(m_lastError, m_lastDescription, m_lastOperation, u"Module"_s, u"cMySQL"_s) + kCrLf + kCrLf +
           sql;
}

// After a cancel or a time-out the connection is in an unknown state: it is closed, and
// the next statement opens a new one.
void cMySQL::DropConnection(const QString& sqlInFlight) {
    m_droppedSession = CurrentSession();
    m_droppedSql = sqlInFlight;
    ResetRecord();
    m_recordUsed = true;
    m_dropped = true;
}

// query sends the statement with its byte length: a NUL inside the
// text can never cut a statement short (for example before its WHERE clause).
//
// A statement is sent a second time only when that cannot change the data twice
// (IsRepeatableStatement): after the connection was lost, or after a cluster answered
// that it did not apply it. Anything else that may have reached the server is reported
// as failed, on a connection that works again for the next statement.
RecordsetPtr cMySQL::RunQuery(const QString& sql, bool silent, const QString& firstRead, QString* firstValue) {
    const char* operation = "query";
    bool repeated = false;
    bool mayHaveRun = false; // an earlier run of this statement was lost in flight
    // A handler that ran during a wait must not interleave with the statement waited for,
    // nor free the record the worker uses: refused, and no box, which would open inside the wait.
    if (m_busy) {
        qCritical("cMySQL::%s: %s", operation, qUtf8Printable(kNestedText));
        m_lastFailed = true;
        m_lastError = kErrNested;
        m_lastDescription = kNestedText;
        m_lastOperation = QLatin1StringView(operation);
        return nullptr;
    }
    m_lastError = 0;
    m_lastUnknown = false;
    m_lastSession = {};
    for (;;) {
        m_lastFailed = false;
        m_stalled = false;
        m_matchedRows = -1;
        try {
            // A character CP949 cannot hold would reach the server as '?': refuse the statement.
            const QByteArray bytes = Encode(sql, operation);
            // A connection known to be gone is opened again before anything is sent, so
            // every statement, an INSERT too, then goes out once on the new one.
            if (m_recordUsed && !repeated && (m_dropped || !m_handle || ConnectionDropped())) {
                repeated = true;
                if (!Reconnect(sql)) {
                    m_lastFailed = true;
                    return nullptr;
                }
            }
            m_lastSession = CurrentSession();
            m_mainSent = false;
            QByteArray firstBytes;
            MYSQL_RES* result = firstRead.isEmpty()
                                    ? Exchange(bytes, operation)
                                    : Exchange(bytes, operation, Encode(firstRead, operation), &firstBytes);
            if (firstValue)
                *firstValue = FromAnsiTrimmed(firstBytes.constData(), firstBytes.size());
            if (!result) {
                m_lastRowCount = 0;
                // The repeat of an UPDATE whose first run may have landed changes nothing the
                // second time; the rows it matched are what that change reached.
                if (mayHaveRun)
                    m_matchedRows = MatchedRows(mysql_info(m_record));
                return nullptr;
            }
            // The record set owns copies of every value: the native result goes at once.
            ResultPtr owned(result, &mysql_free_result);
            RecordsetPtr rs = BuildRecordset(owned.get());
            return rs;
        } catch (const VbError& e) {
            const bool lost = e.number() == kErrServerGone || e.number() == kErrServerLost;
            const bool notApplied = e.number() == kErrDeadlock || e.number() == kErrNodeNotReady;
            // Whether a statement that was sent and then lost ran is for the caller to find out.
            const bool sent = m_lastSession.thread != 0 && m_mainSent;
            if (m_stalled) {
                // Waited out or cancelled: never repeated, so no wait is ever doubled.
                DropConnection(sql);
                m_lastUnknown = sent;
            } else if (lost && !repeated && m_recordUsed) {
                repeated = true;
                const OldSession lostSession = m_lastSession;
                if (!Reconnect(sql)) {
                    m_lastFailed = true;
                    m_lastError = e.number();
                    m_lastDescription = e.description();
                    m_lastOperation = QLatin1StringView(operation);
                    m_lastUnknown = sent;
                    m_lastSession = lostSession;
                    return nullptr;
                }
                m_lastSession = lostSession;
                // Lost during the read before it: the statement itself never left.
                if (!sent && !firstRead.isEmpty())
                    continue;
                if (IsRepeatableStatement(sql)) {
                    mayHaveRun = e.number() == kErrServerLost;
                    continue;
                }
                m_lastUnknown = sent;
            } else if (notApplied && !repeated && IsRepeatableStatement(sql)) {
                repeated = true;
                // A node that is not ready yet or a certification conflict: give it a moment.
                PauseWaiting(100);
                continue;
            }
            m_lastFailed = true;
            m_lastError = e.number();
            m_lastDescription = e.description();
            m_lastOperation = QLatin1StringView(operation);
            if (!silent && !DbErrorsQuiet())
                PostDbFailure(LastFailureText(sql));
            return nullptr;
        } catch (const std::exception& e) {
            m_lastFailed = true;
            m_lastError = ErrorNumberOf(e);
            m_lastDescription = ErrorDescriptionOf(e);
            m_lastOperation = QLatin1StringView(operation);
            if (!silent && !DbErrorsQuiet())
                PostDbFailure(LastFailureText(sql));
            return nullptr;
        }
    }
}

RecordsetPtr cMySQL::OpenInternal(const QString& sql, int& rowCount) {
    RecordsetPtr rs = RunQuery(sql, m_silentErrors);
    rowCount = affected_rows();
    return rs;
}

int cMySQL::select_db(const QString& name) {
    const QByteArray bytes = Encode(name, "select_db");
    const int status = mysql_select_db(m_record, bytes.constData());
    if (status != 0)
        Raise("select_db");
    // A reconnect must come back to the database in use, not to the first one.
    m_db = name;
    return status;
}

unsigned long cMySQL::thread_id() {
    if (!m_handle)
        Raise("thread_id");
    return mysql_thread_id(m_record);
}

int cMySQL::thread_safe() {
    return static_cast<int>(mysql_thread_safe());
}

// Builds the stand-alone, all-text record set of a stored result.
RecordsetPtr cMySQL::BuildRecordset(MYSQL_RES* result) {
    auto rs = std::make_shared<Recordset>();
    const unsigned int columns = mysql_num_fields(result);
    const my_ulonglong rows = mysql_num_rows(result);
    const MYSQL_FIELD* fields = columns ? mysql_fetch_fields(result) : nullptr;
    const unsigned int used = fields ? columns : 0;

    QList<QString> names;
    names.reserve(used);
    for (unsigned int i = 0; i < used; ++i)
        names.append(FromAnsiTrimmed(fields[i].name, static_cast<qsizetype>(fields[i].name_length)));
    // Every column whose name occurs more than once gets its table prefix, however many
    // times the name repeats; an expression column has no table and keeps its bare name.
    for (unsigned int i = 0; i < used; ++i) {
        bool repeated = false;
        for (unsigned int j = 0; j < used && !repeated; ++j)
            repeated = j != i && names[j].compare(names[i], Qt::CaseInsensitive) == 0;
        QString name = names[i];
        if (repeated && fields[i].table && fields[i].table_length > 0)
            name = FromAnsiTrimmed(fields[i].table, static_cast<qsizetype>(fields[i].table_length)) + u'.' + name;
        rs->AppendField(name, static_cast<qint64>(fields[i].length));
    }
    rs->Open();

    if (rows > static_cast<my_ulonglong>(INT_MAX / (used ? used : 1)))
        throw VbError(kErrOutOfMemory, u"cMysql::query"_s, u"Out of memory"_s);
    rs->Reserve(static_cast<int>(rows));
    std::vector<RecentValues> recent(used);
    while (MYSQL_ROW row = mysql_fetch_row(result)) {
        const unsigned long* lengths = mysql_fetch_lengths(result);
        QString* values = rs->AddRecord();
        for (unsigned int j = 0; j < used; ++j)
            if (row[j])
                values[j] = recent[j].Convert(row[j], lengths[j]);
    }
    m_lastRowCount = static_cast<qint64>(rows);
    if (rs->RecordCount() > 0)
        rs->MoveFirst();
    return rs;
}

} // namespace worktide
