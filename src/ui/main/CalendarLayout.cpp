#include "ui/main/CalendarLayout.h"

#include "app/modMain.h"

#include <QStringList>

namespace worktide::calendar {
namespace {
const QString kCrLf = QStringLiteral("\r\n");
const QString kContinued = QStringLiteral("..");
} // namespace

QDate FirstShownDate(int year, int month) {
    const QDate first(year, month, 1);
    if (!first.isValid())
        return {};
    // Weekday counted 1 = Sunday ... 7 = Saturday; Qt counts Monday = 1 ... Sunday = 7.
    const int weekday = first.dayOfWeek() % 7 + 1;
    return first.addDays(-(weekday - 1));
}

QString DayCaption(const QDate& date) { return date.toString(QStringLiteral("MM.dd")); }

QString CentredTitle(const QString& title, bool multiDay) {
    const int room = kTitleUnits - LenBytes(title);
    if (room < 0)
        return LeftBytes(title, kTitleUnits);
    const int left = room / 2;
    const QChar fill = multiDay ? QLatin1Char('.') : QLatin1Char(' ');
    return QString(left, fill) + title + QString(room - left, fill);
}

QString EntryLine(const EntrySpan& span, const QString& centredTitle, int dayIndex) {
    const QString startMarker =
        span.clippedStart ? kContinued : (span.finished ? QStringLiteral("◁") : QStringLiteral("◀"));
    const QString endMarker = span.clippedEnd ? kContinued : (span.finished ? QStringLiteral("▷") : QStringLiteral("▶"));
    return (dayIndex == 1 ? startMarker : kContinued) + centredTitle + (dayIndex == span.days ? endMarker : kContinued);
}

QString EntryLine(const EntrySpan& span, int dayIndex) {
    return EntryLine(span, CentredTitle(span.title, span.days > 1), dayIndex);
}

LinePlacement PlaceLine(const QString& cellText, const QString& text, int line) {
    // An empty cell has no lines at all; otherwise the piece after the last CR LF
    // (usually empty) counts as a line of its own.
    QStringList lines;
    if (!cellText.isEmpty())
        lines = cellText.split(kCrLf);
    const int last = static_cast<int>(lines.size()) - 1;
    QString tail;
    LinePlacement result;

    if (line == -1) {
        result.line = -1;
        for (int i = 0; i <= last; ++i)
            if (lines[i].trimmed().isEmpty()) {
                lines[i] = text;
                result.line = i;
                break;
            }
        if (result.line == -1) {
            tail = text + kCrLf;
            result.line = last + 1;
        }
    } else if (line > last) {
        tail = kCrLf.repeated(line - last - 1) + text + kCrLf;
        result.line = line;
    } else if (lines[line].isEmpty()) {
        lines[line] = text;
        result.line = line;
    } else {
        result.conflict = true;
        tail = text + kCrLf;
        result.line = last + 1;
    }

    QString out;
    for (const QString& piece : std::as_const(lines))
        out += piece + kCrLf;
    result.cellText = out + tail;
    return result;
}

} // namespace worktide::calendar
