#pragma once

#include <QByteArray>
#include <QDateTime>
#include <QList>
#include <QString>

// Turns schedule entries into an iCalendar (RFC 5545) file: the text rules only, no widgets,
// so the menu command and the tests share one writer.
namespace worktide {

struct IcsEntry {
    int seq = 0;
    QString title;
    QString details;
    QString catename;
    QString sdate; // "yyyy-MM-dd" or anything else (then treated as no date)
    QString edate;
    bool finished = false;
};

// Escapes backslash, semicolon, comma and line breaks of a TEXT value.
QString IcsEscapeText(const QString& text);
// Folds one content line at 75 octets (continuations start with a space) without splitting a
// UTF-8 character; appends CRLF after every physical line.
QByteArray IcsFoldLine(const QByteArray& line);
// The whole calendar. `databaseName` makes the UIDs stable and unique per office database;
// `stamp` is the DTSTAMP of every component.
QByteArray BuildIcs(const QList<IcsEntry>& entries, const QString& databaseName, const QDateTime& stamp);

} // namespace worktide
