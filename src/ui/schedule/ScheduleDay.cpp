#include "ui/schedule/ScheduleDay.h"

#include "db/Recordset.h"
#include "ui/grid/Fonts.h"
#include "ui/grid/SpreadGrid.h"

#include <QLocale>

using namespace Qt::StringLiterals;

namespace worktide {

QDate ParseWorkDate(const QString& text) {
    const QString t = text.trimmed();
    QDate d = QDate::fromString(t, u"yyyy-MM-dd"_s);
    if (!d.isValid())
        d = QDate::fromString(t, Qt::ISODate);
    if (!d.isValid())
        d = QLocale::system().toDate(t, QLocale::ShortFormat);
    return d;
}

QString DayCaption(const QString& base, const QString& wDate) {
    const QDate d = ParseWorkDate(wDate);
    const QString weekday = d.isValid() ? QLocale(QLocale::Korean).toString(d, u"ddd"_s) : QString();
    return base + u" ( "_s + wDate + u" "_s + weekday + u" )"_s;
}

void SetupEntryList(SpreadGrid* list) {
    list->setFont(FixedPitchKoreanFont(10));
    list->SetMaxCols(7);
    const QString headers[] = {u"완료"_s, u"구분"_s, u"제목"_s, u"작업시작"_s, u"완료예정"_s, u"seq"_s, u"내용"_s};
    const int widths[] = {40, 90, 260, 90, 90, 50, 200};
    for (int c = 1; c <= 7; ++c) {
        list->SetText(c, 0, headers[c - 1]);
        list->SetColWidth(c, widths[c - 1]);
    }
    list->SetRowSelect(QColor(253, 226, 142));
}

int FillEntryList(SpreadGrid* list, Recordset& rs) {
    using namespace Qt::StringLiterals;
    int row = 0;
    while (!rs.isEOF()) {
        ++row;
        if (row > list->MaxRows())
            list->SetMaxRows(row);
        list->SetText(1, row, rs.Value(u"finished"_s));
        list->SetText(2, row, rs.Value(u"catename"_s));
        list->SetText(3, row, rs.Value(u"title"_s));
        list->SetText(7, row, rs.Value(u"details"_s));
        list->SetText(4, row, rs.Value(u"sdate"_s));
        list->SetText(5, row, rs.Value(u"edate"_s));
        list->SetText(6, row, rs.Value(u"seq"_s));
        rs.MoveNext();
    }
    return row;
}

} // namespace worktide
