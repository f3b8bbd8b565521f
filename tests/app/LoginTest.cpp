#include "AppTestSupport.h"

#include "app/frmLogin.h"
#include "db/modMySQL_Func_lite.h"
#include "support/Globals.h"
#include "support/MsgBox.h"

#include <QApplication>
#include <QCheckBox>
#include <QLineEdit>
#include <QPushButton>
#include <QTest>

namespace worktide::test {
namespace {

const QString kUnregistered = QStringLiteral("허용되지 않은 컴퓨터입니다. 관리자에게 문의바랍니다.");
const QString kWrongPassword = QStringLiteral("암호가 잘못되었습니다. 다시 시도하십시오");

class LoginTest : public AppTest {
protected:
    void SetUp() override {
        AppTest::SetUp();
        addUser(QStringLiteral("kim"), QStringLiteral("김철수"), 3, QStringLiteral("pw1"));
        registerMac(QStringLiteral("001A2B3C4D5E"), QStringLiteral("kim"));
        ASSERT_TRUE(s_db->connectGlobal());
    }

    // Shows the window and lets the queued first activation run.
    void showAndSettle(frmLogin& login) {
        login.show();
        ASSERT_TRUE(QTest::qWaitForWindowExposed(&login));
        QApplication::setActiveWindow(&login);
        QTest::qWait(30);
    }
};

TEST_F(LoginTest, RightPasswordSignsInAndFillsTheUserGlobals) {
    ScopedScriptedMessageBoxes boxes;
    frmLogin login;
    showAndSettle(login);
    EXPECT_TRUE(login.isVisible()) << "nothing stored: no automatic sign-in";
    QTest::keyClicks(login.txtUserName, QStringLiteral("kim"));
    QTest::keyClicks(login.txtPassword, QStringLiteral("pw1"));
    QTest::mouseClick(login.cmdOK, Qt::LeftButton);

    EXPECT_TRUE(login.LoginSucceeded);
    EXPECT_FALSE(login.isVisible());
    EXPECT_EQ(login.result(), QDialog::Accepted);
    EXPECT_EQ(gUserId, QStringLiteral("kim"));
    EXPECT_EQ(gUserName, QStringLiteral("김철수"));
    EXPECT_EQ(gUserLevel, 3);
    EXPECT_TRUE(boxes.shown().isEmpty()) << boxes.texts().join(u'|').toStdString();
    EXPECT_EQ(setting(QStringLiteral("userid")), QStringLiteral("kim")) << "the typed id is remembered";
}

TEST_F(LoginTest, WrongPasswordKeepsTheWindowOpenAndRetriesWork) {
    ScopedScriptedMessageBoxes boxes;
    frmLogin login;
    showAndSettle(login);
    login.txtUserName->setText(QStringLiteral("kim"));
    login.txtPassword->setFocus();
    QTest::qWait(10);
    QTest::keyClicks(login.txtPassword, QStringLiteral("nope"));
    QTest::keyClick(login.txtPassword, Qt::Key_Return);

    ASSERT_EQ(boxes.shown().size(), 1);
    EXPECT_EQ(boxes.shown()[0].text, kWrongPassword);
    EXPECT_EQ(boxes.shown()[0].title, QStringLiteral("로그인"));
    EXPECT_EQ(MsgButtonsOf(boxes.shown()[0].style), vbOKOnly);
    EXPECT_FALSE(login.LoginSucceeded);
    EXPECT_TRUE(login.isVisible());
    EXPECT_TRUE(gUserId.isEmpty());
    EXPECT_EQ(QApplication::focusWidget(), login.txtPassword);
    // The old text is selected, so the retyped password replaces it.
    QTest::qWait(10);
    EXPECT_EQ(login.txtPassword->selectedText(), QStringLiteral("nope"));

    QTest::keyClicks(login.txtPassword, QStringLiteral("pw1"));
    EXPECT_EQ(login.txtPassword->text(), QStringLiteral("pw1"));
    QTest::keyClick(login.txtPassword, Qt::Key_Enter);
    EXPECT_TRUE(login.LoginSucceeded);
    EXPECT_EQ(boxes.shown().size(), 1);
}

TEST_F(LoginTest, WrongPasswordAfterTheOkButtonSelectsThePassword) {
    ScopedScriptedMessageBoxes boxes;
    frmLogin login;
    showAndSettle(login);
    login.txtUserName->setText(QStringLiteral("kim"));
    login.txtPassword->setFocus();
    QTest::qWait(10);
    QTest::keyClicks(login.txtPassword, QStringLiteral("nope"));
    QTest::mouseClick(login.cmdOK, Qt::LeftButton);
    ASSERT_EQ(boxes.texts(), QStringList{kWrongPassword});
    QTest::qWait(10);
    EXPECT_EQ(QApplication::focusWidget(), login.txtPassword);
    EXPECT_EQ(login.txtPassword->selectedText(), QStringLiteral("nope"));
}

TEST_F(LoginTest, EnterInTheIdBoxMovesToThePasswordBoxAndOnTheCheckBoxSignsIn) {
    ScopedScriptedMessageBoxes boxes;
    frmLogin login;
    showAndSettle(login);
    login.txtUserName->setFocus();
    QTest::keyClicks(login.txtUserName, QStringLiteral("kim"));
    QTest::keyClick(login.txtUserName, Qt::Key_Return);
    EXPECT_EQ(QApplication::focusWidget(), login.txtPassword);
    EXPECT_TRUE(login.isVisible()) << "Enter in the id box is not OK";
    QTest::keyClicks(login.txtPassword, QStringLiteral("pw1"));
    login.chkpwdSave->setFocus();
    QTest::keyClick(login.chkpwdSave, Qt::Key_Return);
    EXPECT_TRUE(login.LoginSucceeded);
    EXPECT_TRUE(boxes.shown().isEmpty());
}

// Quotes and backslashes reach the server doubled, so they are compared as typed
// and can never change the statement.
TEST_F(LoginTest, QuotesAndBackslashesInIdAndPassword) {
    addUser(QStringLiteral("o'brien\\x"), QStringLiteral("오브라이언"), 2, QStringLiteral("it's\\a'b"));
    struct Case {
        QString id;
        QString password;
        bool succeeds;
    };
    const Case cases[] = {
        {QStringLiteral("o'brien\\x"), QStringLiteral("it's\\a'b"), true},
        {QStringLiteral("o'brien\\x"), QStringLiteral("it's\\a'c"), false},
        {QStringLiteral("kim"), QStringLiteral("' OR '1'='1"), false},
        {QStringLiteral("kim' -- "), QStringLiteral("x"), false},
        {QStringLiteral("kim"), QStringLiteral("pw1\\"), false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.id.toStdString() + " / " + c.password.toStdString());
        ScopedScriptedMessageBoxes boxes;
        gUserName.clear();
        frmLogin login;
        showAndSettle(login);
        login.txtUserName->setText(c.id);
        login.txtPassword->setText(c.password);
        login.cmdOK_Click();
        EXPECT_EQ(login.LoginSucceeded, c.succeeds);
        if (c.succeeds) {
            EXPECT_EQ(gUserId, c.id);
            EXPECT_EQ(gUserName, QStringLiteral("오브라이언")) << "the name query finds the quoted id";
            EXPECT_EQ(gUserLevel, 2);
            EXPECT_TRUE(boxes.shown().isEmpty()) << boxes.texts().join(u'|').toStdString();
        } else {
            ASSERT_EQ(boxes.shown().size(), 1) << boxes.texts().join(u'|').toStdString();
            EXPECT_EQ(boxes.shown()[0].text, kWrongPassword);
        }
    }
}

TEST_F(LoginTest, StoredIdAndPasswordSignInOnFirstActivationOnly) {
    writeSettings(QStringLiteral("kim"), QStringLiteral("pw1"), QStringLiteral("1"));
    ScopedScriptedMessageBoxes boxes;
    frmLogin login;
    EXPECT_EQ(login.txtUserName->text(), QStringLiteral("kim"));
    EXPECT_EQ(login.txtPassword->text(), QStringLiteral("pw1"));
    EXPECT_TRUE(login.chkpwdSave->isChecked());
    EXPECT_EQ(login.txtUserName->focusPolicy(), Qt::ClickFocus) << "a loaded id leaves the tab order";
    login.show();
    ASSERT_TRUE(QTest::qWaitFor([&] { return login.LoginSucceeded; }, 2000));
    EXPECT_FALSE(login.isVisible());
    EXPECT_EQ(gUserName, QStringLiteral("김철수"));
    EXPECT_TRUE(boxes.shown().isEmpty());
    EXPECT_EQ(m_adapterQueries, 1);
}

TEST_F(LoginTest, ReactivatingDoesNotRepeatTheAllowanceCheck) {
    writeSettings(QStringLiteral("kim"), QStringLiteral("stale"), QStringLiteral("1"));
    ScopedScriptedMessageBoxes boxes;
    frmLogin login;
    showAndSettle(login);
    // The stored password is wrong: one automatic attempt, one message.
    ASSERT_EQ(boxes.texts(), QStringList{kWrongPassword});
    EXPECT_EQ(m_adapterQueries, 1);
    login.hide();
    QTest::qWait(10);
    showAndSettle(login);
    QWidget other;
    other.show();
    QApplication::setActiveWindow(&other);
    QApplication::setActiveWindow(&login);
    QTest::qWait(30);
    EXPECT_EQ(m_adapterQueries, 1);
    EXPECT_EQ(boxes.texts(), QStringList{kWrongPassword});
    EXPECT_FALSE(login.LoginSucceeded);
}

TEST_F(LoginTest, OnlyChangesMadeOnScreenAreRemembered) {
    writeSettings(QStringLiteral("kim"), QStringLiteral(""), QStringLiteral("0"));
    ScopedScriptedMessageBoxes boxes;
    frmLogin login;
    showAndSettle(login);
    EXPECT_EQ(setting(QStringLiteral("userid")), QStringLiteral("kim"));

    // Ticking stores the flag and the password as it stands.
    login.txtPassword->setText(QStringLiteral("secret"));
    QTest::mouseClick(login.chkpwdSave, Qt::LeftButton);
    EXPECT_EQ(setting(QStringLiteral("issave_passwd")), QStringLiteral("1"));
    EXPECT_EQ(rememberedPassword(QStringLiteral("kim")), QStringLiteral("secret"));

    // Editing the password and leaving the box stores the new one.
    login.txtPassword->setFocus();
    QTest::keyClick(login.txtPassword, Qt::Key_End);
    QTest::keyClicks(login.txtPassword, QStringLiteral("2"));
    login.txtUserName->setFocus();
    EXPECT_EQ(rememberedPassword(QStringLiteral("kim")), QStringLiteral("secret2"));

    // Unticking clears the stored password at once.
    QTest::mouseClick(login.chkpwdSave, Qt::LeftButton);
    EXPECT_EQ(setting(QStringLiteral("issave_passwd")), QStringLiteral("0"));
    EXPECT_EQ(rememberedPassword(QStringLiteral("kim")), QString());

    // Without the tick, leaving an edited password box stores nothing.
    login.txtPassword->setFocus();
    QTest::keyClicks(login.txtPassword, QStringLiteral("3"));
    login.txtUserName->setFocus();
    EXPECT_EQ(rememberedPassword(QStringLiteral("kim")), QString());

    login.txtUserName->selectAll();
    QTest::keyClicks(login.txtUserName, QStringLiteral("lee"));
    EXPECT_EQ(setting(QStringLiteral("userid")), QStringLiteral("lee"));
    EXPECT_TRUE(boxes.shown().isEmpty());
}

TEST_F(LoginTest, LoadingWritesNothingBack) {
    ScopedScriptedMessageBoxes boxes;
    {
        frmLogin login;
        EXPECT_TRUE(login.txtUserName->text().isEmpty());
        EXPECT_FALSE(login.chkpwdSave->isChecked());
        EXPECT_EQ(login.txtUserName->focusPolicy(), Qt::StrongFocus);
    }
    EXPECT_EQ(setting(QStringLiteral("userid")), QStringLiteral("<absent>"));
    EXPECT_EQ(setting(QStringLiteral("issave_passwd")), QStringLiteral("<absent>"));
}

TEST_F(LoginTest, RegisteredIdPreFillsTheIdBox) {
    struct Case {
        QString registeredTo;
        QString expected;
    };
    const Case cases[] = {
        {QStringLiteral("hbr"), QStringLiteral("hbr")},       {QStringLiteral("pyn"), QStringLiteral("pyn")},
        {QStringLiteral("wonjae"), QStringLiteral("wonjae")}, {QStringLiteral("ksd"), QStringLiteral("seoul")},
        {QStringLiteral("dahyun"), QStringLiteral("seoul")},  {QStringLiteral("jmo"), QStringLiteral("seoul")},
        {QStringLiteral("ruso"), QStringLiteral("seoul")},    {QStringLiteral("lee"), QStringLiteral("kim")},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.registeredTo.toStdString());
        s_db->exec(QStringLiteral("DELETE FROM user_mac"));
        registerMac(QStringLiteral("001A2B3C4D5E"), c.registeredTo);
        writeSettings(QStringLiteral("kim"), QString(), QStringLiteral("0"));
        ScopedScriptedMessageBoxes boxes;
        frmLogin login;
        showAndSettle(login);
        EXPECT_EQ(login.txtUserName->text(), c.expected);
        EXPECT_EQ(setting(QStringLiteral("userid")), c.expected) << "the pre-fill happens on screen";
        EXPECT_FALSE(login.LoginSucceeded) << "no password: no automatic sign-in";
        EXPECT_TRUE(boxes.shown().isEmpty());
    }
}

TEST_F(LoginTest, UnregisteredOrBlockedComputerEndsTheProgram) {
    struct Case {
        const char* what;
        int block;
        QString mac;
    };
    const Case cases[] = {
        {"blocked", 1, QStringLiteral("001A2B3C4D5E")},
        {"other computer", 0, QStringLiteral("FFFFFFFFFFFF")},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        s_db->exec(QStringLiteral("DELETE FROM user_mac"));
        registerMac(c.mac, QStringLiteral("kim"), c.block);
        writeSettings(QStringLiteral("kim"), QStringLiteral("pw1"), QStringLiteral("1"));
        m_exitCodes.clear();
        ASSERT_TRUE(gDB || s_db->connectGlobal());
        ScopedScriptedMessageBoxes boxes;
        frmLogin login;
        showAndSettle(login);
        ASSERT_EQ(boxes.shown().size(), 1) << boxes.texts().join(u'|').toStdString();
        EXPECT_EQ(boxes.shown()[0].text, kUnregistered);
        EXPECT_EQ(boxes.shown()[0].title, QStringLiteral("업무일정"));
        EXPECT_EQ(MsgIconOf(boxes.shown()[0].style), vbInformation);
        EXPECT_EQ(m_exitCodes, QList<int>{0});
        EXPECT_FALSE(login.LoginSucceeded) << "the stored password is never tried";
        EXPECT_FALSE(gDB) << "the exit closed the connection";
    }
}

// Start-up goes on to the login window after a failed connection; the allowance
// check then fails on its own connection and the program ends there.
TEST_F(LoginTest, MissingConnectionEndsThroughTheUnregisteredPath) {
    DBClose();
    gDBServerHost = QStringLiteral("127.0.0.1:1");
    writeSettings(QStringLiteral("kim"), QStringLiteral("pw1"), QStringLiteral("1"));
    ScopedScriptedMessageBoxes boxes;
    frmLogin login;
    showAndSettle(login);
    ASSERT_EQ(boxes.shown().size(), 2) << boxes.texts().join(u'|').toStdString();
    EXPECT_TRUE(boxes.shown()[0].text.startsWith(QStringLiteral("Error "))) << boxes.shown()[0].text.toStdString();
    EXPECT_EQ(boxes.shown()[1].text, kUnregistered);
    EXPECT_EQ(m_exitCodes, QList<int>{0});
    // Pressing OK without a connection is a wrong password, not a crash.
    login.cmdOK_Click();
    EXPECT_FALSE(login.LoginSucceeded);
    EXPECT_EQ(boxes.shown().last().text, kWrongPassword);
}

TEST_F(LoginTest, CancelAndEscapeGiveUp) {
    ScopedScriptedMessageBoxes boxes;
    frmLogin login;
    showAndSettle(login);
    QTest::mouseClick(login.cmdCancel, Qt::LeftButton);
    EXPECT_FALSE(login.LoginSucceeded);
    EXPECT_FALSE(login.isVisible());

    frmLogin second;
    showAndSettle(second);
    second.txtUserName->setFocus();
    QTest::keyClick(second.txtUserName, Qt::Key_Escape);
    EXPECT_FALSE(second.isVisible());
    EXPECT_FALSE(second.LoginSucceeded);
    EXPECT_TRUE(m_exitCodes.isEmpty()) << "the window itself does not end the program";
}

} // namespace
} // namespace worktide::test
