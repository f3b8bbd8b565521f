#pragma once

#include "ui/team/TeamLayout.h"

#include <QAbstractScrollArea>
#include <QDate>

#include <vector>

// The team view's sheet: people down the left, the month's days across, every entry
// a bar. The people column and the day header stay put while the days scroll.
namespace worktide {

class TeamSheet : public QAbstractScrollArea {
    Q_OBJECT
public:
    explicit TeamSheet(QWidget* parent = nullptr);

    void SetLayout(team::Layout layout, const QDate& today);
    const team::Layout& Layout() const { return m_layout; }
    const team::Geometry& Geometry() const { return m_geometry; }

    int SelectedBar() const { return m_selected; }
    void SelectBar(int bar);
    // Where a bar's middle lies in viewport coordinates, after scrolling it into view.
    QPoint BarPoint(int bar);
    // The bar under a viewport point (-1 for none) and the day there.
    team::Hit HitAt(const QPoint& viewportPoint) const;

signals:
    // Double-click or Enter on a bar; day is the day column it was opened on.
    void EntryActivated(int bar, int day);

protected:
    void paintEvent(QPaintEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseDoubleClickEvent(QMouseEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    bool viewportEvent(QEvent* event) override;
    void changeEvent(QEvent* event) override;

private:
    void UpdateGeometry();
    void UpdateScrollBars();

    team::Layout m_layout;
    team::Geometry m_geometry;
    std::vector<double> m_rowTops{0};
    QDate m_today;
    int m_selected = -1;
    int m_selectedDay = 0;
};

} // namespace worktide
