#include "ui/team/TeamPainter.h"

#include "ui/grid/TextRuns.h"

#include <QFont>
#include <QPainter>

namespace worktide::team {
namespace {
const QColor kSundayFore(255, 0, 0);
const QColor kSaturdayFore(0, 0, 255);
const QColor kTodayBack(255, 210, 76);
const QColor kTodayColumnBack(255, 242, 204);
const QColor kHeaderBack(240, 240, 240);
const QColor kBarBack(255, 255, 192);
const QColor kBarFrame(150, 150, 110);
const QColor kSelectedFrame(0, 0, 255);
const QColor kGridLine(208, 208, 208);
const QColor kRowLine(160, 160, 160);
const QColor kFinishedShortFore(128, 128, 128);

QColor DayFore(const QDate& date) {
    switch (KindOfDay(date)) {
    case DayKind::Sunday:
        return kSundayFore;
    case DayKind::Saturday:
        return kSaturdayFore;
    default:
        return Qt::black;
    }
}
} // namespace

void PaintDayHeader(QPainter& p, const Layout& layout, const Geometry& g, const QDate& today, const QFont& font) {
    p.save();
    p.setFont(font);
    const double half = g.headerHeight / 2;
    for (int day = 0; day < layout.dayCount; ++day) {
        const QDate date = layout.DayDate(day);
        const QRectF cell(day * g.dayWidth, 0, g.dayWidth, g.headerHeight);
        p.fillRect(cell, date == today ? kTodayBack : kHeaderBack);
        p.setPen(DayFore(date));
        DrawTextRuns(p, QRectF(cell.left(), 0, g.dayWidth, half), Qt::AlignCenter, WeekdayText(date));
        DrawTextRuns(p, QRectF(cell.left(), half, g.dayWidth, half), Qt::AlignCenter, QString::number(date.day()));
        p.setPen(kRowLine);
        p.drawLine(QPointF(cell.right(), 0), QPointF(cell.right(), g.headerHeight));
    }
    p.drawLine(QPointF(0, g.headerHeight - 0.5), QPointF(layout.dayCount * g.dayWidth, g.headerHeight - 0.5));
    p.restore();
}

void PaintNames(QPainter& p, const Layout& layout, const Geometry& g, const std::vector<double>& rowTops, int begin,
                int end, const QFont& font) {
    p.save();
    p.setFont(font);
    const double y0 = rowTops[static_cast<std::size_t>(begin)];
    for (int person = begin; person < end; ++person) {
        const double top = rowTops[static_cast<std::size_t>(person)] - y0;
        const double height = rowTops[static_cast<std::size_t>(person) + 1] - rowTops[static_cast<std::size_t>(person)];
        const QRectF cell(0, top, g.nameWidth, height);
        p.fillRect(cell, kHeaderBack);
        p.setPen(Qt::black);
        DrawTextRuns(p, cell.adjusted(4, 0, -2, 0), Qt::AlignLeft | Qt::AlignVCenter, layout.people[person]);
        p.setPen(kRowLine);
        p.drawLine(QPointF(0, cell.bottom()), QPointF(g.nameWidth, cell.bottom()));
    }
    p.drawLine(QPointF(g.nameWidth - 0.5, 0), QPointF(g.nameWidth - 0.5, rowTops[static_cast<std::size_t>(end)] - y0));
    p.restore();
}

void PaintBody(QPainter& p, const Layout& layout, const Geometry& g, const std::vector<double>& rowTops, int begin,
               int end, const QDate& today, const QFont& font, int selectedBar) {
    p.save();
    p.setFont(font);
    const double y0 = rowTops[static_cast<std::size_t>(begin)];
    const double height = rowTops[static_cast<std::size_t>(end)] - y0;
    const double width = layout.dayCount * g.dayWidth;
    for (int day = 0; day < layout.dayCount; ++day) {
        const QDate date = layout.DayDate(day);
        if (date == today)
            p.fillRect(QRectF(day * g.dayWidth, 0, g.dayWidth, height), kTodayColumnBack);
        p.setPen(kGridLine);
        p.drawLine(QPointF((day + 1) * g.dayWidth - 0.5, 0), QPointF((day + 1) * g.dayWidth - 0.5, height));
    }
    p.setPen(kRowLine);
    for (int person = begin; person < end; ++person) {
        const double bottom = rowTops[static_cast<std::size_t>(person) + 1] - y0;
        p.drawLine(QPointF(0, bottom - 0.5), QPointF(width, bottom - 0.5));
    }

    const double inset = qMax(1.0, g.dayWidth * 0.04);
    const QRectF visible = p.hasClipping() ? p.clipBoundingRect() : QRectF();
    for (int b = 0; b < static_cast<int>(layout.bars.size()); ++b) {
        const Bar& bar = layout.bars[static_cast<std::size_t>(b)];
        if (bar.person < begin || bar.person >= end)
            continue;
        const double top = rowTops[static_cast<std::size_t>(bar.person)] - y0 + g.rowPadding + bar.line * g.lineHeight;
        const QRectF box(bar.firstDay * g.dayWidth + inset, top + 1, bar.days * g.dayWidth - 2 * inset,
                         g.lineHeight - 2);
        if (!visible.isNull() && !box.intersects(visible))
            continue; // scrolled out of sight: the screen draws a window of the month
        p.fillRect(box, kBarBack);
        p.setPen(QPen(b == selectedBar ? kSelectedFrame : kBarFrame, b == selectedBar ? 2 : 0.6));
        p.drawRect(box);
        const BarText text =
            MakeBarText(bar, layout.entries[static_cast<std::size_t>(bar.entry)], bar.days * g.dayUnits);
        // Without markers a finished entry is told by its grey text.
        const bool markers = !text.start.isEmpty() || !text.end.isEmpty();
        p.setPen(!markers && text.finished ? kFinishedShortFore : QColor(Qt::black));
        const QRectF inner = box.adjusted(1, 0, -1, 0);
        DrawTextRuns(p, inner, Qt::AlignLeft | Qt::AlignVCenter, text.start);
        DrawTextRuns(p, inner, Qt::AlignRight | Qt::AlignVCenter, text.end);
        DrawTextRuns(p, inner, Qt::AlignHCenter | Qt::AlignVCenter, text.title);
    }
    p.restore();
}

} // namespace worktide::team
