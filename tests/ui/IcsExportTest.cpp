// The calendar export: the main window's menu command writes the list tab's entries, and an
// independent parser (python3-icalendar) reads back every field the database holds.
#include "common/TestDb.h"

#include "db/cMySQL.h"
#include "db/modMySQL_Func_lite.h"
#include "support/Clock.h"
#include "support/Globals.h"
#include "support/IcsExport.h"
#include "support/MsgBox.h"
#include "ui/list/ListTab.h"
#include "ui/list/ScheduleListView.h"
#include "ui/main/FrmMain.h"
#include "ui/main/IcsExportCommand.h"

#include <QAction>
#include <QComboBox>
#include <QDate>
#include <QDir>
#include <QFile>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QProcess>
#include <QLineEdit>
#include <QTemporaryDir>
#include <QTest>

#include <gtest/gtest.h>

using namespace worktide;
using namespace Qt::StringLiterals;

namespace {

QJsonObject ParseWithIcalendar(const QString& path) {
    QProcess py;
    py.start(u"/usr/bin/python3"_s, {QStringLiteral(WORKTIDE_TEST_DATA_DIR "/ics_dump.py"), path});
    EXPECT_TRUE(py.waitForFinished(60000));
    EXPECT_EQ(py.exitCode(), 0) << py.readAllStandardError().toStdString();
    return QJsonDocument::fromJson(py.readAllStandardOutput()).object();
}

// The day after a "yyyy-MM-dd" text, as the parser prints a date.
QString DayAfter(const QString& day) {
    return QDate::fromString(day, u"yyyy-MM-dd"_s).addDays(1).toString(Qt::ISODate);
}

class IcsExportTest : public ::testing::Test {
protected:
    void SetUp() override {
        db = std::make_unique<test::ScratchDatabase>(u"icsexport"_s);
        ASSERT_TRUE(db->connectGlobal());
        db->exec(u"INSERT INTO user (id, name, password2, hidden, groupcode) VALUES "
                 "('sky', '김하늘', '', 0, 1), ('seo', '박서준', '', 0, 1);"
                 "INSERT INTO worktide_cate (catename, devname, ordpos) VALUES ('개발', '*', 1)"_s);
    }
    void TearDown() override {
        form.reset();
        DBClose();
        db.reset();
    }
    // Through the program's own escaping, so any text reaches the table intact.
    void Add(const QString& owner, const QString& title, const QString& details, const QString& sdate,
             const QString& edate, int finished, const QString& cate) {
        ASSERT_EQ(ExecuteSQL(u"INSERT INTO worktide (wdate, devname, title, details, sdate, edate, finished, "
                             "catename) VALUES ('2009-01-01', '"_s +
                             EscapeSQL(owner) + u"', '"_s + EscapeSQL(title) + u"', '"_s + EscapeSQL(details) +
                             u"', '"_s + sdate + u"', '"_s + edate + u"', "_s + QString::number(finished) + u", '"_s +
                             EscapeSQL(cate) + u"')"_s),
                  1);
    }
    QString Export(int finishFilter) {
        form = std::make_unique<FrmMain>();
        form->Form_Load();
        form->cmbUser[1]->setCurrentIndex(form->cmbUser[1]->findText(u"김하늘"_s));
        form->cmbFinish[1]->setCurrentIndex(finishFilter);
        return ExportNow();
    }
    // The menu command on the window as it stands.
    QString ExportNow() {
        const QString path = dir.filePath(u"out.ics"_s);
        QFile::remove(path);
        ScopedSaveFileNameAsker asker([&](QWidget*, const QString&) { return path; });
        form->findChild<QAction*>(u"mnuFile_ExportIcs"_s)->trigger();
        return path;
    }

    ScopedToday today{QDate(2009, 1, 14)};
    std::unique_ptr<test::ScratchDatabase> db;
    ScopedSignedInUser user{u"김하늘"_s, u"sky"_s};
    std::unique_ptr<FrmMain> form;
    QTemporaryDir dir;
};

TEST_F(IcsExportTest, EveryFieldOfTheRowsSurvivesAnIndependentParser) {
    const QString longKorean = QString(u"가나다라마바사아자차카타파하"_s).repeated(40);
    Add(u"김하늘"_s, u"one \"day\" \\ back; semi, comma"_s, u"line1\r\nline2\nline3\r"_s + longKorean, u"2009-01-20"_s,
        u"2009-01-20"_s, 0, u"개발,영업;기타"_s);
    Add(u"김하늘"_s, u"여러 날"_s, u""_s, u"2009-01-10"_s, u"2009-01-16"_s, 1, u"개발"_s);
    Add(u"김하늘"_s, u"해넘이"_s, u"연말"_s, u"2009-12-30"_s, u"2010-01-02"_s, 0, u""_s);
    Add(u"김하늘"_s, u"날짜 없음"_s, u"할 일"_s, u""_s, u""_s, 1, u"개발"_s);
    Add(u"김하늘"_s, u"날짜 없음 예정"_s, u""_s, u""_s, u""_s, 0, u""_s);
    Add(u"김하늘"_s, u"시작만"_s, u""_s, u"2009-02-03"_s, u""_s, 0, u""_s);
    Add(u"박서준"_s, u"남의 일정"_s, u""_s, u"2009-01-20"_s, u"2009-01-20"_s, 0, u""_s);

    const QString path = Export(0);
    QFile file(path);
    ASSERT_TRUE(file.open(QIODevice::ReadOnly));
    const QByteArray raw = file.readAll();
    // Every physical line ends in CRLF, holds at most 75 octets and is whole UTF-8.
    ASSERT_TRUE(raw.endsWith("\r\n"));
    for (const QByteArray& line : raw.split('\n')) {
        if (line.isEmpty())
            continue;
        ASSERT_TRUE(line.endsWith('\r')) << line.toStdString();
        EXPECT_LE(line.size() - 1, 75) << line.toStdString();
        EXPECT_TRUE(QString::fromUtf8(line).toUtf8() == line) << "split character: " << line.toStdString();
    }

    const QJsonObject cal = ParseWithIcalendar(path);
    EXPECT_EQ(cal[u"version"_s].toString(), u"2.0"_s);
    EXPECT_FALSE(cal[u"prodid"_s].toString().isEmpty());
    QHash<QString, QJsonObject> byUid;
    for (const QJsonValue& v : cal[u"items"_s].toArray())
        byUid.insert(v.toObject()[u"uid"_s].toString(), v.toObject());

    RecordsetPtr rs;
    ASSERT_EQ(OpenRecordset(rs, u"SELECT * FROM worktide WHERE devname = '김하늘'"_s), 6);
    while (!rs->isEOF()) {
        const QString uid = u"worktide-"_s + rs->Value(u"seq"_s) + u"@"_s + db->name();
        SCOPED_TRACE(uid.toStdString());
        ASSERT_TRUE(byUid.contains(uid));
        const QJsonObject it = byUid.value(uid);
        const QString sdate = rs->Value(u"sdate"_s), edate = rs->Value(u"edate"_s);
        const bool finished = rs->Value(u"finished"_s) == u"1"_s;
        QString details = rs->Value(u"details"_s);
        // Line breaks of any kind come back as LF, the format's one line break.
        details.replace(u"\r\n"_s, u"\n"_s).replace(u'\r', u'\n');
        EXPECT_EQ(it[u"summary"_s].toString(), rs->Value(u"title"_s));
        EXPECT_EQ(it[u"description"_s].toString(), details);
        const QString cate = rs->Value(u"catename"_s);
        EXPECT_EQ(it[u"categories"_s].toArray(), cate.isEmpty() ? QJsonArray() : QJsonArray{cate});
        EXPECT_TRUE(it[u"has_dtstamp"_s].toBool());
        if (sdate.isEmpty()) {
            EXPECT_EQ(it[u"kind"_s].toString(), u"VTODO"_s);
            EXPECT_EQ(it[u"status"_s].toString(), finished ? u"COMPLETED"_s : u"NEEDS-ACTION"_s);
            EXPECT_FALSE(it.contains(u"dtstart"_s));
        } else {
            EXPECT_EQ(it[u"kind"_s].toString(), u"VEVENT"_s);
            EXPECT_EQ(it[u"dtstart"_s].toString(), sdate);
            EXPECT_EQ(it[u"dtstart_value"_s].toString(), u"DATE"_s);
            // Exclusive end; a start without an end is one day long.
            EXPECT_EQ(it[u"dtend"_s].toString(), DayAfter(edate.isEmpty() ? sdate : edate));
            EXPECT_EQ(it[u"status"_s].toString(), finished ? u"CONFIRMED"_s : QString());
        }
        EXPECT_EQ(it[u"x-worktide-finished"_s].toString(), finished ? u"1"_s : u"0"_s);
        rs->MoveNext();
    }
    CloseRecordset(rs);
    EXPECT_EQ(byUid.size(), 6); // the other owner's entry is not exported

    // The list tab's filters apply: unfinished only.
    const QJsonObject open = ParseWithIcalendar(Export(1));
    EXPECT_EQ(open[u"items"_s].toArray().size(), 4);
}

// The file holds the rows the list shows: a keyword typed into the box but never submitted
// changes nothing in it; once submitted, the list and the file narrow together.
TEST_F(IcsExportTest, TheFileHoldsTheRowsTheListShowsNotWhatTheKeywordBoxReadsNow) {
    for (int i = 0; i < 6; ++i)
        Add(u"김하늘"_s, u"회의 %1"_s.arg(i), u""_s, u"2009-01-2%1"_s.arg(i), u"2009-01-2%1"_s.arg(i), 0, u"개발"_s);
    Add(u"김하늘"_s, u"설계"_s, u"문서"_s, u"2009-01-27"_s, u"2009-01-28"_s, 0, u"개발"_s);
    const auto summaries = [](const QString& path) {
        QStringList out;
        for (const QJsonValue& item : ParseWithIcalendar(path)[u"items"_s].toArray())
            out << item.toObject()[u"summary"_s].toString();
        out.sort();
        return out;
    };
    Export(0);
    ASSERT_EQ(form->tabList->spList->MaxRows(), 7);
    form->tabList->txtKeyWord->setText(u"설계"_s);
    EXPECT_EQ(summaries(ExportNow()).size(), 7);

    QTest::keyClick(form->tabList->txtKeyWord, Qt::Key_Return);
    ASSERT_EQ(form->tabList->spList->MaxRows(), 1);
    EXPECT_EQ(summaries(ExportNow()), QStringList{u"설계"_s});
}

TEST(IcsText, FoldsAtSeventyFiveOctetsWithoutSplittingCharacters) {
    // 3-octet characters put a character across the 75-octet boundary at every offset.
    for (int lead = 0; lead < 3; ++lead) {
        const QByteArray line = QByteArray(lead, 'x') + QString(u"한"_s).repeated(60).toUtf8();
        const QByteArray folded = IcsFoldLine(line);
        QByteArray unfolded = folded;
        unfolded.replace("\r\n ", "");
        EXPECT_EQ(unfolded, line + "\r\n");
        for (const QByteArray& part : folded.split('\n'))
            EXPECT_LE(part.size(), 76); // 75 octets plus the CR
    }
    EXPECT_EQ(IcsEscapeText(u"a\\b;c,d\r\ne\rf\ng"_s), u"a\\\\b\\;c\\,d\\ne\\nf\\ng"_s);
}

// A file that cannot be written: the export's own message, and nothing else is left
// waiting for another window to show.
TEST_F(IcsExportTest, UnwritableFileShowsTheExportsMessageOnly) {
    ScopedScriptedMessageBoxes boxes;
    const QString path = dir.filePath(u"no-such-folder/failed.ics"_s);
    ScopedSaveFileNameAsker asker([&](QWidget*, const QString&) { return path; });
    RunIcsExport(nullptr, {}, u"김하늘"_s);
    ASSERT_EQ(boxes.shown().size(), 1) << boxes.texts().join(u'|').toStdString();
    EXPECT_EQ(boxes.shown()[0].text, u"일정을 내보내지 못했습니다.\n"_s + QDir::toNativeSeparators(path));
    EXPECT_EQ(boxes.shown()[0].style, vbExclamation);
    EXPECT_FALSE(HasDbFailures());
    EXPECT_FALSE(QFile::exists(path));
}

} // namespace
