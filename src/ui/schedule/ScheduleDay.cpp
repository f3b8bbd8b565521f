#include "ui/schedule/ScheduleDay.h"

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

} // namespace worktide
