#pragma once

#include <QStyledItemDelegate>

// Paints the entry lines of the calendar's content rows on a grid of byte units:
// every character takes as many unit columns as its CP949 form has bytes (ASCII 1,
// Hangul and the markers 2), so bars line up across days whatever widths the font
// gives the markers. Lines start at the top so line k is at the same height in
// every cell. Date rows are painted as usual.
namespace worktide {

class CalendarCellDelegate : public QStyledItemDelegate {
    Q_OBJECT
public:
    using QStyledItemDelegate::QStyledItemDelegate;

    void paint(QPainter* painter, const QStyleOptionViewItem& option, const QModelIndex& index) const override;
};

} // namespace worktide
