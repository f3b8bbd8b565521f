// The remembered password with each kind of secret service. Every suite runs only under
// scripts/secret-session in its own mode (see tests/CMakeLists.txt) and skips elsewhere.
#include "app/AppTestSupport.h"

#include "app/RememberedPassword.h"
#include "app/frmLogin.h"
#include "support/Globals.h"
#include "support/MsgBox.h"
#include "support/SecretStore.h"

#include <QApplication>
#include <QCheckBox>
#include <QElapsedTimer>
#include <QFile>
#include <QLineEdit>
#include <QTest>

#include <sys/stat.h>

namespace worktide::test {
namespace {

const QString kWrongPassword = QStringLiteral("암호가 잘못되었습니다. 다시 시도하십시오");

class SecretLoginTest : public AppTest {
protected:
    explicit SecretLoginTest(QStringList modes) : m_modes(std::move(modes)) {}

    void SetUp() override {
        const QString mode = qEnvironmentVariable("WORKTIDE_TEST_SECRET_SESSION");
        if (!m_modes.contains(mode))
            GTEST_SKIP() << "runs under scripts/secret-session " << m_modes.join(u'|').toStdString();
        AppTest::SetUp();
        addUser(QStringLiteral("kim"), QStringLiteral("김철수"), 3, QStringLiteral("pw1"));
        registerMac(QStringLiteral("001A2B3C4D5E"), QStringLiteral("kim"));
        ASSERT_TRUE(s_db->connectGlobal());
        m_elapsed.start();
    }

    void showAndSettle(frmLogin& login) {
        login.show();
        ASSERT_TRUE(QTest::qWaitForWindowExposed(&login));
        QApplication::setActiveWindow(&login);
        QTest::qWait(30);
    }

    static QString secretOf(const QString& userId) {
        QString secret;
        switch (ReadSecret(kPasswordService, userId, secret)) {
        case SecretStatus::Ok:
            return secret;
        case SecretStatus::NotFound:
            return QStringLiteral("<none>");
        case SecretStatus::Unavailable:
            break;
        }
        return QStringLiteral("<unavailable>");
    }

    QByteArray fileBytes() const {
        QFile file(settingsPath());
        return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
    }

    QStringList m_modes;
    QElapsedTimer m_elapsed;
};

class KeyringLogin : public SecretLoginTest {
protected:
    KeyringLogin() : SecretLoginTest({QStringLiteral("keyring")}) {}
};

class NoSecretService : public SecretLoginTest {
protected:
    NoSecretService() : SecretLoginTest({QStringLiteral("none"), QStringLiteral("bus"), QStringLiteral("locked")}) {}
};

class StuckSecretService : public SecretLoginTest {
protected:
    StuckSecretService() : SecretLoginTest({QStringLiteral("frozen")}) {}
};

TEST_F(KeyringLogin, TickingKeepsThePasswordInTheKeyringOnlyAndUntickingRemovesIt) {
    ScopedScriptedMessageBoxes boxes;
    frmLogin login;
    showAndSettle(login);
    QTest::keyClicks(login.txtUserName, QStringLiteral("kim"));
    login.txtPassword->setText(QStringLiteral("pw1"));
    QTest::mouseClick(login.chkpwdSave, Qt::LeftButton);
    EXPECT_EQ(secretOf(QStringLiteral("kim")), QStringLiteral("pw1"));
    EXPECT_EQ(setting(QStringLiteral("issave_passwd")), QStringLiteral("1"));
    EXPECT_EQ(setting(QStringLiteral("passwd")), QString()) << "the key stays, empty";

    // A changed password follows into the keyring when the box is left.
    login.txtPassword->setFocus();
    QTest::keyClick(login.txtPassword, Qt::Key_End);
    QTest::keyClicks(login.txtPassword, QStringLiteral("x"));
    login.txtUserName->setFocus();
    EXPECT_EQ(secretOf(QStringLiteral("kim")), QStringLiteral("pw1x"));
    EXPECT_FALSE(fileBytes().contains("pw1")) << fileBytes().toStdString();

    QTest::mouseClick(login.chkpwdSave, Qt::LeftButton);
    EXPECT_EQ(secretOf(QStringLiteral("kim")), QStringLiteral("<none>"));
    EXPECT_EQ(setting(QStringLiteral("passwd")), QString());
    EXPECT_EQ(setting(QStringLiteral("issave_passwd")), QStringLiteral("0"));
    EXPECT_TRUE(boxes.shown().isEmpty()) << boxes.texts().join(u'|').toStdString();
}

TEST_F(KeyringLogin, PasswordLeftInTheFileMovesOnSuccessfulSignInAndSignsInFromThere) {
    ScopedScriptedMessageBoxes boxes;
    // A failed sign-in moves nothing.
    writeSettings(QStringLiteral("kim"), QStringLiteral("stale"), QStringLiteral("1"));
    {
        frmLogin login;
        showAndSettle(login);
        EXPECT_FALSE(login.LoginSucceeded);
    }
    EXPECT_EQ(setting(QStringLiteral("passwd")), QStringLiteral("stale"));
    EXPECT_EQ(secretOf(QStringLiteral("kim")), QStringLiteral("<none>"));

    writeSettings(QStringLiteral("kim"), QStringLiteral("pw1"), QStringLiteral("1"));
    {
        frmLogin login;
        login.show();
        ASSERT_TRUE(QTest::qWaitFor([&] { return login.LoginSucceeded; }, 2000));
    }
    EXPECT_EQ(secretOf(QStringLiteral("kim")), QStringLiteral("pw1"));
    EXPECT_EQ(setting(QStringLiteral("passwd")), QString());
    EXPECT_FALSE(fileBytes().contains("pw1")) << fileBytes().toStdString();

    // From the keyring now, the same automatic sign-in.
    gUserName.clear();
    frmLogin next;
    EXPECT_EQ(next.txtPassword->text(), QStringLiteral("pw1"));
    next.show();
    EXPECT_TRUE(QTest::qWaitFor([&] { return next.LoginSucceeded; }, 2000));
    EXPECT_EQ(gUserName, QStringLiteral("김철수"));
    EXPECT_EQ(boxes.texts(), QStringList{kWrongPassword});

    // Not ticked: the keyring is not asked and the box starts empty.
    SaveLoginSetting(QStringLiteral("issave_passwd"), QStringLiteral("0"));
    frmLogin unticked;
    EXPECT_TRUE(unticked.txtPassword->text().isEmpty());
}

// No service at all, a bus on which none can start, or a keyring that can only be
// opened through a prompt nobody can answer: the private file, silently and without any
// wait running out.
TEST_F(NoSecretService, ThePrivateFileKeepsThePassword) {
    // A locked keyring still answers a search, with nothing.
    EXPECT_EQ(secretOf(QStringLiteral("kim")), qEnvironmentVariable("WORKTIDE_TEST_SECRET_SESSION") == u"locked"
                                                   ? QStringLiteral("<none>")
                                                   : QStringLiteral("<unavailable>"));
    ScopedScriptedMessageBoxes boxes;
    {
        frmLogin login;
        showAndSettle(login);
        QTest::keyClicks(login.txtUserName, QStringLiteral("kim"));
        login.txtPassword->setText(QStringLiteral("pw1"));
        QTest::mouseClick(login.chkpwdSave, Qt::LeftButton);
        EXPECT_EQ(setting(QStringLiteral("passwd")), QStringLiteral("pw1"));
        login.cmdOK_Click();
        EXPECT_TRUE(login.LoginSucceeded);
    }
    EXPECT_EQ(setting(QStringLiteral("passwd")), QStringLiteral("pw1")) << "nothing to move it to";
    struct stat st {};
    ASSERT_EQ(::stat(QFile::encodeName(settingsPath()).constData(), &st), 0);
    EXPECT_EQ(st.st_mode & 0777, 0600u);

    frmLogin again;
    again.show();
    ASSERT_TRUE(QTest::qWaitFor([&] { return again.LoginSucceeded; }, 2000));
    QTest::qWait(30);
    QTest::mouseClick(again.chkpwdSave, Qt::LeftButton);
    EXPECT_EQ(setting(QStringLiteral("passwd")), QString());
    EXPECT_TRUE(boxes.shown().isEmpty()) << boxes.texts().join(u'|').toStdString();
    EXPECT_LT(m_elapsed.elapsed(), kSecretWaitLimit.count()) << "no request waited for an answer";
}

// A service that owns its name but never answers costs one bounded wait, then the file
// serves as if there were none.
TEST_F(StuckSecretService, FallsBackToTheFileWithinOneWait) {
    writeSettings(QStringLiteral("kim"), QString(), QStringLiteral("1"));
    ScopedScriptedMessageBoxes boxes;
    {
        frmLogin login;
        EXPECT_GE(m_elapsed.elapsed(), kSecretWaitLimit.count()) << "the kept password was asked for";
        EXPECT_TRUE(login.txtPassword->text().isEmpty());
        showAndSettle(login);
        login.txtPassword->setFocus();
        QTest::keyClicks(login.txtPassword, QStringLiteral("pw1"));
        QTest::keyClick(login.txtPassword, Qt::Key_Return);
        EXPECT_TRUE(login.LoginSucceeded);
    }
    EXPECT_EQ(setting(QStringLiteral("passwd")), QStringLiteral("pw1"));
    frmLogin again;
    again.show();
    ASSERT_TRUE(QTest::qWaitFor([&] { return again.LoginSucceeded; }, 2000));
    EXPECT_TRUE(boxes.shown().isEmpty()) << boxes.texts().join(u'|').toStdString();
    EXPECT_LT(m_elapsed.elapsed(), 2 * kSecretWaitLimit.count()) << "one wait, not one per request";
}

} // namespace
} // namespace worktide::test
