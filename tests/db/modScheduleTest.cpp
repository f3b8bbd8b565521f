#include "db/modSchedule.h"

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

} // namespace
} // namespace worktide
