#include "db/modSchedule.h"

#include "db/Recordset.h"
#include "support/VbError.h"

#include <gtest/gtest.h>

using namespace Qt::StringLiterals;

namespace worktide {
namespace {

TEST(ScheduleStatements, SelectsKeepTheirExactTexts) {
    const QString day =
        u"SELECT * FROM worktide WHERE sdate <= '2026-12-08' AND sdate <> '' AND edate >= '2026-12-08'"_s;
    EXPECT_EQ(MakeScheduleDaySQL(u"2026-12-08"_s, {}), day + u" ORDER BY sdate, seq"_s);
    EXPECT_EQ(MakeScheduleDaySQL(u"2026-12-08"_s, u"O'Neil"_s),
              day + u" AND devname = 'O''Neil' ORDER BY sdate, seq"_s);
    EXPECT_EQ(MakeScheduleBySeqSQL(42), u"SELECT * FROM worktide WHERE seq = 42 ORDER BY sdate, seq"_s);
    EXPECT_EQ(MakeScheduleDeleteSQL(7), u"DELETE FROM worktide WHERE seq = 7"_s);
    EXPECT_EQ(MakeScheduleRangeSQL(u"2026-11-29"_s, u"2027-01-09"_s, u"홍길동"_s, FinishedFilter::Open, u"업무"_s),
              u"SELECT * FROM worktide WHERE sdate <= '2027-01-09' AND sdate <> '' AND edate >= '2026-11-29'"
              " AND devname = '홍길동' AND finished = 0 AND catename = '업무' ORDER BY sdate, seq"_s);
    // An empty category is a real category, not "every category".
    EXPECT_EQ(MakeScheduleRangeSQL(u"a"_s, u"b"_s, u"x"_s, FinishedFilter::All, QString()),
              u"SELECT * FROM worktide WHERE sdate <= 'b' AND sdate <> '' AND edate >= 'a' AND devname = 'x'"
              " AND catename = '' ORDER BY sdate, seq"_s);
    EXPECT_EQ(MakeScheduleListSQL(u"x"_s, u"50%_a\\"_s, FinishedFilter::Done, std::nullopt),
              u"SELECT * FROM worktide WHERE devname = 'x' AND title LIKE '%50\\\\%\\\\_a\\\\\\\\%'"
              " AND finished = 1 ORDER BY if(edate='','9999-99-99',edate), sdate, seq"_s);
    // The fingerprint of a view reads the rows its statement selects: same condition.
    EXPECT_EQ(MakeScheduleRangeSQL(u"a"_s, u"b"_s, u"x"_s, FinishedFilter::Open, std::nullopt),
              u"SELECT * FROM worktide WHERE "_s +
                  MakeScheduleRangeWhere(u"a"_s, u"b"_s, u"x"_s, FinishedFilter::Open, std::nullopt) +
                  u" ORDER BY sdate, seq"_s);
    EXPECT_TRUE(MakeScheduleFingerprintSQL(MakeScheduleListWhere(u"x"_s, u"k"_s, FinishedFilter::All, u"c"_s))
                    .endsWith(u" FROM worktide WHERE devname = 'x' AND title LIKE '%k%' AND catename = 'c'"_s));
    EXPECT_EQ(ToggledFinished(0), 1);
    EXPECT_EQ(ToggledFinished(1), 0);
    EXPECT_EQ(ToggledFinished(2), 0);
}

// A record set shaped as the server returns "SELECT * FROM worktide", columns in the table's order.
Recordset WorktideRows(const QList<QStringList>& rows, const QString& leaveOut = {}) {
    Recordset rs;
    const QStringList columns{u"seq"_s,   u"wdate"_s, u"devname"_s,  u"title"_s,   u"details"_s,
                              u"sdate"_s, u"edate"_s, u"finished"_s, u"catename"_s};
    for (const QString& c : columns)
        if (c != leaveOut)
            rs.AppendField(c, 0);
    rs.Open();
    for (QStringList row : rows) {
        if (!leaveOut.isEmpty())
            row.removeAt(columns.indexOf(leaveOut));
        rs.AddRecord(row);
    }
    return rs;
}

TEST(ScheduleRows, EveryColumnByNameAndAMissingColumnIsTheRecordSetsError) {
    Recordset rs = WorktideRows({{u"7"_s, u"2026-12-01"_s, u"O'Neil"_s, u"제목"_s, u"a\r\nb"_s, u"2026-12-08"_s,
                                  u"2026-12-09"_s, u"1"_s, u"업무"_s},
                                 {u"8"_s, u""_s, u"x"_s, u""_s, u""_s, u""_s, u""_s, u"0"_s, u""_s}});
    const ScheduleRowReader reader(rs);
    const ScheduleRow first = reader.Read(rs);
    EXPECT_EQ(first.seq, u"7"_s);
    EXPECT_EQ(first.Seq(), 7);
    EXPECT_EQ(first.wdate, u"2026-12-01"_s);
    EXPECT_EQ(first.owner, u"O'Neil"_s);
    EXPECT_EQ(first.title, u"제목"_s);
    EXPECT_EQ(first.details, u"a\r\nb"_s);
    EXPECT_EQ(first.sdate, u"2026-12-08"_s);
    EXPECT_EQ(first.edate, u"2026-12-09"_s);
    EXPECT_EQ(first.finished, u"1"_s);
    EXPECT_TRUE(first.IsFinished());
    EXPECT_EQ(first.category, u"업무"_s);
    rs.MoveNext();
    const ScheduleRow second = reader.Read(rs);
    EXPECT_EQ(second.Seq(), 8);
    EXPECT_FALSE(second.IsFinished());
    rs.MoveNext();
    try {
        reader.Read(rs);
        ADD_FAILURE() << "read past the end";
    } catch (const VbError& e) {
        EXPECT_EQ(e.number(), 3021);
    }

    Recordset without = WorktideRows({}, u"catename"_s);
    try {
        ScheduleRowReader missing(without);
        ADD_FAILURE() << "no catename column";
    } catch (const VbError& e) {
        EXPECT_EQ(e.number(), 3265);
        EXPECT_EQ(e.description(),
                  u"Item cannot be found in the collection corresponding to the requested name or ordinal."_s);
    }
}

} // namespace
} // namespace worktide
