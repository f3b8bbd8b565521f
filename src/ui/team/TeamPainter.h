#pragma once

#include "ui/team/TeamLayout.h"

#include <QDate>
#include <vector>

class QFont;
class QPainter;

// Draws the parts of the team view in sheet coordinates; the scrolling sheet and the
// printed pages call the same code, each with its own geometry and font.
namespace worktide::team {

// The two-line day header, day columns from x = 0, y = 0 .. headerHeight.
void PaintDayHeader(QPainter& p, const Layout& layout, const Geometry& g, const QDate& today, const QFont& font);

// The people column for rows [begin, end); row begin starts at y = 0.
void PaintNames(QPainter& p, const Layout& layout, const Geometry& g, const std::vector<double>& rowTops, int begin,
                int end, const QFont& font);

// Day columns and bars of rows [begin, end); day columns from x = 0, row begin at y = 0.
// selectedBar (-1 for none) gets a strong frame.
void PaintBody(QPainter& p, const Layout& layout, const Geometry& g, const std::vector<double>& rowTops, int begin,
               int end, const QDate& today, const QFont& font, int selectedBar = -1);

} // namespace worktide::team
