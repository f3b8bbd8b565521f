// Change detection over a shown range and the day's agenda counts: edits made between two
// reads (added, changed in place, toggled, deleted, outside the range) and a pinned today.
#include "common/TestDb.h"
#include "db/modMySQL_Func_lite.h"
#include "db/modSchedule.h"
#include "support/MsgBox.h"

#include <gtest/gtest.h>

using namespace Qt::StringLiterals;

namespace worktide {
namespace {

class LiveDataTest : public ::testing::Test {
protected:
    LiveDataTest() : db(u"livedata"_s) {}
    ~LiveDataTest() override { DBClose(); }
    static qint32 Insert(const QString& title, const QString& s, const QString& e, int finished = 0) {
        const qint32 n =
            ExecuteSQL(u"INSERT INTO worktide (devname, title, details, sdate, edate, finished) VALUES "
                       u"('서도윤', '"_s +
                       title + u"', NULL, '"_s + s + u"', '"_s + e + u"', "_s + QString::number(finished) + u")"_s);
        return n == 1 ? GetLastInsertId() : -1;
    }

    ScopedScriptedMessageBoxes boxes;
    test::ScratchDatabase db;
};

TEST_F(LiveDataTest, FingerprintCatchesAddEditKeepingCountAndSeqAndDelete) {
    ASSERT_TRUE(db.connectGlobal());
    const QString month = u"devname = '서도윤' AND sdate >= '2026-12-01' AND sdate <= '2026-12-31'"_s;
    const qint32 a = Insert(u"회의"_s, u"2026-12-03"_s, u"2026-12-04"_s);
    Insert(u"출장"_s, u"2026-12-10"_s, u"2026-12-10"_s);
    const RangeFingerprint before = ReadScheduleFingerprint(month);
    ASSERT_TRUE(before.ok);
    EXPECT_EQ(before.count, 2);
    EXPECT_EQ(ReadScheduleFingerprint(month), before); // nothing changed: same answer

    // The same row edited: count and highest seq stay, the checksum moves.
    ASSERT_EQ(ExecuteSQL(u"UPDATE worktide SET title = '회의 변경' WHERE seq = "_s + QString::number(a)), 1);
    const RangeFingerprint edited = ReadScheduleFingerprint(month);
    EXPECT_EQ(edited.count, before.count);
    EXPECT_EQ(edited.maxSeq, before.maxSeq);
    EXPECT_NE(edited.checksum, before.checksum);

    // Text moved between columns, finished flipped, an entry outside the range added.
    ASSERT_EQ(ExecuteSQL(u"UPDATE worktide SET finished = 1 WHERE seq = "_s + QString::number(a)), 1);
    const RangeFingerprint toggled = ReadScheduleFingerprint(month);
    EXPECT_NE(toggled, edited);
    Insert(u"다음 달"_s, u"2027-01-05"_s, u"2027-01-05"_s);
    EXPECT_EQ(ReadScheduleFingerprint(month), toggled);

    ASSERT_EQ(ExecuteSQL(u"DELETE FROM worktide WHERE seq = "_s + QString::number(a)), 1);
    const RangeFingerprint deleted = ReadScheduleFingerprint(month);
    EXPECT_EQ(deleted.count, 1);
    EXPECT_TRUE(boxes.shown().isEmpty());

    // The month condition of the calendar itself; a failing read says nothing and is not ok.
    const QString calendar =
        MakeScheduleRangeWhere(u"2026-11-29"_s, u"2027-01-09"_s, u"서도윤"_s, FinishedFilter::All, std::nullopt);
    EXPECT_EQ(ReadScheduleFingerprint(calendar).count, 2);
    EXPECT_FALSE(ReadScheduleFingerprint(u"no_such_column = 1"_s).ok);
    EXPECT_TRUE(boxes.shown().isEmpty());
}

// Edits that leave count and highest seq alone and change two rows of the same shape
// alike: a checksum that is linear in the row text (an XOR of CRC32s) is blind to all of
// them, since the two changes cancel. Each starts from the same two rows.
TEST_F(LiveDataTest, FingerprintSeesTwoRowsChangedAlike) {
    ASSERT_TRUE(db.connectGlobal());
    const QString all = u"devname = '서도윤'"_s;
    const struct {
        const char* what;
        const char* edit; // %1, %2: the two seqs
    } cases[] = {
        {"two entries marked finished", "UPDATE worktide SET finished = 1 WHERE seq IN (%1, %2)"},
        {"two titles swapped", "UPDATE worktide SET title = IF(seq = %1, '출장B', '출장A') WHERE seq IN (%1, %2)"},
        {"two due dates moved alike", "UPDATE worktide SET edate = '2026-12-19' WHERE seq IN (%1, %2)"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        ASSERT_GE(ExecuteSQL(u"DELETE FROM worktide"_s), 0);
        // Same lengths everywhere, seqs of the same number of digits.
        const qint32 a = 101, b = 102;
        ASSERT_EQ(ExecuteSQL(u"INSERT INTO worktide (seq, wdate, devname, title, details, sdate, edate, finished) "
                             u"VALUES (101, '2026-12-01', '서도윤', '출장A', NULL, '2026-12-10', '2026-12-18', 0), "
                             u"(102, '2026-12-01', '서도윤', '출장B', NULL, '2026-12-11', '2026-12-18', 0)"_s),
                  2);
        const RangeFingerprint before = ReadScheduleFingerprint(all);
        ASSERT_TRUE(before.ok);
        ASSERT_EQ(ExecuteSQL(QString::fromUtf8(c.edit).arg(a).arg(b)), 2);
        const RangeFingerprint after = ReadScheduleFingerprint(all);
        ASSERT_TRUE(after.ok);
        EXPECT_EQ(after.count, before.count);
        EXPECT_EQ(after.maxSeq, before.maxSeq);
        EXPECT_NE(after.checksum, before.checksum);
        // Changed back: the same answer as before, whatever the order of the rows.
        ASSERT_EQ(ExecuteSQL(u"UPDATE worktide SET title = IF(seq = %1, '출장A', '출장B'), finished = 0, "
                             u"edate = '2026-12-18' WHERE seq IN (%1, %2)"_s.arg(a)
                                 .arg(b)),
                  2);
        EXPECT_EQ(ReadScheduleFingerprint(all), before);
    }
    EXPECT_TRUE(boxes.shown().isEmpty());
}

TEST_F(LiveDataTest, AgendaCountsForPinnedToday) {
    ASSERT_TRUE(db.connectGlobal());
    Insert(u"오늘 걸침"_s, u"2026-12-07"_s, u"2026-12-09"_s);
    Insert(u"오늘 하루"_s, u"2026-12-08"_s, u"2026-12-08"_s);
    Insert(u"오늘 끝냄"_s, u"2026-12-08"_s, u"2026-12-08"_s, 1); // finished: the click would not show it
    Insert(u"지난 미완료"_s, u"2026-12-01"_s, u"2026-12-07"_s);
    Insert(u"지난 완료"_s, u"2026-12-01"_s, u"2026-12-07"_s, 1);
    Insert(u"날짜 없음"_s, u""_s, u""_s);
    ASSERT_EQ(ExecuteSQL(u"INSERT INTO worktide (devname, title, sdate, edate) VALUES "
                         u"('최민결', '남의 일정', '2026-12-08', '2026-12-08')"_s),
              1);
    const AgendaCounts c = ReadAgendaCounts(u"서도윤"_s, QDate(2026, 12, 8));
    ASSERT_TRUE(c.ok);
    EXPECT_EQ(c.today, 2);
    EXPECT_EQ(c.overdue, 1);
    EXPECT_EQ(AgendaText(c), u"오늘 일정 2건, 기한 지난 일정 1건"_s);
    EXPECT_EQ(ReadAgendaCounts(u"서도윤"_s, QDate(2026, 12, 10)).overdue, 3);
}

} // namespace
} // namespace worktide
