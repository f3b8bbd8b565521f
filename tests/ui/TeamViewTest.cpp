// The team view tab and the printed pages, against the real database, offscreen:
// bars in rows and days, the calendar's filters and month, the rights rule, and
// real PDFs read back with poppler-utils.
#include "common/ActiveWindow.h"
#include "common/TestDb.h"

#include "db/modMySQL_Func_lite.h"
#include "support/Clock.h"
#include "support/Globals.h"
#include "support/MsgBox.h"
#include "support/ProcessExit.h"
#include "ui/team/TeamTab.h"
#include "ui/list/ListTab.h"
#include "ui/list/ScheduleListModel.h"
#include "ui/list/ScheduleListView.h"
#include "ui/grid/SpreadGrid.h"
#include "ui/main/FrmMain.h"
#include "ui/print/PdfFileName.h"
#include "ui/print/PrintLayout.h"
#include "ui/print/PrintPages.h"
#include "ui/team/TeamSheet.h"
#include "ui/schedule/FrmSave.h"
#include "ui/schedule/FrmViewer.h"
#include "ui/schedule/ScheduleDay.h"

#include <QApplication>
#include <QComboBox>
#include <QDialog>
#include <QFile>
#include <QHash>
#include <QHelpEvent>
#include <QToolTip>
#include <QImage>
#include <QLabel>
#include <QLineEdit>
#include <QPrintPreviewDialog>
#include <QProcess>
#include <QPointer>
#include <QPushButton>
#include <QRegularExpression>
#include <QSet>
#include <QTabWidget>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>

#include <gtest/gtest.h>

#include <algorithm>
#include <functional>
#include <memory>

using namespace worktide;
using namespace Qt::StringLiterals;

namespace {

const QString kMe = u"김하늘"_s;
const QString kOther = u"박서준"_s;

using test::RunClosingModal;

// Output of a poppler tool; fails the test when it does not run.
QString Poppler(const QString& tool, const QStringList& args) {
    QProcess p;
    p.start(tool, args);
    if (!p.waitForFinished(30000) || p.exitCode() != 0) {
        ADD_FAILURE() << tool.toStdString() << " failed: " << p.readAllStandardError().toStdString();
        return {};
    }
    return QString::fromUtf8(p.readAllStandardOutput());
}

// The text of one page without white space: where a gap is a blank or a column
// break is the text extractor's guess, not the page's content.
QString PageText(const QString& pdf, int page) {
    QString text =
        Poppler(u"pdftotext"_s, {u"-f"_s, QString::number(page), u"-l"_s, QString::number(page), pdf, u"-"_s});
    return text.remove(QRegularExpression(u"\\s+"_s));
}

QString Bare(QString text) {
    return text.remove(QRegularExpression(u"\\s+"_s));
}

int PageCount(const QString& pdf) {
    const QRegularExpressionMatch m = QRegularExpression(u"Pages:\\s+(\\d+)"_s).match(Poppler(u"pdfinfo"_s, {pdf}));
    return m.hasMatch() ? m.captured(1).toInt() : -1;
}

class TeamViewTest : public ::testing::Test {
protected:
    static void SetUpTestSuite() {
        s_db = std::make_unique<test::ScratchDatabase>(u"teamview"_s);
        ASSERT_TRUE(s_db->connectGlobal());
    }
    static void TearDownTestSuite() {
        DBClose();
        s_db.reset();
    }

    void SetUp() override {
        if (!gDB) {
            ASSERT_TRUE(s_db->connectGlobal());
        }
        s_db->truncateAll();
        s_db->exec(u"INSERT INTO user (id, name, password2, hidden, groupcode) VALUES "
                   "('sky', '김하늘', '', 0, 1), ('seo', '박서준', '', 0, 1), "
                   "('choi', '최민결', '', 0, 1), ('obrien', 'O''Brien', '', 0, 1), "
                   "('gone', '숨은사람', '', 1, 1);"
                   "INSERT INTO worktide_cate (catename, devname, ordpos) VALUES "
                   "('개발', '*', 1), ('영업', '*', 2)"_s);
    }

    void TearDown() override { form.reset(); }

    int AddEntry(const QString& owner, const QString& title, const QString& sdate, const QString& edate,
                 int finished = 0, const QString& category = u"개발"_s) {
        s_db->exec(u"INSERT INTO worktide (wdate, devname, title, details, sdate, edate, finished, catename) "
                   "VALUES ('2009-01-01', '%1', '%2', '상세 내용', '%3', '%4', %5, '%6')"_s.arg(
                       QString(owner).replace(u"'"_s, u"''"_s), QString(title).replace(u"'"_s, u"''"_s), sdate, edate,
                       QString::number(finished), category));
        return s_db->scalar(u"SELECT MAX(seq) FROM worktide"_s).toInt();
    }

    FrmMain& Open() {
        form = std::make_unique<FrmMain>();
        form->Form_Load();
        // The keyboard's keys reach the active window only.
        EXPECT_TRUE(test::ActivateWindow(form.get()));
        return *form;
    }

    void ShowTeam() { form->SSTab1->setCurrentIndex(2); }
    const team::Layout& Team() const { return form->tabTeam->spTeam->Layout(); }
    // The bar of the entry titled so, or nullptr.
    const team::Bar* BarTitled(const QString& title) const {
        for (const team::Bar& bar : Team().bars)
            if (Team().entries[static_cast<std::size_t>(bar.entry)].title == title)
                return &bar;
        return nullptr;
    }
    int BarIndex(const QString& title) const {
        const team::Bar* bar = BarTitled(title);
        return bar ? static_cast<int>(bar - Team().bars.data()) : -1;
    }
    int Row(const QString& name) const { return static_cast<int>(Team().people.indexOf(name)); }

    QString SavePdf() {
        const QString path = dir.filePath(u"out%1.pdf"_s.arg(++pdfCount));
        ScopedScriptedPdfFileNames names({path});
        form->mnuFile_pdf->trigger();
        EXPECT_EQ(names.suggested().size(), 1);
        // WORKTIDE_KEEP_PDF_DIR=<folder> keeps a copy of every PDF written, to look at.
        if (const QString keep = qEnvironmentVariable("WORKTIDE_KEEP_PDF_DIR"); !keep.isEmpty())
            QFile::copy(path, keep + u"/"_s +
                                  QString::fromUtf8(::testing::UnitTest::GetInstance()->current_test_info()->name()) +
                                  u".pdf"_s);
        return path;
    }

    static std::unique_ptr<test::ScratchDatabase> s_db;
    ScopedToday today{QDate(2009, 1, 14)};
    ScopedSignedInUser user{kMe, u"sky"_s};
    ScopedExitHandler exitHandler{[](int) {}};
    std::unique_ptr<FrmMain> form;
    QTemporaryDir dir;
    int pdfCount = 0;
};

std::unique_ptr<test::ScratchDatabase> TeamViewTest::s_db;

TEST_F(TeamViewTest, TabShowsEveryoneOfTheOwnerListWithBarsInTheirRowsAndDays) {
    AddEntry(kMe, u"하루"_s, u"2009-01-05"_s, u"2009-01-05"_s);
    AddEntry(kMe, u"겹침"_s, u"2009-01-05"_s, u"2009-01-07"_s, 1);
    AddEntry(kOther, u"걸침"_s, u"2008-12-30"_s, u"2009-02-02"_s);
    AddEntry(u"O'Brien"_s, u"obrien's"_s, u"2009-01-30"_s, u"2009-02-03"_s);
    AddEntry(u"숨은사람"_s, u"hidden"_s, u"2009-01-10"_s, u"2009-01-10"_s);
    AddEntry(kMe, u"다음달"_s, u"2009-02-01"_s, u"2009-02-01"_s);
    AddEntry(kMe, u"날짜없음"_s, u""_s, u""_s);
    FrmMain& f = Open();
    EXPECT_EQ(f.SSTab1->tabText(2), u"팀 일정"_s);
    EXPECT_TRUE(Team().people.isEmpty()); // not drawn before it is first shown
    ShowTeam();
    EXPECT_EQ(Team().people,
              (QStringList{u"O'Brien"_s, u"김하늘"_s, u"대구개발"_s, u"대구상담"_s, u"박서준"_s, u"최민결"_s}));
    EXPECT_EQ(Team().first, QDate(2009, 1, 1));
    EXPECT_EQ(Team().dayCount, 31);
    EXPECT_EQ(f.tabTeam->lblTeamDate->text(), u"2009년 01월"_s);
    EXPECT_EQ(Team().unlisted, 1); // the hidden user's entry has no row
    ASSERT_EQ(Team().bars.size(), 4u);
    struct Want {
        QString title, owner;
        int line, firstDay, days;
        bool clippedStart, clippedEnd;
    };
    for (const Want& w :
         {Want{u"하루"_s, kMe, 0, 4, 1, false, false}, Want{u"겹침"_s, kMe, 1, 4, 3, false, false},
          Want{u"걸침"_s, kOther, 0, 0, 31, true, true}, Want{u"obrien's"_s, u"O'Brien"_s, 0, 29, 2, false, true}}) {
        const team::Bar* b = BarTitled(w.title);
        ASSERT_NE(b, nullptr) << w.title.toStdString();
        EXPECT_EQ(b->person, Row(w.owner)) << w.title.toStdString();
        EXPECT_EQ(b->line, w.line) << w.title.toStdString();
        EXPECT_EQ(b->firstDay, w.firstDay) << w.title.toStdString();
        EXPECT_EQ(b->days, w.days) << w.title.toStdString();
        EXPECT_EQ(b->clippedStart, w.clippedStart) << w.title.toStdString();
        EXPECT_EQ(b->clippedEnd, w.clippedEnd) << w.title.toStdString();
    }
    // The point under each bar finds it again; hover shows title, period, category and details.
    for (const QString& title : {u"하루"_s, u"겹침"_s, u"걸침"_s, u"obrien's"_s}) {
        const int bar = BarIndex(title);
        const QPoint at = f.tabTeam->spTeam->BarPoint(bar);
        EXPECT_EQ(f.tabTeam->spTeam->HitAt(at).bar, bar) << title.toStdString();
    }
    const QPoint at = f.tabTeam->spTeam->BarPoint(BarIndex(u"하루"_s));
    QHelpEvent help(QEvent::ToolTip, at, f.tabTeam->spTeam->viewport()->mapToGlobal(at));
    QApplication::sendEvent(f.tabTeam->spTeam->viewport(), &help);
    EXPECT_EQ(QToolTip::text(), u"하루\n2009-01-05 ~ 2009-01-05\n개발\n\n상세 내용"_s);
    QToolTip::hideText();
    // The people column stays put: scrolled to the month's end, its left edge still hits no day.
    f.tabTeam->spTeam->BarPoint(BarIndex(u"obrien's"_s));
    EXPECT_EQ(f.tabTeam->spTeam->HitAt(QPoint(5, f.tabTeam->spTeam->BarPoint(BarIndex(u"obrien's"_s)).y())).bar, -1);
}

TEST_F(TeamViewTest, CalendarFiltersAndMonthApplyAndRefreshFollows) {
    AddEntry(kMe, u"예정개발"_s, u"2009-01-05"_s, u"2009-01-05"_s, 0, u"개발"_s);
    AddEntry(kOther, u"완료영업"_s, u"2009-01-06"_s, u"2009-01-06"_s, 1, u"영업"_s);
    AddEntry(kOther, u"이월"_s, u"2009-02-10"_s, u"2009-02-10"_s);
    FrmMain& f = Open();
    f.cmbFinish[0]->setCurrentIndex(2);
    ShowTeam();
    ASSERT_EQ(Team().bars.size(), 1u);
    EXPECT_NE(BarTitled(u"완료영업"_s), nullptr);
    // Filters changed on the calendar tab are applied when the team tab comes back.
    f.SSTab1->setCurrentIndex(0);
    f.cmbFinish[0]->setCurrentIndex(0);
    f.cmbCategory[0]->setCurrentIndex(f.cmbCategory[0]->findText(u"개발"_s));
    ShowTeam();
    ASSERT_EQ(Team().bars.size(), 1u);
    EXPECT_NE(BarTitled(u"예정개발"_s), nullptr);
    // ">>" on the team tab moves the calendar too; "오늘로 이동" comes back.
    f.cmbCategory[0]->setCurrentIndex(0);
    QTest::mouseClick(f.tabTeam->btnTeamMonth[1], Qt::LeftButton);
    EXPECT_EQ(f.WorkDateTag(), u"200902"_s);
    EXPECT_EQ(f.tabTeam->lblTeamDate->text(), u"2009년 02월"_s);
    EXPECT_EQ(Team().dayCount, 28);
    ASSERT_EQ(Team().bars.size(), 1u);
    EXPECT_EQ(BarTitled(u"이월"_s)->firstDay, 9);
    QTest::mouseClick(f.tabTeam->btnTeamToday, Qt::LeftButton);
    EXPECT_EQ(f.WorkDateTag(), u"200901"_s);
    EXPECT_EQ(Team().bars.size(), 2u);
    // F5 reloads the shown tab.
    AddEntry(kMe, u"새것"_s, u"2009-01-20"_s, u"2009-01-20"_s);
    QTest::keyClick(f.tabTeam->spTeam, Qt::Key_F5);
    EXPECT_NE(BarTitled(u"새것"_s), nullptr);
}

TEST_F(TeamViewTest, ViewerOpensOnTheEntryDoubleClicked) {
    AddEntry(kOther, u"첫째"_s, u"2009-01-08"_s, u"2009-01-08"_s);
    const int second = AddEntry(kOther, u"둘째"_s, u"2009-01-08"_s, u"2009-01-08"_s);
    AddEntry(kOther, u"셋째"_s, u"2009-01-08"_s, u"2009-01-08"_s);
    FrmMain& f = Open();
    ShowTeam();
    TeamSheet* sheet = f.tabTeam->spTeam;
    QString shownSeq;
    QString shownTitle;
    EXPECT_EQ(
        RunClosingModal(
            [&] { QTest::mouseDClick(sheet->viewport(), Qt::LeftButton, {}, sheet->BarPoint(BarIndex(u"둘째"_s))); },
            [&](QWidget* w) {
                auto* viewer = qobject_cast<FrmViewer*>(w);
                ASSERT_NE(viewer, nullptr);
                const int row = viewer->spList->ActiveRow();
                shownSeq = GetCellText(viewer->spList, entry_list::kSeq, row);
                shownTitle = GetCellText(viewer->spList, entry_list::kTitle, row);
            }),
        u"worktide::FrmViewer"_s);
    EXPECT_EQ(shownSeq, QString::number(second));
    EXPECT_EQ(shownTitle, u"둘째"_s);
}

TEST_F(TeamViewTest, OpeningFollowsTheRightsRule) {
    const int mine = AddEntry(kMe, u"내것"_s, u"2009-01-05"_s, u"2009-01-07"_s);
    AddEntry(kOther, u"남의것"_s, u"2009-01-08"_s, u"2009-01-08"_s);
    const int obrien = AddEntry(u"O'Brien"_s, u"obrien"_s, u"2009-01-09"_s, u"2009-01-09"_s);
    FrmMain& f = Open();
    ShowTeam();
    TeamSheet* sheet = f.tabTeam->spTeam;
    // Own entry: the editor on that entry, on the day double-clicked.
    QString owner;
    QString day;
    int seq = 0;
    EXPECT_EQ(
        RunClosingModal(
            [&] { QTest::mouseDClick(sheet->viewport(), Qt::LeftButton, {}, sheet->BarPoint(BarIndex(u"내것"_s))); },
            [&](QWidget* w) {
                auto* editor = qobject_cast<FrmSave*>(w);
                ASSERT_NE(editor, nullptr);
                owner = editor->Owner();
                day = editor->WorkDate();
                seq = editor->CurrentSeq();
            }),
        u"worktide::FrmSave"_s);
    EXPECT_EQ(owner, kMe);
    EXPECT_EQ(day, u"2009-01-05"_s);
    EXPECT_EQ(seq, mine);
    // Somebody else's: the viewer of that person's day, by Enter on the selected bar.
    sheet->SelectBar(BarIndex(u"내것"_s));
    QTest::keyClick(sheet, Qt::Key_Down); // the next row with a bar: 박서준's, past the two team rows
    EXPECT_EQ(sheet->SelectedBar(), BarIndex(u"남의것"_s));
    EXPECT_EQ(RunClosingModal([&] { QTest::keyClick(sheet, Qt::Key_Return); },
                              [&](QWidget* w) {
                                  auto* viewer = qobject_cast<FrmViewer*>(w);
                                  ASSERT_NE(viewer, nullptr);
                                  owner = viewer->Owner();
                                  day = viewer->WorkDate();
                              }),
              u"worktide::FrmViewer"_s);
    EXPECT_EQ(owner, kOther);
    EXPECT_EQ(day, u"2009-01-08"_s);
    // The editor that changed data makes the tab reload.
    EXPECT_EQ(RunClosingModal([&] { f.OpenTeamEntry(BarIndex(u"내것"_s), 4); },
                              [&](QWidget* w) {
                                  AddEntry(kMe, u"저장됨"_s, u"2009-01-22"_s, u"2009-01-22"_s);
                                  emit qobject_cast<FrmSave*>(w)->ScheduleChanged();
                              }),
              u"worktide::FrmSave"_s);
    EXPECT_NE(BarTitled(u"저장됨"_s), nullptr);
    // A privileged user edits anybody's entry, an apostrophe in the owner's name included.
    form.reset();
    gUserName = u"최민결"_s;
    gUserId = u"choi"_s;
    Open();
    ShowTeam();
    EXPECT_EQ(RunClosingModal([&] { form->OpenTeamEntry(BarIndex(u"obrien"_s), 8); },
                              [&](QWidget* w) {
                                  auto* editor = qobject_cast<FrmSave*>(w);
                                  ASSERT_NE(editor, nullptr);
                                  owner = editor->Owner();
                                  seq = editor->CurrentSeq();
                              }),
              u"worktide::FrmSave"_s);
    EXPECT_EQ(owner, u"O'Brien"_s);
    EXPECT_EQ(seq, obrien);
    // F2 on the team tab adds nothing for anybody.
    EXPECT_EQ(RunClosingModal([&] { QTest::keyClick(form->tabTeam->spTeam, Qt::Key_F2); }), QString());
}

TEST_F(TeamViewTest, CalendarPdfIsOneA4LandscapePageWithKoreanTextAndEmbeddedFonts) {
    AddEntry(kMe, u"주간회의"_s, u"2009-01-13"_s, u"2009-01-14"_s);
    FrmMain& f = Open();
    const QString pdf = SavePdf();
    EXPECT_EQ(PageCount(pdf), 1);
    const QString info = Poppler(u"pdfinfo"_s, {pdf});
    EXPECT_TRUE(info.contains(QRegularExpression(u"Page size:\\s+84[12][.\\d]* x 595[.\\d]* pts \\(A4\\)"_s)))
        << info.toStdString();
    const QString text = PageText(pdf, 1);
    for (const QString& want : {kMe, u"2009년 01월"_s, u"출력일: 2009-01-14"_s, u"주간회의"_s, u"01.14"_s, u"[오늘]"_s})
        EXPECT_TRUE(text.contains(Bare(want))) << want.toStdString() << "\n" << text.toStdString();
    const QString fonts = Poppler(u"pdffonts"_s, {pdf});
    EXPECT_TRUE(fonts.contains(u"Nanum"_s)) << fonts.toStdString();
    // Every font line (after the two header lines) says "yes" in the emb column.
    const QStringList lines = fonts.split(u'\n', Qt::SkipEmptyParts).mid(2);
    EXPECT_FALSE(lines.isEmpty());
    for (const QString& line : lines)
        EXPECT_TRUE(line.contains(QRegularExpression(u"\\s+yes\\s+(yes|no)\\s+(yes|no)\\s+\\d+\\s+\\d+\\s*$"_s)))
            << line.toStdString();
    EXPECT_EQ(f.SSTab1->currentIndex(), 0);
}

TEST_F(TeamViewTest, ListPdfRepeatsTheHeaderAndNumbersEveryPageAndKeepsRowColours) {
    // Every fifth entry is overdue (red), every seventh finished; the rest start within a week (blue) or later.
    QString values;
    for (int i = 1; i <= 200; ++i)
        values += u"%1('2009-01-01', '김하늘', '항목%2', '', '2009-01-%3', '%4', %5, '개발')"_s.arg(
            i == 1 ? u""_s : u","_s, QString::number(i), u"%1"_s.arg(i % 28 + 1, 2, 10, QLatin1Char('0')),
            i % 5 == 0 ? u"2009-01-02"_s : u"2009-02-%1"_s.arg(i % 28 + 1, 2, 10, QLatin1Char('0')),
            QString::number(i % 7 == 0 ? 1 : 0));
    s_db->exec(u"INSERT INTO worktide (wdate, devname, title, details, sdate, edate, finished, catename) VALUES "_s +
               values);
    FrmMain& f = Open();
    f.SSTab1->setCurrentIndex(1);
    f.cmbFinish[1]->setCurrentIndex(0);
    ASSERT_EQ(f.tabList->spList->MaxRows(), 200);
    const QString pdf = SavePdf();
    const int pages = print::ListPageCount(200);
    EXPECT_EQ(pages, 6);
    EXPECT_EQ(PageCount(pdf), pages);
    for (int page = 1; page <= pages; ++page) {
        const QString text = PageText(pdf, page);
        for (const QString& header : {u"제목"_s, u"작업시작"_s, u"완료예정"_s, u"일정 검색"_s, kMe})
            EXPECT_TRUE(text.contains(Bare(header))) << page << " " << header.toStdString();
        EXPECT_TRUE(text.contains(Bare(print::PageLabel(page, pages)))) << page;
    }
    // The overdue rows come first, in red; rows starting within a week follow in blue.
    const auto colourPixels = [&](int page) {
        const QString png = dir.filePath(u"list%1"_s.arg(page));
        Poppler(u"pdftoppm"_s, {u"-png"_s, u"-r"_s, u"100"_s, u"-f"_s, QString::number(page), u"-l"_s,
                                QString::number(page), u"-singlefile"_s, pdf, png});
        const QImage image(png + u".png"_s);
        EXPECT_FALSE(image.isNull());
        std::pair<int, int> redBlue{0, 0};
        for (int y = 0; y < image.height(); ++y)
            for (int x = 0; x < image.width(); ++x) {
                const QColor c = image.pixelColor(x, y);
                redBlue.first += c.red() > 200 && c.green() < 90 && c.blue() < 90;
                redBlue.second += c.blue() > 200 && c.red() < 90 && c.green() < 90;
            }
        return redBlue;
    };
    EXPECT_GT(colourPixels(1).first, 200);
    EXPECT_GT(colourPixels(2).second, 200);
    // Every row is printed once.
    const QString joined = Poppler(u"pdftotext"_s, {u"-layout"_s, pdf, u"-"_s});
    for (int i = 1; i <= 200; ++i)
        EXPECT_EQ(joined.count(QRegularExpression(u"항목%1(?!\\d)"_s.arg(i))), 1) << i;
}

// The list on paper holds the details whole: every line, long lines wrapped inside their
// column, the row as tall as they need; and it prints the rows shown, not a keyword typed since.
TEST_F(TeamViewTest, ListPdfPrintsEveryLineOfTheDetailsWrappedInItsColumn) {
    QString details;
    for (int i = 1; i <= 12; ++i)
        details += u"줄%1\r\n"_s.arg(i, 2, 10, QLatin1Char('0'));
    QStringList words;
    for (int i = 1; i <= 30; ++i)
        words << u"낱말%1"_s.arg(i, 2, 10, QLatin1Char('0'));
    details += words.join(u' ');
    s_db->exec(u"INSERT INTO worktide (wdate, devname, title, details, sdate, edate, finished, catename) "
               "VALUES ('2009-01-01', '김하늘', '긴내용', '%1', '2009-01-20', '2009-01-21', 0, '개발')"_s.arg(details));
    AddEntry(kMe, u"다음항목"_s, u"2009-01-22"_s, u"2009-01-23"_s);
    FrmMain& f = Open();
    f.SSTab1->setCurrentIndex(1);
    ASSERT_EQ(f.tabList->spList->MaxRows(), 2);
    f.tabList->txtKeyWord->setText(u"안보낸말"_s);
    const QString pdf = SavePdf();
    EXPECT_EQ(PageCount(pdf), 1);

    struct Box {
        double x0, y0, x1, y1;
    };
    QHash<QString, QList<Box>> boxes;
    const QRegularExpression word(
        u"<word xMin=\"([\\d.]+)\" yMin=\"([\\d.]+)\" xMax=\"([\\d.]+)\" yMax=\"([\\d.]+)\">([^<]*)</word>"_s);
    for (auto it = word.globalMatch(Poppler(u"pdftotext"_s, {u"-bbox"_s, pdf, u"-"_s})); it.hasNext();) {
        const QRegularExpressionMatch m = it.next();
        boxes[m.captured(5)].append(
            {m.captured(1).toDouble(), m.captured(2).toDouble(), m.captured(3).toDouble(), m.captured(4).toDouble()});
    }
    const auto only = [&](const QString& text) {
        EXPECT_EQ(boxes.value(text).size(), 1) << text.toStdString();
        return boxes.value(text).value(0, Box{0, 0, 0, 0});
    };
    const double columnLeft = only(u"제목"_s).x1;
    const double columnRight = only(u"작업시작"_s).x0;
    double y = 0;
    for (int i = 1; i <= 12; ++i) {
        const Box line = only(u"줄%1"_s.arg(i, 2, 10, QLatin1Char('0')));
        EXPECT_GT(line.y0, y) << i; // one below the other
        y = line.y0;
    }
    QSet<int> lineTops;
    double bottom = 0;
    for (const QString& w : words) {
        const Box b = only(w);
        EXPECT_GT(b.x0, columnLeft) << w.toStdString();
        EXPECT_LT(b.x1, columnRight) << w.toStdString();
        EXPECT_GT(b.y0, y) << w.toStdString();
        lineTops.insert(qRound(b.y0));
        bottom = std::max(bottom, b.y1);
    }
    EXPECT_GE(lineTops.size(), 3); // the long line wrapped
    // The next row starts below the grown one.
    EXPECT_GT(only(u"다음항목"_s).y0, bottom);
    EXPECT_FALSE(boxes.contains(u"안보낸말"_s));
    EXPECT_FALSE(boxes.contains(u"\"안보낸말\""_s));
}

TEST_F(TeamViewTest, TeamPdfContinuesOnFurtherPagesWithTheDayHeader) {
    // Enough overlapping entries for one person that the rows no longer fit one page.
    for (int i = 0; i < 60; ++i)
        AddEntry(kOther, u"겹%1"_s.arg(i), u"2009-01-05"_s, u"2009-01-09"_s);
    AddEntry(u"O'Brien"_s, u"오브라이언일"_s, u"2009-01-12"_s, u"2009-01-14"_s);
    AddEntry(u"최민결"_s, u"끝쪽일정"_s, u"2009-01-26"_s, u"2009-01-29"_s, 1);
    FrmMain& f = Open();
    ShowTeam();
    const QString pdf = SavePdf();
    const int pages = PageCount(pdf);
    // The 60 lines of one person do not fit one page: that row goes on over a further page.
    EXPECT_EQ(pages, static_cast<int>(print::TeamPageBreaks(Team()).size()) - 1);
    EXPECT_GE(pages, 3);
    EXPECT_TRUE(Poppler(u"pdfinfo"_s, {pdf}).contains(u"(A4)"_s));
    QString all;
    for (int page = 1; page <= pages; ++page) {
        const QString text = PageText(pdf, page);
        EXPECT_TRUE(text.contains(u"팀일정2009년01월"_s)) << page;
        // The day header again: the weekdays and dates of the month's last days.
        EXPECT_TRUE(text.contains(u"금토"_s)) << page;
        EXPECT_TRUE(text.contains(u"293031"_s)) << page;
        EXPECT_TRUE(text.contains(Bare(print::PageLabel(page, pages)))) << page;
        all += text;
    }
    for (const QString& want : {u"O'Brien"_s, u"김하늘"_s, u"박서준"_s, u"박서준(계속)"_s, u"최민결"_s, u"오브라"_s,
                                u"끝쪽일정"_s, u"겹0"_s, u"겹59"_s})
        EXPECT_TRUE(all.contains(want)) << want.toStdString() << "\n" << all.toStdString();
    EXPECT_EQ(f.SSTab1->currentIndex(), 2);
}

// With a few people the team page on paper takes a larger type, as far as the page holds
// every row; a crowded month keeps the size at which a day holds its full width of text.
TEST_F(TeamViewTest, TeamPdfOfAFewPeopleTakesALargerType) {
    AddEntry(kMe, u"Few01"_s, u"2009-01-05"_s, u"2009-01-09"_s);
    const auto heightOf = [this](const QString& pdf, const QString& text) {
        const QRegularExpression word(
            u"<word xMin=\"[\\d.]+\" yMin=\"([\\d.]+)\" xMax=\"[\\d.]+\" yMax=\"([\\d.]+)\">"_s +
            QRegularExpression::escape(text) + u"</word>"_s);
        const QRegularExpressionMatch m = word.match(Poppler(u"pdftotext"_s, {u"-bbox"_s, pdf, u"-"_s}));
        EXPECT_TRUE(m.hasMatch()) << text.toStdString();
        return m.captured(2).toDouble() - m.captured(1).toDouble();
    };
    Open();
    ShowTeam();
    const QString few = SavePdf();
    EXPECT_EQ(PageCount(few), 1);
    const double large = heightOf(few, u"Few01"_s);

    form.reset();
    for (int i = 0; i < 70; ++i)
        AddEntry(kOther, u"겹%1"_s.arg(i), u"2009-01-12"_s, u"2009-01-16"_s);
    Open();
    ShowTeam();
    const QString crowded = SavePdf();
    EXPECT_GE(PageCount(crowded), 2);
    const double small = heightOf(crowded, u"Few01"_s);
    EXPECT_GT(small, 0);
    EXPECT_GT(large, small * 1.2) << large << " " << small;
}

TEST_F(TeamViewTest, PrintOpensThePreviewAndAnUnwritablePdfIsReported) {
    ScopedScriptedMessageBoxes boxes;
    FrmMain& f = Open();
    EXPECT_EQ(RunClosingModal([&] { f.mnuFile_print->trigger(); }), u"QPrintPreviewDialog"_s);
    {
        ScopedScriptedPdfFileNames names({QString()}); // cancelled: nothing written, nothing said
        f.mnuFile_pdf->trigger();
        EXPECT_EQ(names.suggested(), QStringList{u"월간일정_김하늘_200901.pdf"_s});
    }
    EXPECT_TRUE(boxes.shown().isEmpty());
    {
        ScopedScriptedPdfFileNames names({dir.filePath(u"no/such/folder/x.pdf"_s)});
        f.mnuFile_pdf->trigger();
    }
    ASSERT_EQ(boxes.shown().size(), 1);
    EXPECT_TRUE(boxes.shown()[0].text.startsWith(u"PDF 파일을 저장할 수 없습니다."_s));
}

} // namespace
