#include "ui/schedule/ScheduleDay.h"

#include "db/Recordset.h"
#include "db/modSchedule.h"
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
    using namespace entry_list;
    list->setFont(FixedPitchKoreanFont(10));
    list->SetMaxCols(kColumns);
    const QString headers[] = {u"완료"_s, u"구분"_s, u"제목"_s, u"작업시작"_s, u"완료예정"_s, u"seq"_s, u"내용"_s};
    const int widths[] = {40, 90, 260, 90, 90, 50, 200};
    for (int c = 1; c <= kColumns; ++c) {
        list->SetText(c, 0, headers[c - 1]);
        list->SetColWidth(c, widths[c - 1]);
    }
    list->SetRowSelect(QColor(253, 226, 142));
}

int FillEntryList(SpreadGrid* list, Recordset& rs) {
    using namespace entry_list;
    const ScheduleRowReader reader(rs);
    int row = 0;
    while (!rs.isEOF()) {
        ++row;
        if (row > list->MaxRows())
            list->SetMaxRows(row);
        const ScheduleRow entry = reader.Read(rs);
        list->SetText(kFinished, row, entry.finished);
        list->SetText(kCategory, row, entry.category);
        list->SetText(kTitle, row, entry.title);
        list->SetText(kDetails, row, entry.details);
        list->SetText(kSdate, row, entry.sdate);
        list->SetText(kEdate, row, entry.edate);
        list->SetText(kSeq, row, entry.seq);
        rs.MoveNext();
    }
    return row;
}

} // namespace worktide
