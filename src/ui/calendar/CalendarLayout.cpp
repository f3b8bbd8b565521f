#include "ui/calendar/CalendarLayout.h"

#include "support/Cp949.h"

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

QString DayCaption(const QDate& date) {
    return date.toString(QStringLiteral("MM.dd"));
}

QDate ParseDateText(QStringView text) {
    // Hand-parsed: the calendar and the search list read two of these per entry on
    // every redraw, and a format-string parse costs more than the rest of the row.
    if (text.size() != 10 || text[4] != u'-' || text[7] != u'-')
        return {};
    int parts[3] = {0, 0, 0};
    const int starts[3] = {0, 5, 8};
    const int lengths[3] = {4, 2, 2};
    for (int p = 0; p < 3; ++p)
        for (int i = starts[p]; i < starts[p] + lengths[p]; ++i) {
            const char16_t c = text[i].unicode();
            if (c < u'0' || c > u'9')
                return {};
            parts[p] = parts[p] * 10 + (c - u'0');
        }
    return QDate(parts[0], parts[1], parts[2]);
}

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
    const QString endMarker =
        span.clippedEnd ? kContinued : (span.finished ? QStringLiteral("▷") : QStringLiteral("▶"));
    return (dayIndex == 1 ? startMarker : kContinued) + centredTitle + (dayIndex == span.days ? endMarker : kContinued);
}

QString EntryLine(const EntrySpan& span, int dayIndex) {
    return EntryLine(span, CentredTitle(span.title, span.days > 1), dayIndex);
}

int PlaceLine(QStringList& pieces, const QString& text, int line, bool& conflict) {
    // pieces is the cell text split at CR LF. Writing the cell back puts CR LF after
    // every piece and then the new tail, so the split form afterwards is the pieces,
    // the tail's lines and one empty piece behind the last CR LF.
    conflict = false;
    const int last = static_cast<int>(pieces.size()) - 1;
    int result = -1;
    if (line == -1) {
        for (int i = 0; i <= last; ++i)
            if (pieces[i].trimmed().isEmpty()) {
                pieces[i] = text;
                result = i;
                break;
            }
        if (result == -1) {
            pieces.append(text);
            result = last + 1;
        }
    } else if (line > last) {
        for (int i = last + 1; i < line; ++i)
            pieces.append(QString());
        pieces.append(text);
        result = line;
    } else if (pieces[line].isEmpty()) {
        pieces[line] = text;
        result = line;
    } else {
        conflict = true;
        pieces.append(text);
        result = last + 1;
    }
    pieces.append(QString());
    return result;
}

QString JoinCellLines(const QStringList& pieces) {
    return pieces.join(kCrLf);
}

LinePlacement PlaceLine(const QString& cellText, const QString& text, int line) {
    // An empty cell has no lines at all; otherwise the piece after the last CR LF
    // (usually empty) counts as a line of its own.
    QStringList pieces;
    if (!cellText.isEmpty())
        pieces = cellText.split(kCrLf);
    LinePlacement result;
    result.line = PlaceLine(pieces, text, line, result.conflict);
    result.cellText = JoinCellLines(pieces);
    return result;
}

} // namespace worktide::calendar
