// The demo data answers the program's own queries the way the demo relies on.
#include "common/TestDb.h"
#include "db/modMySQL_Func_lite.h"
#include "support/MsgBox.h"

#include <QDate>

#include <gtest/gtest.h>

using namespace Qt::StringLiterals;

namespace worktide {
namespace {

TEST(DemoDataTest, SignsInListsOwnersAndFillsTheCurrentMonth) {
    ScopedScriptedMessageBoxes boxes;
    test::ScratchDatabase db(u"demo"_s);
    db.loadFile(QStringLiteral(WORKTIDE_DEMO_SQL));
    ASSERT_TRUE(db.connectGlobal());

    RecordsetPtr rs;
    ASSERT_EQ(
        OpenRecordset(rs, u"SELECT name, level FROM user WHERE id = 'demo' AND password2 = SHA1('demo1234pass')"_s), 1);
    const QString demoName = rs->Value(u"name"_s);
    EXPECT_EQ(OpenRecordset(rs, u"SELECT name FROM user WHERE id = 'demo' AND password2 = SHA1('demo1234')"_s), 0);

    QStringList owners;
    OpenRecordset(rs, u"SELECT name FROM user WHERE hidden=0 AND groupcode=1 UNION ALL SELECT '대구개발' "
                      u"UNION ALL SELECT '대구상담' ORDER BY name"_s);
    for (; rs && !rs->isEOF(); rs->MoveNext())
        owners << rs->Value(0);
    EXPECT_TRUE(owners.contains(u"서도윤"_s) && owners.contains(u"최민결"_s) && owners.contains(demoName));
    EXPECT_EQ(GetRowCount(u"user"_s, u"hidden <> 0"_s), 1);
    for (const QString& hiddenName : std::as_const(owners))
        EXPECT_EQ(GetRowCount(u"user"_s, u"hidden <> 0 AND name = '"_s + hiddenName + u"'"_s), 0);

    // The month selection of the calendar for the demo user, this month.
    const QDate today = QDate::currentDate();
    const QString first = QDate(today.year(), today.month(), 1).toString(u"yyyy-MM-dd"_s);
    const QString last = QDate(today.year(), today.month(), today.daysInMonth()).toString(u"yyyy-MM-dd"_s);
    const QString month = u"SELECT * FROM worktide WHERE sdate <= '"_s + last + u"' AND sdate <> '' AND edate >= '"_s +
                          first + u"' AND devname = '"_s + demoName + u"'"_s;
    const qint32 inMonth = OpenRecordset(rs, month + u" ORDER BY sdate, seq"_s);
    EXPECT_GE(inMonth, 6);
    EXPECT_EQ(
        GetRowCount(u"worktide"_s, u"devname = '"_s + demoName + u"' AND sdate <> '' AND sdate < '"_s + first + u"'"_s),
        1);
    EXPECT_EQ(GetRowCount(u"worktide"_s, u"devname = '"_s + demoName + u"' AND edate > '"_s + last + u"'"_s), 1);
    EXPECT_EQ(GetRowCount(u"worktide"_s, u"devname = '"_s + demoName + u"' AND sdate = ''"_s), 1);
    EXPECT_GE(GetRowCount(u"worktide"_s, u"finished = 1 AND devname = '"_s + demoName + u"'"_s), 1);
    EXPECT_EQ(GetRowCount(u"worktide"_s, u"title LIKE '똠%'"_s), 1);
    EXPECT_GE(GetRowCount(u"worktide_cate"_s, u"devname = '*'"_s), 3);
    EXPECT_EQ(GetRowCount(u"user_mac"_s, {}), 0);
    CloseRecordset(rs);
    DBClose();
    EXPECT_TRUE(boxes.shown().isEmpty()) << boxes.texts().join(u'|').toStdString();
}

} // namespace
} // namespace worktide
