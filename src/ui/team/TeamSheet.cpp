#include "ui/team/TeamSheet.h"

#include "ui/grid/Fonts.h"
#include "ui/team/TeamPainter.h"

#include <QHelpEvent>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QPainter>
#include <QScrollBar>
#include <QToolTip>

#include <cmath>

namespace worktide {

TeamSheet::TeamSheet(QWidget* parent) : QAbstractScrollArea(parent) {
    setFont(FixedPitchKoreanFont(9));
    setFocusPolicy(Qt::StrongFocus);
    viewport()->setMouseTracking(true);
    viewport()->setBackgroundRole(QPalette::Base);
    UpdateGeometry();
}

void TeamSheet::UpdateGeometry() {
    const QFontMetricsF fm(font());
    // A fixed-pitch font: one CP949 unit is one Latin character wide.
    const double unit = fm.horizontalAdvance(QLatin1Char('0'));
    m_geometry.dayWidth = std::ceil(unit * team::kDayUnits + 6);
    m_geometry.lineHeight = std::ceil(fm.height() + 4);
    m_geometry.headerHeight = std::ceil(2 * fm.height() + 6);
    m_geometry.nameWidth = std::ceil(unit * 14 + 8);
    m_geometry.rowPadding = 3;
    m_rowTops = team::RowTops(m_layout, m_geometry);
    UpdateScrollBars();
}

void TeamSheet::changeEvent(QEvent* event) {
    if (event->type() == QEvent::FontChange)
        UpdateGeometry();
    QAbstractScrollArea::changeEvent(event);
}

void TeamSheet::SetLayout(team::Layout layout, const QDate& today) {
    m_layout = std::move(layout);
    m_today = today;
    m_selected = m_layout.bars.empty() ? -1 : 0;
    m_selectedDay = m_selected >= 0 ? m_layout.bars.front().firstDay : 0;
    m_rowTops = team::RowTops(m_layout, m_geometry);
    UpdateScrollBars();
    viewport()->update();
}

void TeamSheet::SelectBar(int bar) {
    if (bar < -1 || bar >= static_cast<int>(m_layout.bars.size()))
        return;
    m_selected = bar;
    if (bar >= 0)
        m_selectedDay = m_layout.bars[static_cast<std::size_t>(bar)].firstDay;
    viewport()->update();
}

void TeamSheet::UpdateScrollBars() {
    const QSize view = viewport()->size();
    const int width = static_cast<int>(std::ceil(m_geometry.nameWidth + m_layout.dayCount * m_geometry.dayWidth));
    const int height = static_cast<int>(std::ceil(m_geometry.headerHeight + m_rowTops.back()));
    horizontalScrollBar()->setRange(0, qMax(0, width - view.width()));
    horizontalScrollBar()->setPageStep(view.width());
    horizontalScrollBar()->setSingleStep(static_cast<int>(m_geometry.dayWidth));
    verticalScrollBar()->setRange(0, qMax(0, height - view.height()));
    verticalScrollBar()->setPageStep(view.height());
    verticalScrollBar()->setSingleStep(static_cast<int>(m_geometry.lineHeight));
}

void TeamSheet::resizeEvent(QResizeEvent* event) {
    QAbstractScrollArea::resizeEvent(event);
    UpdateScrollBars();
}

team::Hit TeamSheet::HitAt(const QPoint& viewportPoint) const {
    const double x = viewportPoint.x() - m_geometry.nameWidth + horizontalScrollBar()->value();
    const double y = viewportPoint.y() - m_geometry.headerHeight + verticalScrollBar()->value();
    if (viewportPoint.x() < m_geometry.nameWidth || viewportPoint.y() < m_geometry.headerHeight)
        return {};
    return team::HitTest(m_layout, m_geometry, m_rowTops, x, y);
}

QPoint TeamSheet::BarPoint(int bar) {
    if (bar < 0 || bar >= static_cast<int>(m_layout.bars.size()))
        return {};
    const team::Bar& b = m_layout.bars[static_cast<std::size_t>(bar)];
    // The first day of the bar, so that a long bar's point is reachable too.
    const double x = (b.firstDay + 0.5) * m_geometry.dayWidth;
    const double y =
        m_rowTops[static_cast<std::size_t>(b.person)] + m_geometry.rowPadding + (b.line + 0.5) * m_geometry.lineHeight;
    const QSize view = viewport()->size();
    const double bodyWidth = view.width() - m_geometry.nameWidth;
    const double bodyHeight = view.height() - m_geometry.headerHeight;
    QScrollBar* h = horizontalScrollBar();
    QScrollBar* v = verticalScrollBar();
    if (x < h->value() || x > h->value() + bodyWidth - m_geometry.dayWidth / 2)
        h->setValue(static_cast<int>(x - m_geometry.dayWidth));
    if (y < v->value() || y > v->value() + bodyHeight - m_geometry.lineHeight / 2)
        v->setValue(static_cast<int>(y - m_geometry.lineHeight));
    return QPoint(static_cast<int>(x + m_geometry.nameWidth - h->value()),
                  static_cast<int>(y + m_geometry.headerHeight - v->value()));
}

void TeamSheet::paintEvent(QPaintEvent*) {
    QPainter p(viewport());
    const QSize view = viewport()->size();
    const double sx = horizontalScrollBar()->value();
    const double sy = verticalScrollBar()->value();
    const auto& g = m_geometry;
    const int people = static_cast<int>(m_layout.people.size());

    // Only the rows in sight are drawn.
    int begin = 0;
    while (begin < people && m_rowTops[static_cast<std::size_t>(begin) + 1] <= sy)
        ++begin;
    int end = begin;
    while (end < people && m_rowTops[static_cast<std::size_t>(end)] < sy + view.height())
        ++end;
    const double rowShift = end > begin ? m_rowTops[static_cast<std::size_t>(begin)] - sy : 0;

    p.save();
    p.setClipRect(QRectF(g.nameWidth, g.headerHeight, view.width(), view.height()));
    p.translate(g.nameWidth - sx, g.headerHeight + rowShift);
    if (end > begin)
        team::PaintBody(p, m_layout, g, m_rowTops, begin, end, m_today, font(), m_selected);
    p.restore();

    p.save();
    p.setClipRect(QRectF(g.nameWidth, 0, view.width(), g.headerHeight));
    p.translate(g.nameWidth - sx, 0);
    team::PaintDayHeader(p, m_layout, g, m_today, font());
    p.restore();

    p.save();
    p.setClipRect(QRectF(0, g.headerHeight, g.nameWidth, view.height()));
    p.translate(0, g.headerHeight + rowShift);
    if (end > begin)
        team::PaintNames(p, m_layout, g, m_rowTops, begin, end, font());
    p.restore();

    p.fillRect(QRectF(0, 0, g.nameWidth, g.headerHeight), QColor(240, 240, 240));
    p.setPen(QColor(160, 160, 160));
    p.drawLine(QPointF(0, g.headerHeight - 0.5), QPointF(g.nameWidth, g.headerHeight - 0.5));
    p.drawLine(QPointF(g.nameWidth - 0.5, 0), QPointF(g.nameWidth - 0.5, g.headerHeight));
    p.setPen(Qt::black);
    p.drawText(QRectF(0, 0, g.nameWidth, g.headerHeight), Qt::AlignCenter, QStringLiteral("이름"));
}

void TeamSheet::mousePressEvent(QMouseEvent* event) {
    const team::Hit hit = HitAt(event->position().toPoint());
    if (hit.bar >= 0) {
        m_selected = hit.bar;
        m_selectedDay = hit.day;
        viewport()->update();
    }
    QAbstractScrollArea::mousePressEvent(event);
}

void TeamSheet::mouseDoubleClickEvent(QMouseEvent* event) {
    const team::Hit hit = HitAt(event->position().toPoint());
    if (hit.bar >= 0) {
        m_selected = hit.bar;
        m_selectedDay = hit.day;
        viewport()->update();
        emit EntryActivated(hit.bar, hit.day);
        return;
    }
    QAbstractScrollArea::mouseDoubleClickEvent(event);
}

void TeamSheet::keyPressEvent(QKeyEvent* event) {
    const int count = static_cast<int>(m_layout.bars.size());
    switch (event->key()) {
    case Qt::Key_Return:
    case Qt::Key_Enter:
        if (m_selected >= 0)
            emit EntryActivated(m_selected, m_selectedDay);
        return;
    case Qt::Key_Left:
    case Qt::Key_Right:
        // Along the bars row by row, left to right.
        if (count > 0) {
            const int next = m_selected + (event->key() == Qt::Key_Left ? -1 : 1);
            SelectBar(qBound(0, next, count - 1));
            BarPoint(m_selected);
        }
        return;
    case Qt::Key_Up:
    case Qt::Key_Down:
        if (m_selected >= 0) {
            const int day = m_selectedDay;
            SelectBar(team::VerticalNeighbour(m_layout, m_selected, day, event->key() == Qt::Key_Up ? -1 : 1));
            BarPoint(m_selected);
        }
        return;
    default:
        QAbstractScrollArea::keyPressEvent(event);
    }
}

bool TeamSheet::viewportEvent(QEvent* event) {
    if (event->type() == QEvent::ToolTip) {
        auto* help = static_cast<QHelpEvent*>(event);
        const team::Hit hit = HitAt(help->pos());
        if (hit.bar >= 0) {
            const team::Bar& bar = m_layout.bars[static_cast<std::size_t>(hit.bar)];
            QToolTip::showText(help->globalPos(),
                               team::ToolTipText(m_layout.entries[static_cast<std::size_t>(bar.entry)]), viewport());
        } else {
            QToolTip::hideText();
            event->ignore();
        }
        return true;
    }
    return QAbstractScrollArea::viewportEvent(event);
}

} // namespace worktide
