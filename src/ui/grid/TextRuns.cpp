#include "ui/grid/TextRuns.h"

#include <QFontMetricsF>
#include <QPainter>
#include <QStringList>

namespace worktide {

void DrawTextRuns(QPainter& p, const QRectF& rect, int flags, const QString& text, double lineSpacing) {
    if (text.isEmpty())
        return;
    const QFontMetricsF fm(p.font(), p.device());
    const QStringList lines = text.split(QLatin1Char('\n'));
    const double lineHeight = fm.height() * lineSpacing;
    double y = rect.top();
    if (flags & Qt::AlignVCenter)
        y = rect.center().y() - lines.size() * lineHeight / 2;
    else if (flags & Qt::AlignBottom)
        y = rect.bottom() - lines.size() * lineHeight;
    for (const QString& line : lines) {
        const double width = fm.horizontalAdvance(line);
        double x = rect.left();
        if (flags & Qt::AlignRight)
            x = rect.right() - width;
        else if (flags & Qt::AlignHCenter)
            x = rect.center().x() - width / 2;
        const double baseline = y + fm.ascent();
        qsizetype i = 0;
        while (i < line.size()) {
            while (i < line.size() && line[i].isSpace())
                ++i;
            const qsizetype start = i;
            while (i < line.size() && !line[i].isSpace())
                ++i;
            if (i > start)
                p.drawText(QPointF(x + fm.horizontalAdvance(line.left(start)), baseline), line.mid(start, i - start));
        }
        y += lineHeight;
    }
}

} // namespace worktide
