#include "db/modIcsExport.h"

#include "db/modMySQL_Func_lite.h"
#include "support/Clock.h"
#include "support/IcsExport.h"

#include <QSaveFile>

namespace worktide {

int ExportIcsFile(const QString& sql, const QString& path) {
    RecordsetPtr rs;
    const qint32 found = OpenRecordset(rs, sql);
    if (found < 0 || !rs) {
        CloseRecordset(rs);
        return -1;
    }
    QList<IcsEntry> entries;
    while (!rs->isEOF()) {
        IcsEntry e;
        e.seq = rs->Value(QStringLiteral("seq")).toInt();
        e.title = rs->Value(QStringLiteral("title"));
        e.details = rs->Value(QStringLiteral("details"));
        e.catename = rs->Value(QStringLiteral("catename"));
        e.sdate = rs->Value(QStringLiteral("sdate"));
        e.edate = rs->Value(QStringLiteral("edate"));
        e.finished = rs->Value(QStringLiteral("finished")).toInt() != 0;
        entries.append(e);
        rs->MoveNext();
    }
    CloseRecordset(rs);
    return WriteIcsFile(entries, path);
}

int WriteIcsFile(const QList<IcsEntry>& entries, const QString& path) {
    QSaveFile file(path);
    if (!file.open(QIODevice::WriteOnly))
        return -1;
    const QByteArray text = BuildIcs(entries, gDB ? gDB->db() : QString(), Now());
    if (file.write(text) != text.size() || !file.commit())
        return -1;
    return static_cast<int>(entries.size());
}

} // namespace worktide
