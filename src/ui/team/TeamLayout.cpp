#include "ui/team/TeamLayout.h"

#include "support/Cp949.h"
#include "ui/calendar/CalendarLayout.h"

#include <QHash>

#include <algorithm>
#include <tuple>

using namespace Qt::StringLiterals;

namespace worktide::team {

QDate MonthOfKey(const QString& key) {
    if (key.size() != 6)
        return {};
    bool yearOk = false;
    bool monthOk = false;
    const int year = key.left(4).toInt(&yearOk);
    const int month = key.right(2).toInt(&monthOk);
    if (!yearOk || !monthOk)
        return {};
    return QDate(year, month, 1);
}

QString FirstDayText(const QDate& monthFirst) {
    return monthFirst.toString(u"yyyy-MM-dd"_s);
}

QString LastDayText(const QDate& monthFirst) {
    return monthFirst.addDays(monthFirst.daysInMonth() - 1).toString(u"yyyy-MM-dd"_s);
}

Layout LayOut(const QStringList& people, std::vector<Entry> entries, const QDate& monthFirst) {
    Layout layout;
    layout.first = monthFirst;
    layout.dayCount = monthFirst.isValid() ? monthFirst.daysInMonth() : 0;
    layout.people = people;
    layout.lineCount.assign(static_cast<std::size_t>(people.size()), 1);
    layout.entries = std::move(entries);
    if (layout.dayCount == 0)
        return layout;

    QHash<QString, int> rowOf;
    for (int i = 0; i < people.size(); ++i)
        rowOf.insert(people[i], i); // a name listed twice keeps its last row; the list has none twice
    const QString from = FirstDayText(monthFirst);
    const QString to = LastDayText(monthFirst);
    const QDate lastDay = monthFirst.addDays(layout.dayCount - 1);
    // Per person, the last day column taken on each of its lines.
    std::vector<std::vector<int>> lineEnds(static_cast<std::size_t>(people.size()));

    for (int i = 0; i < static_cast<int>(layout.entries.size()); ++i) {
        const Entry& e = layout.entries[static_cast<std::size_t>(i)];
        const auto row = rowOf.constFind(e.owner);
        if (row == rowOf.constEnd()) {
            ++layout.unlisted;
            continue;
        }
        Bar bar;
        bar.entry = i;
        bar.person = *row;
        // Clipped the way the calendar clips at its first and last shown day: by text.
        QDate s = calendar::ParseDateText(e.sdate);
        QDate d = calendar::ParseDateText(e.edate);
        if (!(e.sdate >= from)) {
            s = monthFirst;
            bar.clippedStart = true;
        }
        if (!(e.edate <= to)) {
            d = lastDay;
            bar.clippedEnd = true;
        }
        if (!s.isValid() || !d.isValid() || d < s || s > lastDay || d < monthFirst) {
            ++layout.undatable;
            continue;
        }
        bar.firstDay = static_cast<int>(monthFirst.daysTo(s));
        bar.days = static_cast<int>(s.daysTo(d)) + 1;
        const int lastCol = bar.firstDay + bar.days - 1;
        std::vector<int>& ends = lineEnds[static_cast<std::size_t>(bar.person)];
        const auto free = std::find_if(ends.begin(), ends.end(), [&](int end) { return end < bar.firstDay; });
        if (free == ends.end()) {
            bar.line = static_cast<int>(ends.size());
            ends.push_back(lastCol);
        } else {
            bar.line = static_cast<int>(free - ends.begin());
            *free = lastCol;
        }
        int& lines = layout.lineCount[static_cast<std::size_t>(bar.person)];
        lines = std::max(lines, bar.line + 1);
        layout.bars.push_back(bar);
    }
    // Row by row, left to right: the order the keyboard walks the bars in.
    std::stable_sort(layout.bars.begin(), layout.bars.end(), [](const Bar& a, const Bar& b) {
        return std::tie(a.person, a.firstDay, a.line) < std::tie(b.person, b.firstDay, b.line);
    });
    return layout;
}

BarText MakeBarText(const Bar& bar, const Entry& entry, int units) {
    BarText text;
    text.start = bar.clippedStart ? u".."_s : (entry.finished ? u"◁"_s : u"◀"_s);
    text.end = bar.clippedEnd ? u".."_s : (entry.finished ? u"▷"_s : u"▶"_s);
    text.finished = entry.finished;
    const int room = units - LenBytes(text.start) - LenBytes(text.end);
    if (LenBytes(entry.title) <= room) {
        text.title = entry.title;
    } else if (bar.days == 1 && !bar.clippedStart && !bar.clippedEnd) {
        // Two bytes beside two markers is one syllable at most: nobody reads that.
        text.start.clear();
        text.end.clear();
        text.title = LeftBytes(entry.title, static_cast<qint16>(units / 2));
    } else if (room >= 2)
        text.title = LeftBytes(entry.title, static_cast<qint16>(room / 2)); // keeps room / 2 * 2 bytes
    return text;
}

QString ToolTipText(const Entry& entry) {
    QString text = entry.title + u"\n"_s + entry.sdate + u" ~ "_s + entry.edate + u"\n"_s + entry.category;
    QString details = entry.details;
    details.replace(u"\r\n"_s, u"\n"_s);
    if (!details.trimmed().isEmpty())
        text += u"\n\n"_s + details;
    return text;
}

QString WeekdayText(const QDate& date) {
    static const QString names[7] = {u"월"_s, u"화"_s, u"수"_s, u"목"_s, u"금"_s, u"토"_s, u"일"_s};
    return date.isValid() ? names[date.dayOfWeek() - 1] : QString();
}

DayKind KindOfDay(const QDate& date) {
    switch (date.dayOfWeek()) {
    case 6:
        return DayKind::Saturday;
    case 7:
        return DayKind::Sunday;
    default:
        return DayKind::Weekday;
    }
}

int VerticalNeighbour(const Layout& layout, int bar, int day, int direction) {
    const int count = static_cast<int>(layout.bars.size());
    if (bar < 0 || bar >= count || (direction != -1 && direction != 1))
        return bar;
    const int person = layout.bars[static_cast<std::size_t>(bar)].person;
    // Bars are sorted by row: the nearest row with bars that way is the row of the
    // bar just before this row's first (Up) or just after its last (Down).
    int edge = bar;
    while (edge + direction >= 0 && edge + direction < count &&
           layout.bars[static_cast<std::size_t>(edge + direction)].person == person)
        edge += direction;
    edge += direction;
    if (edge < 0 || edge >= count)
        return bar;
    const int target = layout.bars[static_cast<std::size_t>(edge)].person;
    int best = bar;
    int bestDistance = 0;
    for (int b = 0; b < count; ++b) {
        const Bar& candidate = layout.bars[static_cast<std::size_t>(b)];
        if (candidate.person != target)
            continue;
        const int last = candidate.firstDay + candidate.days - 1;
        const int distance = day < candidate.firstDay ? candidate.firstDay - day : (day > last ? day - last : 0);
        if (best == bar || distance < bestDistance) {
            best = b;
            bestDistance = distance;
        }
    }
    return best;
}

bool OpensInEditor(const QString& owner, const QString& userName) {
    return owner == userName || userName == u"서도윤"_s || userName == u"최민결"_s;
}

std::vector<double> RowTops(const Layout& layout, const Geometry& geometry) {
    std::vector<double> tops;
    tops.reserve(layout.lineCount.size() + 1);
    double y = 0;
    for (const int lines : layout.lineCount) {
        tops.push_back(y);
        y += geometry.RowHeight(lines);
    }
    tops.push_back(y);
    return tops;
}

Hit HitTest(const Layout& layout, const Geometry& geometry, const std::vector<double>& rowTops, double x, double y) {
    Hit hit;
    if (x < 0 || y < 0 || rowTops.size() < 2 || y >= rowTops.back())
        return hit;
    const int day = static_cast<int>(x / geometry.dayWidth);
    if (day >= layout.dayCount)
        return hit;
    const auto below = std::upper_bound(rowTops.begin(), rowTops.end(), y);
    hit.person = static_cast<int>(below - rowTops.begin()) - 1;
    hit.day = day;
    const double inRow = y - rowTops[static_cast<std::size_t>(hit.person)] - geometry.rowPadding;
    if (inRow < 0)
        return hit;
    const int line = static_cast<int>(inRow / geometry.lineHeight);
    for (int b = 0; b < static_cast<int>(layout.bars.size()); ++b) {
        const Bar& bar = layout.bars[static_cast<std::size_t>(b)];
        if (bar.person == hit.person && bar.line == line && day >= bar.firstDay && day < bar.firstDay + bar.days) {
            hit.bar = b;
            break;
        }
    }
    return hit;
}

Layout SplitTallRows(const Layout& layout, int maxLines) {
    maxLines = std::max(1, maxLines);
    Layout out = layout;
    out.people.clear();
    out.lineCount.clear();
    std::vector<int> firstRow; // per person of the given layout, its first row in out
    for (int person = 0; person < static_cast<int>(layout.people.size()); ++person) {
        firstRow.push_back(static_cast<int>(out.people.size()));
        const int lines = layout.lineCount[static_cast<std::size_t>(person)];
        for (int start = 0; start < lines; start += maxLines) {
            out.people.append(start == 0 ? layout.people[person] : layout.people[person] + u" (계속)"_s);
            out.lineCount.push_back(std::min(maxLines, lines - start));
        }
    }
    for (Bar& bar : out.bars) {
        bar.person = firstRow[static_cast<std::size_t>(bar.person)] + bar.line / maxLines;
        bar.line %= maxLines;
    }
    return out;
}

std::vector<int> PageBreaks(const std::vector<double>& heights, double pageHeight) {
    std::vector<int> starts;
    const int count = static_cast<int>(heights.size());
    double used = 0;
    for (int i = 0; i < count; ++i) {
        const double h = heights[static_cast<std::size_t>(i)];
        if (starts.empty() || used + h > pageHeight + 1e-9) {
            starts.push_back(i);
            used = 0;
        }
        used += h;
    }
    starts.push_back(count);
    return starts;
}

} // namespace worktide::team
