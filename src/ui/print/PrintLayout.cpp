#include "ui/print/PrintLayout.h"

#include "ui/calendar/CalendarLayout.h"

#include <algorithm>
#include <cmath>
#include <numeric>

using namespace Qt::StringLiterals;

namespace worktide::print {
namespace {
// A Latin cell of the fixed-pitch font as a share of its size (Hangul takes two).
constexpr double kUnitWidth = 0.5;
} // namespace

QString PageLabel(int page, int pageCount) {
    return QString::number(page) + u" / "_s + QString::number(pageCount);
}

QString PageTitle(const QString& what, const QString& owner, const QString& month, const QDate& printed) {
    QStringList parts{what};
    if (!owner.isEmpty())
        parts << owner;
    if (!month.isEmpty())
        parts << month;
    return parts.join(u"  "_s) + u"    출력일: "_s + printed.toString(u"yyyy-MM-dd"_s);
}

int ListRowsPerPage() {
    const double body = kAreaHeight - kTitleHeight - kListHeaderHeight - kFooterHeight;
    return std::max(1, static_cast<int>(std::floor(body / kListRowHeight)));
}

int ListPageCount(int rows) {
    const int perPage = ListRowsPerPage();
    return std::max(1, (rows + perPage - 1) / perPage);
}

std::vector<double> FitWidths(const std::vector<int>& screenWidths, double width) {
    const double total = std::accumulate(screenWidths.begin(), screenWidths.end(), 0.0);
    std::vector<double> out;
    out.reserve(screenWidths.size());
    for (const int w : screenWidths)
        out.push_back(total > 0 ? w * width / total : 0);
    return out;
}

double CalendarFontSize(double columnWidth, double contentHeight, int mostLines) {
    const double units = calendar::kTitleUnits + 4;
    const double byWidth = columnWidth / (units * kUnitWidth) * 0.95;
    const double byHeight = contentHeight / (std::max(1, mostLines) * kCalendarLineSpacing);
    return std::max(4.0, std::min({9.0, byWidth, byHeight}));
}

} // namespace worktide::print
