// The widget-free rules of the team view and of the printed pages: bars, stacked
// lines, bar texts, hit testing, page breaks, the month statement.
#include "db/modSchedule.h"
#include "ui/print/PrintLayout.h"
#include "ui/team/TeamLayout.h"

#include <gtest/gtest.h>

using namespace worktide;
using namespace worktide::team;
using namespace Qt::StringLiterals;

namespace {
Entry E(const QString& owner, const QString& sdate, const QString& edate, const QString& title = u"t"_s,
        bool finished = false) {
    static int seq = 0;
    return Entry{++seq, owner, title, sdate, edate, u"개발"_s, QString(), finished};
}

const Bar* BarOf(const Layout& layout, int entry) {
    for (const Bar& bar : layout.bars)
        if (bar.entry == entry)
            return &bar;
    return nullptr;
}
} // namespace

TEST(TeamLayout, MonthKeyAndBounds) {
    EXPECT_EQ(MonthOfKey(u"200902"_s), QDate(2009, 2, 1));
    EXPECT_FALSE(MonthOfKey(u"2009-2"_s).isValid());
    EXPECT_FALSE(MonthOfKey(u"200913"_s).isValid());
    EXPECT_EQ(FirstDayText(QDate(2008, 2, 1)), u"2008-02-01"_s);
    EXPECT_EQ(LastDayText(QDate(2008, 2, 1)), u"2008-02-29"_s);
    EXPECT_EQ(LastDayText(QDate(2009, 12, 1)), u"2009-12-31"_s);
}

TEST(TeamLayout, BarsSitInTheirOwnersRowAndDays) {
    const QStringList people{u"가"_s, u"O'Brien"_s, u"다"_s};
    // Entry order is the query's: sdate, seq.
    const Layout l = LayOut(people,
                            {E(u"다"_s, u"2008-12-20"_s, u"2009-02-03"_s),       // 0 spans the whole month
                             E(u"가"_s, u"2009-01-05"_s, u"2009-01-05"_s),       // 1 one day
                             E(u"O'Brien"_s, u"2009-01-05"_s, u"2009-01-09"_s),  // 2 five days
                             E(u"가"_s, u"2009-01-05"_s, u"2009-01-06"_s),       // 3 overlaps 1: line 1
                             E(u"가"_s, u"2009-01-06"_s, u"2009-01-07"_s),       // 4 overlaps 3, line 0 free again
                             E(u"가"_s, u"2009-01-06"_s, u"2009-01-06"_s),       // 5 overlaps 3 and 4: line 2
                             E(u"숨은사람"_s, u"2009-01-06"_s, u"2009-01-06"_s), // 6 no row
                             E(u"가"_s, u"2009-01-30"_s, u"2009-02-02"_s),       // 7 runs past the month's end
                             E(u"다"_s, u"2009-01-1x"_s, u"2009-01-20"_s)},      // 8 not a date
                            QDate(2009, 1, 1));
    EXPECT_EQ(l.dayCount, 31);
    EXPECT_EQ(l.unlisted, 1);
    EXPECT_EQ(l.undatable, 1);
    ASSERT_EQ(l.bars.size(), 7u);
    struct Want {
        int entry, person, line, firstDay, days;
        bool clippedStart, clippedEnd;
    };
    for (const Want& w :
         {Want{0, 2, 0, 0, 31, true, true}, Want{1, 0, 0, 4, 1, false, false}, Want{2, 1, 0, 4, 5, false, false},
          Want{3, 0, 1, 4, 2, false, false}, Want{4, 0, 0, 5, 2, false, false}, Want{5, 0, 2, 5, 1, false, false},
          Want{7, 0, 0, 29, 2, false, true}}) {
        const Bar* b = BarOf(l, w.entry);
        ASSERT_NE(b, nullptr) << w.entry;
        EXPECT_EQ(b->person, w.person) << w.entry;
        EXPECT_EQ(b->line, w.line) << w.entry;
        EXPECT_EQ(b->firstDay, w.firstDay) << w.entry;
        EXPECT_EQ(b->days, w.days) << w.entry;
        EXPECT_EQ(b->clippedStart, w.clippedStart) << w.entry;
        EXPECT_EQ(b->clippedEnd, w.clippedEnd) << w.entry;
    }
    EXPECT_EQ(l.lineCount, (std::vector<int>{3, 1, 1}));
    // Bars go row by row, left to right.
    for (std::size_t i = 1; i < l.bars.size(); ++i)
        EXPECT_LE(std::tie(l.bars[i - 1].person, l.bars[i - 1].firstDay),
                  std::tie(l.bars[i].person, l.bars[i].firstDay));
    // No two bars of one line of one person share a day.
    for (const Bar& a : l.bars)
        for (const Bar& b : l.bars)
            if (&a != &b && a.person == b.person && a.line == b.line) {
                EXPECT_TRUE(a.firstDay + a.days <= b.firstDay || b.firstDay + b.days <= a.firstDay);
            }
}

TEST(TeamLayout, BarTextMarkersAndByteWidthCut) {
    struct Case {
        const char16_t* title;
        bool finished, clippedStart, clippedEnd;
        int days;
        const char16_t *start, *shown, *end;
    };
    // 6 units a day, less 2 + 2 for the end pieces (markers are two bytes in CP949).
    for (const Case& c : {
             Case{u"ab", false, false, false, 1, u"◀", u"ab", u"▶"},
             // A one-day bar too short for title and markers drops the markers: 6 bytes of title.
             Case{u"abcdefgh", false, false, false, 1, u"", u"abcdef", u""},
             Case{u"주간회의", true, false, false, 1, u"", u"주간회", u""},
             Case{u"a주간회의", false, false, false, 1, u"", u"a주간 ", u""}, // split syllable: dropped, blank
             // ... but a day cut off by the month's edge keeps its ".." and is cut beside it.
             Case{u"abc", false, true, false, 1, u"..", u"ab", u"▶"},
             Case{u"주간업무회의", false, true, false, 2, u"..", u"주간업무", u"▶"}, // 12 - 4 = 8 units
             Case{u"주간업무회의", true, false, true, 3, u"◁", u"주간업무회의", u".."},
         }) {
        const Bar bar{0, 0, 0, 0, c.days, c.clippedStart, c.clippedEnd};
        const Entry entry{1, u"x"_s, QString::fromUtf16(c.title), {}, {}, {}, {}, c.finished};
        const BarText t = MakeBarText(bar, entry, c.days * kDayUnits);
        EXPECT_EQ(t.start, QString::fromUtf16(c.start)) << QString::fromUtf16(c.title).toStdString();
        EXPECT_EQ(t.title, QString::fromUtf16(c.shown)) << QString::fromUtf16(c.title).toStdString();
        EXPECT_EQ(t.end, QString::fromUtf16(c.end)) << QString::fromUtf16(c.title).toStdString();
    }
}

TEST(TeamLayout, ToolTipWeekdaysAndRights) {
    const Entry e{7, u"가"_s, u"회의"_s, u"2009-01-05"_s, u"2009-01-06"_s, u"영업"_s, u"준비\r\n자료"_s, false};
    EXPECT_EQ(ToolTipText(e), u"회의\n2009-01-05 ~ 2009-01-06\n영업\n\n준비\n자료"_s);
    EXPECT_EQ(WeekdayText(QDate(2009, 1, 4)), u"일"_s);
    EXPECT_EQ(WeekdayText(QDate(2009, 1, 10)), u"토"_s);
    EXPECT_EQ(KindOfDay(QDate(2009, 1, 4)), DayKind::Sunday);
    EXPECT_EQ(KindOfDay(QDate(2009, 1, 10)), DayKind::Saturday);
    EXPECT_EQ(KindOfDay(QDate(2009, 1, 5)), DayKind::Weekday);
    EXPECT_TRUE(OpensInEditor(u"김하늘"_s, u"김하늘"_s));
    EXPECT_FALSE(OpensInEditor(u"박서준"_s, u"김하늘"_s));
    EXPECT_TRUE(OpensInEditor(u"박서준"_s, u"서도윤"_s));
    EXPECT_TRUE(OpensInEditor(u"박서준"_s, u"최민결"_s));
}

TEST(TeamLayout, HitTestFindsTheBarUnderAPoint) {
    const Layout l = LayOut({u"가"_s, u"나"_s},
                            {E(u"가"_s, u"2009-01-02"_s, u"2009-01-04"_s), E(u"가"_s, u"2009-01-03"_s, u"2009-01-03"_s),
                             E(u"나"_s, u"2009-01-10"_s, u"2009-01-10"_s)},
                            QDate(2009, 1, 1));
    Geometry g;
    g.dayWidth = 40;
    g.lineHeight = 20;
    g.rowPadding = 5;
    const std::vector<double> tops = RowTops(l, g);
    EXPECT_EQ(tops, (std::vector<double>{0, 50, 80}));
    struct Case {
        double x, y;
        int person, day, entry;
    };
    for (const Case& c : {Case{45, 10, 0, 1, 0}, Case{95, 10, 0, 2, 0}, Case{95, 30, 0, 2, 1}, Case{45, 30, 0, 1, -1},
                          Case{365, 60, 1, 9, 2}, Case{365, 52, 1, 9, -1}, Case{5, 10, 0, 0, -1},
                          Case{1250, 10, -1, -1, -1}, Case{45, 85, -1, -1, -1}}) {
        const Hit hit = HitTest(l, g, tops, c.x, c.y);
        EXPECT_EQ(hit.person, c.person) << c.x << "," << c.y;
        EXPECT_EQ(hit.day, c.day) << c.x << "," << c.y;
        EXPECT_EQ(hit.bar >= 0 ? l.bars[static_cast<std::size_t>(hit.bar)].entry : -1, c.entry) << c.x << "," << c.y;
    }
}

TEST(TeamLayout, PageBreaksKeepEveryPageWithinItsHeight) {
    struct Case {
        std::vector<double> heights;
        double page;
        std::vector<int> breaks;
    };
    for (const Case& c : {Case{{}, 100, {0}}, Case{{30, 30, 30}, 100, {0, 3}}, Case{{30, 30, 30, 30}, 100, {0, 3, 4}},
                          Case{{50, 50, 50}, 100, {0, 2, 3}}, Case{{150, 20, 80}, 100, {0, 1, 3}},
                          Case{{150, 20, 90}, 100, {0, 1, 2, 3}}})
        EXPECT_EQ(PageBreaks(c.heights, c.page), c.breaks);
}

TEST(PrintLayout, ListPagesLabelsAndWidths) {
    EXPECT_EQ(print::ListRowsPerPage(), 34);
    for (const auto& [rows, pages] : std::vector<std::pair<int, int>>{{0, 1}, {1, 1}, {34, 1}, {35, 2}, {200, 6}})
        EXPECT_EQ(print::ListPageCount(rows), pages) << rows;
    EXPECT_EQ(print::PageLabel(2, 6), u"2 / 6"_s);
    EXPECT_EQ(print::PageTitle(u"월간 일정"_s, u"O'Brien"_s, u"2009년 01월"_s, QDate(2009, 1, 14)),
              u"월간 일정  O'Brien  2009년 01월    출력일: 2009-01-14"_s);
    EXPECT_EQ(print::FitWidths({40, 80, 80}, 100), (std::vector<double>{20, 40, 40}));
    // Width decides for a few lines, height once a day holds many, never below 4 points.
    EXPECT_NEAR(print::CalendarFontSize(112, 70, 3), 8.87, 0.01);
    EXPECT_NEAR(print::CalendarFontSize(112, 70, 10), 70 / 12.0, 0.01);
    EXPECT_EQ(print::CalendarFontSize(112, 70, 40), 4.0);
}

TEST(ScheduleRangeQuery, EveryoneWithFilters) {
    EXPECT_EQ(MakeScheduleTeamRangeSQL(u"2009-01-01"_s, u"2009-01-31"_s, FinishedFilter::All, std::nullopt),
              u"SELECT * FROM worktide WHERE sdate <= '2009-01-31' AND sdate <> '' AND edate >= '2009-01-01' "
              "ORDER BY sdate, seq"_s);
    EXPECT_EQ(MakeScheduleTeamRangeSQL(u"2009-01-01"_s, u"2009-01-31"_s, FinishedFilter::Done, u"A'B"_s),
              u"SELECT * FROM worktide WHERE sdate <= '2009-01-31' AND sdate <> '' AND edate >= '2009-01-01' "
              "AND finished = 1 AND catename = 'A''B' ORDER BY sdate, seq"_s);
    EXPECT_TRUE(
        MakeScheduleTeamRangeSQL({}, {}, FinishedFilter::Open, std::nullopt).contains(u" AND finished = 0 ORDER"_s));
}

TEST(TeamLayout, SplitTallRowsCutsARowIntoPiecesOfAtMostMaxLines) {
    std::vector<Entry> entries;
    for (int i = 0; i < 5; ++i)
        entries.push_back(E(u"나"_s, u"2009-01-05"_s, u"2009-01-06"_s, u"n%1"_s.arg(i)));
    entries.push_back(E(u"가"_s, u"2009-01-05"_s, u"2009-01-05"_s));
    entries.push_back(E(u"다"_s, u"2009-01-07"_s, u"2009-01-07"_s));
    const Layout l = LayOut({u"가"_s, u"나"_s, u"다"_s}, entries, QDate(2009, 1, 1));
    EXPECT_EQ(l.lineCount, (std::vector<int>{1, 5, 1}));
    const Layout s = SplitTallRows(l, 2);
    EXPECT_EQ(s.people, (QStringList{u"가"_s, u"나"_s, u"나 (계속)"_s, u"나 (계속)"_s, u"다"_s}));
    EXPECT_EQ(s.lineCount, (std::vector<int>{1, 2, 2, 1, 1}));
    ASSERT_EQ(s.bars.size(), l.bars.size());
    for (std::size_t i = 0; i < s.bars.size(); ++i) {
        const QString& title = s.entries[static_cast<std::size_t>(s.bars[i].entry)].title;
        if (title.startsWith(u'n')) {
            const int n = title.mid(1).toInt();
            EXPECT_EQ(s.bars[i].person, 1 + n / 2) << n;
            EXPECT_EQ(s.bars[i].line, n % 2) << n;
        }
    }
    EXPECT_EQ(SplitTallRows(l, 5).people, l.people);
}

TEST(TeamLayout, UpAndDownGoToTheNearestBarOfTheNextRowWithBars) {
    const Layout l = LayOut(
        {u"가"_s, u"나"_s, u"다"_s, u"라"_s},
        {E(u"가"_s, u"2009-01-02"_s, u"2009-01-04"_s, u"a1"_s), E(u"가"_s, u"2009-01-20"_s, u"2009-01-21"_s, u"a2"_s),
         E(u"다"_s, u"2009-01-10"_s, u"2009-01-12"_s, u"c1"_s), E(u"다"_s, u"2009-01-03"_s, u"2009-01-03"_s, u"c2"_s),
         E(u"다"_s, u"2009-01-25"_s, u"2009-01-25"_s, u"c3"_s)},
        QDate(2009, 1, 1));
    const auto index = [&](const QString& title) {
        for (int b = 0; b < static_cast<int>(l.bars.size()); ++b)
            if (l.entries[static_cast<std::size_t>(l.bars[static_cast<std::size_t>(b)].entry)].title == title)
                return b;
        return -1;
    };
    const auto title = [&](int b) {
        return l.entries[static_cast<std::size_t>(l.bars[static_cast<std::size_t>(b)].entry)].title;
    };
    struct Case {
        const char16_t* from;
        int day, direction;
        const char16_t* to;
    };
    for (const Case& c :
         {Case{u"a1", 2, 1, u"c2"}, Case{u"a2", 19, 1, u"c3"}, Case{u"a2", 15, 1, u"c1"}, Case{u"c1", 10, -1, u"a1"},
          Case{u"c3", 24, -1, u"a2"}, Case{u"a1", 2, -1, u"a1"}, Case{u"c1", 11, 1, u"c1"}})
        EXPECT_EQ(title(VerticalNeighbour(l, index(QString::fromUtf16(c.from)), c.day, c.direction)),
                  QString::fromUtf16(c.to))
            << QString::fromUtf16(c.from).toStdString() << " " << c.direction;
}
