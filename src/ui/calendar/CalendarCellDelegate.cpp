#include "ui/calendar/CalendarCellDelegate.h"

#include <QApplication>
#include <QPainter>

namespace worktide {

void CalendarCellDelegate::paint(QPainter* painter, const QStyleOptionViewItem& option,
                                 const QModelIndex& index) const {
    // Model rows are 0-based: odd model rows are the content rows.
    if (index.row() % 2 == 0) {
        QStyledItemDelegate::paint(painter, option, index);
        return;
    }
    QStyleOptionViewItem opt(option);
    initStyleOption(&opt, index);
    // The display text has its line breaks as line separators.
    QString text = opt.text;
    text.replace(QChar::LineSeparator, QLatin1Char('\n'));
    opt.text.clear();
    const QWidget* widget = opt.widget;
    QStyle* style = widget ? widget->style() : QApplication::style();
    style->drawControl(QStyle::CE_ItemViewItem, &opt, painter, widget);
    if (text.isEmpty())
        return;

    painter->save();
    painter->setClipRect(opt.rect);
    painter->setFont(opt.font);
    const bool selected = opt.state & QStyle::State_Selected;
    const QVariant fore = index.data(Qt::ForegroundRole);
    QColor pen = opt.palette.color(selected ? QPalette::HighlightedText : QPalette::Text);
    if (!selected && fore.canConvert<QBrush>() && fore.value<QBrush>().style() != Qt::NoBrush)
        pen = fore.value<QBrush>().color();
    painter->setPen(pen);

    const QFontMetrics fm(opt.font);
    const int unit = qMax(1, fm.horizontalAdvance(QLatin1Char('0')));
    const int lineHeight = fm.lineSpacing() + 1;
    const QRect area = opt.rect.adjusted(3, 1, -1, 0);
    int y = area.top();
    for (const QStringView line : QStringView(text).split(u'\n')) {
        if (y >= area.bottom())
            break;
        int x = area.left();
        for (qsizetype i = 0; i < line.size() && x < area.right(); ++i) {
            qsizetype n = 1;
            if (line[i].isHighSurrogate() && i + 1 < line.size())
                n = 2;
            const int units = line[i].unicode() < 0x80 ? 1 : 2;
            const QString glyph = line.mid(i, n).toString();
            painter->drawText(QRect(x, y, units * unit, lineHeight), Qt::AlignCenter, glyph);
            x += units * unit;
            i += n - 1;
        }
        y += lineHeight;
    }
    painter->restore();
}

} // namespace worktide
