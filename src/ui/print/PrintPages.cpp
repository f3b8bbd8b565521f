#include "ui/print/PrintPages.h"

#include "ui/grid/Fonts.h"
#include "ui/print/PrintLayout.h"
#include "ui/team/TeamPainter.h"
#include "ui/grid/TextRuns.h"

#include <QFontDatabase>
#include <QFontMetricsF>
#include <QMarginsF>
#include <QPageLayout>
#include <QPageSize>
#include <QPainter>
#include <QPrinter>
#include <QTextLayout>

#include <algorithm>

using namespace Qt::StringLiterals;

namespace worktide::print {
namespace {

// Proportional text: NanumGothic where installed (the PDF embeds it).
QFont TextFont(double points, bool bold = false) {
    static const QString family = [] {
        const QStringList families = QFontDatabase::families();
        for (const QString& name : {u"NanumGothic"_s, u"나눔고딕"_s})
            if (families.contains(name, Qt::CaseInsensitive))
                return name;
        return QFontDatabase::systemFont(QFontDatabase::GeneralFont).family();
    }();
    QFont font(family);
    font.setPointSizeF(points);
    font.setBold(bold);
    return font;
}

QFont FixedFont(double points) {
    QFont font = FixedPitchKoreanFont(9);
    font.setPointSizeF(points);
    return font;
}

void DrawTitle(QPainter& p, const QString& title, const QString& pageLabel) {
    p.setFont(TextFont(11, true));
    p.setPen(Qt::black);
    const QRectF line(0, 0, kAreaWidth, kTitleHeight - 6);
    DrawTextRuns(p, line, Qt::AlignLeft | Qt::AlignVCenter, title);
    if (!pageLabel.isEmpty()) {
        p.setFont(TextFont(9));
        DrawTextRuns(p, line, Qt::AlignRight | Qt::AlignVCenter, pageLabel);
    }
}

void DrawFooter(QPainter& p, const QString& pageLabel) {
    p.setFont(TextFont(8));
    p.setPen(Qt::black);
    DrawTextRuns(p, QRectF(0, kAreaHeight - kFooterHeight, kAreaWidth, kFooterHeight), Qt::AlignCenter, pageLabel);
}

// Starts painting in points from the top left corner of the printed area.
bool Begin(QPainter& p, QPrinter& printer) {
    if (!p.begin(&printer))
        return false;
    const double scale = printer.resolution() / 72.0;
    if (scale != 1.0)
        p.scale(scale, scale);
    return true;
}

QColor Or(const QColor& c, const QColor& fallback) {
    return c.isValid() ? c : fallback;
}

} // namespace

void SetUpPrinter(QPrinter& printer) {
    printer.setResolution(72);
    printer.setPageLayout(QPageLayout(QPageSize(QPageSize::A4), QPageLayout::Landscape, QMarginsF(10, 10, 10, 10),
                                      QPageLayout::Millimeter));
    printer.setFullPage(false);
}

bool PaintCalendar(QPrinter& printer, const CalendarPage& page) {
    QPainter p;
    if (!Begin(p, printer))
        return false;
    DrawTitle(p, page.title, QString());

    const double colWidth = kAreaWidth / 7;
    const double top = kTitleHeight;
    const double headerHeight = 16;
    const double dateHeight = 13;
    const int weeks = static_cast<int>(page.rows.size()) / 2;
    const double contentHeight = weeks > 0 ? (kAreaHeight - top - headerHeight - weeks * dateHeight) / weeks : 0;
    int mostLines = 1;
    for (std::size_t r = 1; r < page.rows.size(); r += 2)
        for (const Cell& cell : page.rows[r])
            // Every line ends with CR LF; the empty piece after the last one is no line.
            mostLines = std::max(mostLines, static_cast<int>(cell.text.count(u"\r\n"_s)) +
                                                (cell.text.endsWith(u"\r\n"_s) || cell.text.isEmpty() ? 0 : 1));
    const QFont fixed = FixedFont(CalendarFontSize(colWidth, contentHeight - 4, mostLines));

    p.setFont(TextFont(9, true));
    for (int c = 0; c < 7 && c < page.weekdays.size(); ++c) {
        const QRectF cell(c * colWidth, top, colWidth, headerHeight);
        p.fillRect(cell, QColor(224, 224, 224));
        p.setPen(c == 0 ? QColor(255, 0, 0) : c == 6 ? QColor(0, 0, 255) : QColor(Qt::black));
        DrawTextRuns(p, cell, Qt::AlignCenter, page.weekdays[c]);
        p.setPen(QColor(128, 128, 128));
        p.drawRect(cell);
    }
    double y = top + headerHeight;
    for (std::size_t r = 0; r < page.rows.size(); ++r) {
        const bool dateRow = r % 2 == 0;
        const double h = dateRow ? dateHeight : contentHeight;
        p.setFont(dateRow ? TextFont(8) : fixed);
        for (std::size_t c = 0; c < page.rows[r].size(); ++c) {
            const Cell& cell = page.rows[r][c];
            const QRectF box(static_cast<double>(c) * colWidth, y, colWidth, h);
            p.fillRect(box, Or(cell.back, Qt::white));
            p.setPen(Or(cell.fore, Qt::black));
            QString text = cell.text;
            text.replace(u"\r\n"_s, u"\n"_s);
            p.save();
            p.setClipRect(box);
            DrawTextRuns(p, box.adjusted(2, 1, -2, -1),
                         (dateRow ? Qt::AlignLeft | Qt::AlignVCenter : Qt::AlignLeft | Qt::AlignTop), text,
                         dateRow ? 1.0 : kCalendarLineSpacing);
            p.restore();
            p.setPen(QColor(128, 128, 128));
            p.drawRect(box);
        }
        y += h;
    }
    return p.end();
}

namespace {
// The lines text takes in a column of this width (in points), broken at its line breaks and
// wrapped at words (anywhere in a word longer than the column).
QStringList WrappedLines(const QString& text, const QFont& font, QPaintDevice* device, double width) {
    const double scale = device->logicalDpiX() / 72.0;
    QStringList lines;
    for (const QString& paragraph : text.split(u'\n')) {
        const QString trimmed = paragraph.trimmed();
        if (trimmed.isEmpty()) {
            lines << QString();
            continue;
        }
        QTextLayout layout(trimmed, font, device);
        QTextOption option;
        option.setWrapMode(QTextOption::WrapAtWordBoundaryOrAnywhere);
        layout.setTextOption(option);
        layout.beginLayout();
        for (QTextLine line = layout.createLine(); line.isValid(); line = layout.createLine()) {
            line.setLineWidth(width * scale);
            lines << trimmed.mid(line.textStart(), line.textLength()).trimmed();
        }
        layout.endLayout();
    }
    // Blank lines at the end of the details print nothing and take no room.
    while (lines.size() > 1 && lines.back().isEmpty())
        lines.pop_back();
    return lines;
}
} // namespace

bool PaintList(QPrinter& printer, const ListPages& list) {
    QPainter p;
    if (!Begin(p, printer))
        return false;
    const std::vector<double> widths = FitWidths(list.widths, kAreaWidth);
    const QFont headerFont = TextFont(8, true);
    const QFont rowFont = FixedFont(7.5);
    const double lineHeight = QFontMetricsF(rowFont, p.device()).height() * 72.0 / p.device()->logicalDpiY();
    const double body = kAreaHeight - kTitleHeight - kListHeaderHeight - kFooterHeight;
    const int wrap = list.wrapColumn >= 0 && list.wrapColumn < static_cast<int>(widths.size()) ? list.wrapColumn : -1;

    // Every row is one line high but for the wrapped column, which takes the lines it needs;
    // a row never takes more than a page.
    const int rowCount = static_cast<int>(list.rows.size());
    std::vector<QStringList> wrapped(list.rows.size());
    std::vector<double> heights(list.rows.size(), kListRowHeight);
    for (int r = 0; r < rowCount && wrap >= 0; ++r) {
        const QStringList& row = list.rows[static_cast<std::size_t>(r)];
        if (wrap >= row.size())
            continue;
        QStringList& lines = wrapped[static_cast<std::size_t>(r)];
        lines = WrappedLines(row[wrap], rowFont, p.device(), widths[static_cast<std::size_t>(wrap)] - 4);
        const double need = static_cast<double>(lines.size()) * lineHeight + 4;
        heights[static_cast<std::size_t>(r)] = std::min(body, std::max(kListRowHeight, need));
    }
    // The first row of each page.
    std::vector<int> starts{0};
    double used = 0;
    for (int r = 0; r < rowCount; ++r) {
        const double h = heights[static_cast<std::size_t>(r)];
        if (used + h > body + 0.01 && used > 0) {
            starts.push_back(r);
            used = 0;
        }
        used += h;
    }
    const int pages = static_cast<int>(starts.size());

    for (int page = 0; page < pages; ++page) {
        if (page > 0 && !printer.newPage())
            return false;
        const QString label = PageLabel(page + 1, pages);
        DrawTitle(p, list.title, QString());
        DrawFooter(p, label);
        double x = 0;
        p.setFont(headerFont);
        for (std::size_t c = 0; c < widths.size(); ++c) {
            const QRectF cell(x, kTitleHeight, widths[c], kListHeaderHeight);
            p.fillRect(cell, QColor(224, 224, 224));
            p.setPen(QColor(128, 128, 128));
            p.drawRect(cell);
            p.setPen(Qt::black);
            DrawTextRuns(p, cell, Qt::AlignCenter,
                         c < static_cast<std::size_t>(list.headers.size()) ? list.headers[c] : QString());
            x += widths[c];
        }
        p.setFont(rowFont);
        const int first = starts[static_cast<std::size_t>(page)];
        const int last = page + 1 < pages ? starts[static_cast<std::size_t>(page) + 1] : rowCount;
        double y = kTitleHeight + kListHeaderHeight;
        for (int r = first; r < last; ++r) {
            const QStringList& row = list.rows[static_cast<std::size_t>(r)];
            const double h = heights[static_cast<std::size_t>(r)];
            const QColor color = r < static_cast<int>(list.rowColors.size())
                                     ? Or(list.rowColors[static_cast<std::size_t>(r)], Qt::black)
                                     : QColor(Qt::black);
            x = 0;
            for (std::size_t c = 0; c < widths.size(); ++c) {
                const QRectF cell(x, y, widths[c], h);
                p.setPen(QColor(200, 200, 200));
                p.drawRect(cell);
                p.setPen(color);
                const QString text =
                    c < static_cast<std::size_t>(row.size()) ? row[static_cast<qsizetype>(c)] : QString();
                if (static_cast<int>(c) == wrap) {
                    p.save();
                    p.setClipRect(cell);
                    DrawTextRuns(p, cell.adjusted(2, 2, -2, -2), Qt::AlignLeft | Qt::AlignTop,
                                 wrapped[static_cast<std::size_t>(r)].join(u'\n'));
                    p.restore();
                } else {
                    // The other columns hold one line; a text with line breaks shows its first.
                    const QRectF inner = QRectF(x, y, widths[c], kListRowHeight).adjusted(2, 0, -2, 0);
                    DrawTextRuns(p, inner, Qt::AlignLeft | Qt::AlignVCenter,
                                 p.fontMetrics().elidedText(text.section(u'\n', 0, 0).trimmed(), Qt::ElideRight,
                                                            static_cast<int>(inner.width())));
                }
                x += widths[c];
            }
            y += h;
        }
    }
    return p.end();
}

namespace {
// The largest bar text of the printed team page: a day of a 31-day month still holds four
// cells (two syllables) at this size.
constexpr double kTeamReadableSize = 7.5;

struct TeamPrintGeometry {
    team::Geometry geometry;
    double fontSize = 7;
};

TeamPrintGeometry TeamGeometryFor(const team::Layout& layout) {
    TeamPrintGeometry out;
    team::Geometry& g = out.geometry;
    g.nameWidth = 80;
    g.dayWidth = (kAreaWidth - g.nameWidth) / std::max(1, layout.dayCount);
    g.rowPadding = 2;
    // A day holds kDayUnits Latin cells of the fixed-pitch font (half its size) and a little room.
    const double narrow = std::min(8.0, g.dayWidth / (team::kDayUnits * 0.5 + 1.0));
    // A few people leave most of the page empty at that size: the text then grows as far as
    // every row still fits the page, and a day holds the cells that fit at the larger size.
    int lines = 0;
    for (const int n : layout.lineCount)
        lines += n;
    const double people = static_cast<double>(layout.lineCount.size());
    const double room = kAreaHeight - kTitleHeight - kFooterHeight - 4 - 2 * g.rowPadding * people;
    const double fits = room / (3 + 1.6 * lines);
    out.fontSize = std::max(narrow, std::min(kTeamReadableSize, fits));
    if (out.fontSize > narrow)
        g.dayUnits = std::clamp(static_cast<int>(g.dayWidth / (out.fontSize * 0.5)) - 2, 2, team::kDayUnits);
    g.lineHeight = out.fontSize * 1.6;
    g.headerHeight = out.fontSize * 2 * 1.5 + 4;
    return out;
}
} // namespace

namespace {
double TeamBodyHeight(const team::Geometry& g) {
    return kAreaHeight - kTitleHeight - g.headerHeight - kFooterHeight;
}

// The layout as printed: a person with more lines than a page holds goes on over pages.
team::Layout PrintedTeamLayout(const team::Layout& layout) {
    const team::Geometry& g = TeamGeometryFor(layout).geometry;
    const int maxLines = static_cast<int>((TeamBodyHeight(g) - 2 * g.rowPadding) / g.lineHeight);
    return team::SplitTallRows(layout, maxLines);
}

std::vector<int> PrintedPageBreaks(const team::Layout& printed) {
    const TeamPrintGeometry pg = TeamGeometryFor(printed);
    std::vector<double> heights;
    for (const int lines : printed.lineCount)
        heights.push_back(pg.geometry.RowHeight(lines));
    return team::PageBreaks(heights, TeamBodyHeight(pg.geometry));
}
} // namespace

std::vector<int> TeamPageBreaks(const team::Layout& layout) {
    return PrintedPageBreaks(PrintedTeamLayout(layout));
}

bool PaintTeam(QPrinter& printer, const TeamPages& shown) {
    QPainter p;
    if (!Begin(p, printer))
        return false;
    TeamPages team{shown.title, PrintedTeamLayout(shown.layout), shown.today};
    const TeamPrintGeometry pg = TeamGeometryFor(team.layout);
    const team::Geometry& g = pg.geometry;
    const std::vector<double> tops = team::RowTops(team.layout, g);
    std::vector<int> breaks = PrintedPageBreaks(team.layout);
    if (breaks.size() < 2)
        breaks = {0, 0}; // no people: one page with the day header
    const int pages = static_cast<int>(breaks.size()) - 1;
    const QFont fixed = FixedFont(pg.fontSize);
    const QFont names = TextFont(std::min(8.0, pg.fontSize + 1));
    for (int page = 0; page < pages; ++page) {
        if (page > 0 && !printer.newPage())
            return false;
        DrawTitle(p, team.title, QString());
        DrawFooter(p, PageLabel(page + 1, pages));
        const int begin = breaks[static_cast<std::size_t>(page)];
        const int end = breaks[static_cast<std::size_t>(page) + 1];
        p.save();
        p.translate(0, kTitleHeight);
        p.fillRect(QRectF(0, 0, g.nameWidth, g.headerHeight), QColor(240, 240, 240));
        p.setFont(names);
        DrawTextRuns(p, QRectF(0, 0, g.nameWidth, g.headerHeight), Qt::AlignCenter, u"이름"_s);
        p.save();
        p.translate(g.nameWidth, 0);
        team::PaintDayHeader(p, team.layout, g, team.today, fixed);
        p.restore();
        if (end > begin) {
            p.translate(0, g.headerHeight);
            team::PaintNames(p, team.layout, g, tops, begin, end, names);
            p.translate(g.nameWidth, 0);
            team::PaintBody(p, team.layout, g, tops, begin, end, team.today, fixed);
        }
        p.restore();
        p.setPen(QColor(128, 128, 128));
        const double bottom =
            kTitleHeight + g.headerHeight +
            (end > begin ? tops[static_cast<std::size_t>(end)] - tops[static_cast<std::size_t>(begin)] : 0);
        p.drawRect(QRectF(0, kTitleHeight, g.nameWidth + team.layout.dayCount * g.dayWidth, bottom - kTitleHeight));
    }
    return p.end();
}

} // namespace worktide::print
