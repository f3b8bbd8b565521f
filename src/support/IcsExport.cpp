#include "support/IcsExport.h"

#include <QDate>

namespace worktide {
namespace {

constexpr qsizetype kMaxLineOctets = 75;

QDate ParseDay(const QString& text) {
    return QDate::fromString(text.trimmed(), QStringLiteral("yyyy-MM-dd"));
}

QString DayValue(const QDate& d) {
    return d.toString(QStringLiteral("yyyyMMdd"));
}

void Add(QByteArray& out, const QString& line) {
    out += IcsFoldLine(line.toUtf8());
}

} // namespace

QString IcsEscapeText(const QString& text) {
    QString out;
    out.reserve(text.size() + 8);
    for (qsizetype i = 0; i < text.size(); ++i) {
        const QChar c = text.at(i);
        if (c == QLatin1Char('\\') || c == QLatin1Char(';') || c == QLatin1Char(',')) {
            out += QLatin1Char('\\');
            out += c;
        } else if (c == QLatin1Char('\r')) {
            // CR LF, a lone CR and a lone LF are all one line break.
            if (i + 1 < text.size() && text.at(i + 1) == QLatin1Char('\n'))
                ++i;
            out += QStringLiteral("\\n");
        } else if (c == QLatin1Char('\n')) {
            out += QStringLiteral("\\n");
        } else if (c.unicode() < 0x20 && c != QLatin1Char('\t')) {
            // Other control characters are not allowed in TEXT; they carry nothing a reader could show.
            continue;
        } else {
            out += c;
        }
    }
    return out;
}

QByteArray IcsFoldLine(const QByteArray& line) {
    QByteArray out;
    qsizetype pos = 0;
    qsizetype room = kMaxLineOctets;
    while (line.size() - pos > room) {
        qsizetype cut = pos + room;
        // Never cut in front of a UTF-8 continuation byte.
        while (cut > pos && (static_cast<unsigned char>(line.at(cut)) & 0xC0) == 0x80)
            --cut;
        out += line.mid(pos, cut - pos);
        out += "\r\n ";
        pos = cut;
        room = kMaxLineOctets - 1; // the leading space counts
    }
    out += line.mid(pos);
    out += "\r\n";
    return out;
}

QByteArray BuildIcs(const QList<IcsEntry>& entries, const QString& databaseName, const QDateTime& stamp) {
    QByteArray out;
    const QString dtstamp = QStringLiteral("DTSTAMP:") + stamp.toUTC().toString(QStringLiteral("yyyyMMdd'T'HHmmss'Z'"));
    Add(out, QStringLiteral("BEGIN:VCALENDAR"));
    Add(out, QStringLiteral("VERSION:2.0"));
    Add(out, QStringLiteral("PRODID:-//Worktide//Worktide//KO"));
    Add(out, QStringLiteral("CALSCALE:GREGORIAN"));
    for (const IcsEntry& e : entries) {
        QDate start = ParseDay(e.sdate);
        QDate last = ParseDay(e.edate);
        // A start without an end is a one-day event on the start day, and an end without a start
        // one on the due day; an end before the start is read as a one-day event on the start day.
        if (!start.isValid())
            start = last;
        if (!last.isValid() || last < start)
            last = start;
        const bool dated = start.isValid();
        const QString kind = dated ? QStringLiteral("VEVENT") : QStringLiteral("VTODO");
        Add(out, QStringLiteral("BEGIN:") + kind);
        Add(out, QStringLiteral("UID:") + IcsEscapeText(QStringLiteral("worktide-%1@").arg(e.seq) + databaseName));
        Add(out, dtstamp);
        if (dated) {
            Add(out, QStringLiteral("DTSTART;VALUE=DATE:") + DayValue(start));
            // DTEND of an all-day event is exclusive: the day after the last day.
            Add(out, QStringLiteral("DTEND;VALUE=DATE:") + DayValue(last.addDays(1)));
            Add(out, QStringLiteral("TRANSP:TRANSPARENT"));
        }
        Add(out, QStringLiteral("SUMMARY:") + IcsEscapeText(e.title));
        if (!e.details.isEmpty())
            Add(out, QStringLiteral("DESCRIPTION:") + IcsEscapeText(e.details));
        if (!e.catename.isEmpty())
            Add(out, QStringLiteral("CATEGORIES:") + IcsEscapeText(e.catename));
        if (dated) {
            // An event has no "completed" state; a finished one is confirmed, and the flag travels
            // in our own property so nothing is lost.
            if (e.finished)
                Add(out, QStringLiteral("STATUS:CONFIRMED"));
        } else {
            Add(out, e.finished ? QStringLiteral("STATUS:COMPLETED") : QStringLiteral("STATUS:NEEDS-ACTION"));
        }
        Add(out, QStringLiteral("X-WORKTIDE-FINISHED:") + (e.finished ? QStringLiteral("1") : QStringLiteral("0")));
        Add(out, QStringLiteral("END:") + kind);
    }
    Add(out, QStringLiteral("END:VCALENDAR"));
    return out;
}

} // namespace worktide
