// The widget-free calendar rules: shown weeks, entry line texts, line placement.
#include "ui/calendar/CalendarLayout.h"
#include "ui/main/modVerifyRule.h"

#include <gtest/gtest.h>

using namespace worktide;
using namespace worktide::calendar;
using namespace Qt::StringLiterals;

namespace {
QString Rep(char c, int n) {
    return QString(n, QLatin1Char(c));
}
} // namespace

TEST(CalendarLayout, FirstShownDateIsTheSundayOnOrBeforeTheFirst) {
    // February 2009 begins on a Sunday: the grid starts on the 1st itself.
    EXPECT_EQ(FirstShownDate(2009, 2), QDate(2009, 2, 1));
    // January 2009 begins on a Thursday.
    EXPECT_EQ(FirstShownDate(2009, 1), QDate(2008, 12, 28));
    // A Saturday 1st goes back six days.
    EXPECT_EQ(FirstShownDate(2022, 1), QDate(2021, 12, 26));
    for (int year : {2008, 2009, 2024})
        for (int month = 1; month <= 12; ++month) {
            const QDate first = FirstShownDate(year, month);
            EXPECT_EQ(first.dayOfWeek(), Qt::Sunday) << year << "-" << month;
            EXPECT_LE(first, QDate(year, month, 1));
            EXPECT_GT(first.addDays(7), QDate(year, month, 1));
            EXPECT_EQ(first.addDays(kShownDays - 1).dayOfWeek(), Qt::Saturday);
            // Six weeks always reach past the month's last day.
            EXPECT_GE(first.addDays(kShownDays - 1), QDate(year, month, 1).addMonths(1).addDays(-1));
        }
}

TEST(CalendarLayout, DayCaptionIsMonthDotDay) {
    EXPECT_EQ(DayCaption(QDate(2009, 1, 4)), u"01.04"_s);
}

TEST(CalendarLayout, ParseDateTextAcceptsOnlyRealTenCharacterDates) {
    EXPECT_EQ(ParseDateText(u"2009-01-04"), QDate(2009, 1, 4));
    EXPECT_EQ(ParseDateText(u"2008-02-29"), QDate(2008, 2, 29));
    for (const char16_t* bad : {u"", u"2009-1-4", u"2009-01-4 ", u"2009/01/04", u"2009-02-30", u"2009-13-01",
                                u"2009-01-0x", u"９００９-01-04", u"2009-00-10"})
        EXPECT_FALSE(ParseDateText(bad).isValid()) << QString::fromUtf16(bad).toStdString();
}

TEST(CalendarLayout, OneDayUnfinishedAsciiTitle) {
    EntrySpan span{QStringLiteral("abc"), false, false, false, 1};
    EXPECT_EQ(EntryLine(span, 1), u"◀"_s + Rep(' ', 8) + u"abc"_s + Rep(' ', 9) + u"▶"_s);
}

TEST(CalendarLayout, TwoDayFinishedHangulTitle) {
    EntrySpan span{QStringLiteral("업무회의"), true, false, false, 2};
    EXPECT_EQ(EntryLine(span, 1), u"◁"_s + Rep('.', 6) + u"업무회의"_s + Rep('.', 6) + u".."_s);
    EXPECT_EQ(EntryLine(span, 2), u".."_s + Rep('.', 6) + u"업무회의"_s + Rep('.', 6) + u"▷"_s);
}

TEST(CalendarLayout, ClippedEntryShowsContinuationAtBothEnds) {
    EntrySpan span{QStringLiteral("abc"), false, true, true, 42};
    const QString middle = Rep('.', 8) + u"abc"_s + Rep('.', 9);
    EXPECT_EQ(EntryLine(span, 1), u".."_s + middle + u".."_s);
    EXPECT_EQ(EntryLine(span, 42), u".."_s + middle + u".."_s);
    EXPECT_EQ(EntryLine(span, 20), u".."_s + middle + u".."_s);
}

TEST(CalendarLayout, TitleWidthRules) {
    struct Case {
        const char* name;
        QString title;
        bool multiDay;
        QString expected;
    };
    const QString twenty = QStringLiteral("가나다라마바사아자차");                      // 10 syllables = 20 units
    const QString twentyOne = twenty + u"a"_s;                                          // 21 units: no fill, no cut
    const QString twentyOneSyll = twenty + QStringLiteral("카나다라마바사아자차카");    // 42 bytes
    const QString splitAt40 = u"a"_s + twenty + QStringLiteral("카나다라마바사아자차"); // 41 bytes
    const Case cases[] = {
        {"exactly 20 units, no fill", twenty, false, twenty},
        {"exactly 20 units multi-day", twenty, true, twenty},
        {"21 units is neither filled nor cut", twentyOne, true, twentyOne},
        {"cut after 40 bytes on a character boundary", twentyOneSyll, false, twentyOneSyll.left(20)},
        {"cut inside a Hangul syllable drops it and adds a blank", splitAt40, true, splitAt40.left(20) + u" "_s},
        {"odd room puts the extra fill on the right", QStringLiteral("ab"), false, Rep(' ', 9) + u"ab"_s + Rep(' ', 9)},
        {"empty title", QString(), true, Rep('.', 20)},
    };
    for (const Case& c : cases)
        EXPECT_EQ(CentredTitle(c.title, c.multiDay), c.expected) << c.name;
}

TEST(CalendarLayout, PlaceLine) {
    struct Case {
        const char* name;
        QString cell;
        int line;
        QString expectedCell;
        int expectedLine;
        bool conflict;
    };
    const Case cases[] = {
        {"empty cell, free line", QString(), -1, u"T\r\n"_s, 0, false},
        {"empty cell, kept line 0", QString(), 0, u"T\r\n"_s, 0, false},
        {"empty cell, kept line 2 pads with empty lines", QString(), 2, u"\r\n\r\nT\r\n"_s, 2, false},
        {"after one line the piece behind the last CR LF is free", u"A\r\n"_s, -1, u"A\r\nT\r\n"_s, 1, false},
        // Rewriting a cell writes every piece back with its CR LF, the empty last one too.
        {"free line fills a gap first", u"\r\nB\r\n"_s, -1, u"T\r\nB\r\n\r\n"_s, 0, false},
        {"kept line on the empty last piece", u"A\r\nB\r\n"_s, 2, u"A\r\nB\r\nT\r\n"_s, 2, false},
        {"kept line beyond the end", u"A\r\n"_s, 3, u"A\r\n\r\n\r\nT\r\n"_s, 3, false},
        {"kept line in an empty gap", u"\r\nB\r\n"_s, 0, u"T\r\nB\r\n\r\n"_s, 0, false},
        {"conflict goes to the end", u"A\r\nB\r\n"_s, 0, u"A\r\nB\r\n\r\nT\r\n"_s, 3, true},
    };
    for (const Case& c : cases) {
        const LinePlacement p = PlaceLine(c.cell, QStringLiteral("T"), c.line);
        EXPECT_EQ(p.cellText, c.expectedCell) << c.name;
        EXPECT_EQ(p.line, c.expectedLine) << c.name;
        EXPECT_EQ(p.conflict, c.conflict) << c.name;
    }
}

TEST(CalendarLayout, TuesdayThenTuesdayWednesdayKeepsTheBarOnOneLine) {
    // Tuesday holds a one-day entry; the two-day entry takes line 1 there and keeps
    // line 1 on Wednesday, leaving Wednesday's line 0 empty.
    QString tue = PlaceLine(QString(), QStringLiteral("A"), -1).cellText;
    const LinePlacement onTue = PlaceLine(tue, QStringLiteral("B1"), -1);
    EXPECT_EQ(onTue.line, 1);
    const LinePlacement onWed = PlaceLine(QString(), QStringLiteral("B2"), onTue.line);
    EXPECT_EQ(onWed.line, 1);
    EXPECT_EQ(onWed.cellText, u"\r\nB2\r\n"_s);
}

TEST(PasswordRules, CheckPassword) {
    const QString rule1 = QStringLiteral("암호에 공란은 허용되지 않습니다.");
    const QString rule2 = QStringLiteral("암호는 영문, 숫자만 가능합니다. 특수문자, 한글등은 사용할 수 없습니다.");
    const QString rule3 = QStringLiteral("암호길이는 최소 10자에서 최대 15자까지 가능합니다.");
    const QString rule4 = QStringLiteral("암호는 숫자와 영문을 같이 사용해야 합니다.");
    struct Case {
        QString password;
        QString message; // empty = accepted
    };
    const Case cases[] = {
        {QString(), rule1},
        {u"abc12 34567"_s, rule2},   // one blank inside: rule 2, not rule 1
        {u"          "_s, rule2},    // blanks only
        {u"abc1234567한"_s, rule2},  // Hangul
        {u"abc１23456789"_s, rule2}, // full-width digit
        {u"ａbc123456789"_s, rule2}, // full-width letter
        {u"ab!1234567"_s, rule2},
        {u"ab!1"_s, rule2},                // rule 2 wins over the length
        {u"abc123456"_s, rule3},           // 9
        {u"abc1234567"_s, QString()},      // 10
        {u"abc123456789012"_s, QString()}, // 15
        {u"abc1234567890123"_s, rule3},    // 16
        {u"abcdefghijk"_s, rule4},         // letters only
        {u"12345678901"_s, rule4},         // digits only
        {u"1ABCDEFGHIJ"_s, QString()},
    };
    for (const Case& c : cases) {
        QString message = QStringLiteral("stale");
        EXPECT_EQ(CheckPassword(c.password, message), c.message.isEmpty()) << c.password.toStdString();
        EXPECT_EQ(message, c.message) << c.password.toStdString();
    }
}

TEST(PasswordRules, CharacterClasses) {
    EXPECT_FALSE(IsAllLetters(QString()));
    EXPECT_FALSE(IsAllAlphaNum(QString()));
    EXPECT_FALSE(IsAllDigits(QString()));
    EXPECT_TRUE(IsAllLetters(u"AzZa"_s));
    EXPECT_FALSE(IsAllLetters(u"Az1"_s));
    EXPECT_FALSE(IsAllLetters(u"[`"_s)); // neighbours of the letter ranges
    EXPECT_TRUE(IsAllAlphaNum(u"09azAZ"_s));
    EXPECT_FALSE(IsAllAlphaNum(u"09az:"_s));
    EXPECT_TRUE(IsAllDigits(u"0123456789"_s));
    EXPECT_FALSE(IsAllDigits(u"０"_s));
    EXPECT_FALSE(IsAllDigits(u"12/"_s));
}
