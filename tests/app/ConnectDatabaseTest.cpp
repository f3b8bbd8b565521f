#include "AppTestSupport.h"

#include "app/modMain.h"
#include "db/modMySQL_Func_lite.h"
#include "support/MsgBox.h"
#include "support/modWaitProc.h"

namespace worktide::test {
namespace {

using ConnectDatabaseTest = AppTest;

// Start-up shows what the connection routine hands back: the question about an old
// client library, whose Yes (and only Yes) opens the download page.
TEST_F(ConnectDatabaseTest, OldClientLibraryQuestionIsShownAndYesOpensTheDownload) {
    QStringList opened;
    const ScopedDesktopOpener opener([&](const QString& url) { opened << url; });
    SetClientVersionSource([] { return QStringLiteral("2.3.7"); });
    for (int answer : {vbNo, vbYes}) {
        ScopedScriptedMessageBoxes boxes;
        opened.clear();
        boxes.queueAnswer(answer);
        ConnectDatabase();
        EXPECT_FALSE(gDB);
        ASSERT_EQ(boxes.shown().size(), 1) << boxes.texts().join(u'|').toStdString();
        EXPECT_EQ(boxes.shown()[0].title, QStringLiteral("MDAC누락"));
        EXPECT_TRUE(boxes.shown()[0].text.endsWith(QStringLiteral("지금 다운로드 하시겠습니까?")));
        EXPECT_EQ(boxes.shown()[0].style, vbYesNo | vbQuestion);
        EXPECT_EQ(opened, answer == vbYes ? QStringList{MDACDownloadUrl()} : QStringList{});
    }
    SetClientVersionSource({});
}

// A refused connect shows the connection's own line once, from start-up, and leaves
// nothing behind for a later window to show.
TEST_F(ConnectDatabaseTest, RefusedConnectShowsTheConnectionsMessageOnce) {
    DBClose();
    SetDBName(QStringLiteral("wt_no_such_database"));
    ScopedScriptedMessageBoxes boxes;
    ConnectDatabase();
    EXPECT_FALSE(gDB);
    ASSERT_EQ(boxes.shown().size(), 1) << boxes.texts().join(u'|').toStdString();
    EXPECT_TRUE(boxes.shown()[0].text.startsWith(QStringLiteral("Error 1049 "))) << boxes.texts()[0].toStdString();
    EXPECT_EQ(boxes.shown()[0].style, vbOKOnly);
    EXPECT_FALSE(HasDbFailures());
}

} // namespace
} // namespace worktide::test
