// A whole session against a throwaway server that logs every statement it receives (as an
// administrator tracing a problem would switch on): sign-in with a mistyped password first,
// then a password change with a mistyped current password. The log must hold no password.
#include "app/frmLogin.h"
#include "common/ActiveWindow.h"
#include "common/ScopedState.h"
#include "common/TestDb.h"
#include "db/cMySQL.h"
#include "db/modDodamDBConsts.h"
#include "db/modMySQL_Func_lite.h"
#include "support/Cp949.h"
#include "support/Globals.h"
#include "support/MsgBox.h"
#include "support/PasswordDigest.h"
#include "support/ProcessExit.h"
#include "support/UserSettings.h"
#include "ui/main/FrmMain.h"

#include <QApplication>
#include <QDir>
#include <QFile>
#include <QLineEdit>
#include <QProcess>
#include <QTemporaryDir>
#include <QTest>

#include <gtest/gtest.h>

using namespace Qt::StringLiterals;

namespace worktide {
namespace {

using test::DbServer;

// The program always connects on 3306: the server gets an address of its own.
const QString kHost = u"127.0.0.25"_s;
const QString kRight = u"Right한글pw1"_s;
const QString kMistyped = u"Wrong'비번\\x"_s;
const QString kMistypedCurrent = u"Nope한'x2"_s;
const QString kNew = u"newPass56789"_s;

QString Folder() {
    return QStringLiteral(WORKTIDE_BINARY_DIR) + u"/pwlog-db"_s;
}
QString LogFile() {
    return Folder() + u"/general.log"_s;
}

bool Server(const QString& action) {
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert(u"WORKTIDE_DB_BIND"_s, kHost);
    env.insert(u"WORKTIDE_DB_PORT"_s, u"3306"_s);
    env.insert(u"WORKTIDE_DB_DIR"_s, Folder());
    env.insert(u"WORKTIDE_DB_GENERAL_LOG"_s, LogFile());
    QProcess p;
    p.setProcessEnvironment(env);
    p.setProcessChannelMode(QProcess::ForwardedErrorChannel);
    p.start(QStringLiteral(WORKTIDE_SOURCE_DIR) + u"/scripts/dbserver"_s, {action});
    p.waitForFinished(120000);
    return p.exitStatus() == QProcess::NormalExit && p.exitCode() == 0;
}

class PasswordLogTest : public ::testing::Test {
protected:
    static void SetUpTestSuite() { s_ready = Server(u"start"_s); }
    static void TearDownTestSuite() { Server(u"stop"_s); }

    void SetUp() override {
        ASSERT_TRUE(s_ready) << "the logging server did not start";
        ASSERT_TRUE(dir.isValid());
        SetLoginSettingsFile(dir.filePath(u"login.ini"_s));
        SetDBName(u"dd_inhouse"_s);
        ASSERT_TRUE(DBInit(kHost, DbServer::user(), DbServer::password(), u"dd_inhouse"_s));
        ExecuteSQL(u"DELETE FROM user"_s);
        ExecuteSQL(u"DELETE FROM user_mac"_s);
        ExecuteSQL(u"INSERT INTO user_mac (user_id, mac_addr, block) VALUES ('kim', '001A2B3C4D5E', 0)"_s);
        // The password as an older client set it: hashed by the server.
        ExecuteSQL(u"INSERT INTO user (id, name, level, password2) VALUES ('kim', '김철수', 1, SHA1('"_s +
                   EscapeSQL(kRight) + u"'))"_s);
        // What the session sends is all that is in the log from here.
        QFile log(LogFile());
        ASSERT_TRUE(log.exists());
        ASSERT_TRUE(log.resize(0));
    }
    void TearDown() override {
        DBClose();
        SetDBName({});
        SetLoginSettingsFile({});
    }

    static bool s_ready;
    QTemporaryDir dir;
    ScopedScriptedMessageBoxes boxes;
    test::ScopedValue<QString> dbHost{gDBServerHost, kHost};
    ScopedSignedInUser user{QString()};
    ScopedExitHandler exitHandler{[](int) {}};
    ScopedAdapterSource adapters{[] { return QList<NetworkAdapter>{{u"eth0"_s, u"00:1A:2B:3C:4D:5E"_s}}; }};
};
bool PasswordLogTest::s_ready = false;

TEST_F(PasswordLogTest, ASessionLeavesNoPasswordInTheServersLog) {
    {
        frmLogin login;
        login.show();
        ASSERT_TRUE(QTest::qWaitForWindowExposed(&login));
        QApplication::setActiveWindow(&login);
        QTest::qWait(30);
        login.txtUserName->setText(u"kim"_s);
        login.txtPassword->setText(kMistyped);
        QTest::keyClick(login.txtPassword, Qt::Key_Return);
        ASSERT_EQ(boxes.texts(), QStringList{u"암호가 잘못되었습니다. 다시 시도하십시오"_s});
        login.txtPassword->setText(kRight);
        QTest::keyClick(login.txtPassword, Qt::Key_Return);
        ASSERT_TRUE(login.LoginSucceeded) << "the hash an older client stored signs in";
    }
    boxes.clear();
    {
        FrmMain main;
        boxes.queueInput(kMistypedCurrent);
        boxes.queueInput(kRight);
        boxes.queueInput(kNew);
        EXPECT_EQ(test::RunClosingModal([&] { main.mnuFile_cngpasswd_Click(); }), u"worktide::FrmFloatMsg"_s);
        EXPECT_EQ(boxes.texts().count(u"암호가 일치하지 않습니다."_s), 1);
    }

    QFile file(LogFile());
    ASSERT_TRUE(file.open(QIODevice::ReadOnly));
    const QByteArray log = file.readAll();
    // The log did record the session: the sign-in and the change, with the digests.
    EXPECT_TRUE(log.contains("password2 = '" + PasswordDigest(kRight)->toLatin1() + "'")) << log.toStdString();
    EXPECT_TRUE(log.contains("UPDATE user SET password2 = '" + PasswordDigest(kNew)->toLatin1() + "'"));
    EXPECT_TRUE(log.contains("password2 = '" + PasswordDigest(kMistyped)->toLatin1() + "'"));
    EXPECT_FALSE(log.contains("SHA1(")) << log.toStdString();
    for (const QString& pw : {kRight, kMistyped, kMistypedCurrent, kNew}) {
        SCOPED_TRACE(pw.toStdString());
        // As the connection sends it, as typed, and escaped; the ASCII head of each alone too.
        EXPECT_FALSE(log.contains(ToAnsi(pw)));
        EXPECT_FALSE(log.contains(pw.toUtf8()));
        EXPECT_FALSE(log.contains(ToAnsi(EscapeSQL(pw))));
        EXPECT_FALSE(log.contains(pw.left(4).toLatin1()));
    }

    // Older clients sign in with the new password: their condition matches the stored row.
    EXPECT_EQ(GetRowCount(u"user"_s, u"id = 'kim' AND password2 = SHA1('"_s + kNew + u"')"_s), 1);
}

} // namespace
} // namespace worktide
