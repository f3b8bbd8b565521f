// The user's own stores on every platform: the settings (an ini file on Linux, the registry
// on Windows) and the remembered password (the secret service, the Credential Manager).
#include "support/SecretStore.h"
#include "support/UserSettings.h"

#include <QCoreApplication>
#include <QSettings>
#include <QSysInfo>

#include <gtest/gtest.h>

using namespace worktide;

namespace {

bool OnWindows() {
    return QSysInfo::kernelType() == u"winnt";
}

// A key of this run only, removed again at the end.
class UserSettingsStore : public ::testing::Test {
protected:
    void SetUp() override { SetLoginSettingsFile({}); }
    void TearDown() override {
        auto settings = OpenLoginSettings();
        settings->remove(QStringLiteral("Config/") + m_key);
        settings->sync();
    }
    const QString m_key = QStringLiteral("StoreTest%1").arg(QCoreApplication::applicationPid());
};

TEST_F(UserSettingsStore, AValueWrittenIsKeptInThePlatformsOwnStoreAndSurvivesANewHandle) {
    const QString value = QStringLiteral("김도담 %1").arg(QCoreApplication::applicationPid());
    SaveLoginSetting(m_key, value);
    EXPECT_EQ(LoginSetting(m_key), value);

    const auto settings = OpenLoginSettings();
    if (OnWindows()) {
        EXPECT_EQ(settings->format(), QSettings::NativeFormat);
        EXPECT_EQ(settings->fileName(), QStringLiteral("\\HKEY_CURRENT_USER\\Software\\Worktide\\도담 스케줄관리"));
    } else {
        EXPECT_EQ(settings->format(), QSettings::IniFormat);
        EXPECT_TRUE(settings->fileName().endsWith(QStringLiteral("/Worktide/도담 스케줄관리.ini")))
            << qPrintable(settings->fileName());
    }
    // Read back from the store itself, by its full name, as another program would.
    const QString where =
        OnWindows() ? QStringLiteral("HKEY_CURRENT_USER\\Software\\Worktide\\도담 스케줄관리") : settings->fileName();
    QSettings raw(where, settings->format());
    EXPECT_EQ(raw.value(QStringLiteral("Config/") + m_key).toString(), value);

    SaveLoginSetting(m_key, QStringLiteral("2"));
    EXPECT_EQ(QSettings(where, settings->format()).value(QStringLiteral("Config/") + m_key).toString(), u"2");
}

// The same expectations for the Credential Manager and for a real secret service. A Linux run
// without its own session (scripts/secret-session) must not reach the user's keyring and
// finds no service; Windows always has its store.
class SecretStore : public ::testing::Test {
protected:
    void SetUp() override {
        if (!OnWindows() && qEnvironmentVariable("WORKTIDE_TEST_SECRET_SESSION") != u"keyring")
            GTEST_SKIP() << "runs on Windows, or under scripts/secret-session keyring";
        DeleteSecret(kService, m_account);
    }
    void TearDown() override { DeleteSecret(kService, m_account); }

    const QString kService = QStringLiteral("도담 스케줄관리 시험");
    const QString m_account = QStringLiteral("user%1").arg(QCoreApplication::applicationPid());
};

TEST_F(SecretStore, KeepsReplacesAndForgetsAPasswordPerAccount) {
    QString secret = QStringLiteral("untouched");
    EXPECT_EQ(ReadSecret(kService, m_account, secret), SecretStatus::NotFound);
    EXPECT_EQ(secret, u"untouched");

    // Korean, blanks and a character beyond the first plane come back exactly.
    const QString password = QStringLiteral("비밀 pass;1 😀");
    ASSERT_EQ(WriteSecret(kService, m_account, password), SecretStatus::Ok);
    ASSERT_EQ(ReadSecret(kService, m_account, secret), SecretStatus::Ok);
    EXPECT_EQ(secret, password);

    // Another account of the same service is another entry.
    const QString other = m_account + QStringLiteral("b");
    ASSERT_EQ(WriteSecret(kService, other, QStringLiteral("other")), SecretStatus::Ok);
    ASSERT_EQ(WriteSecret(kService, m_account, QStringLiteral("second")), SecretStatus::Ok);
    ASSERT_EQ(ReadSecret(kService, m_account, secret), SecretStatus::Ok);
    EXPECT_EQ(secret, u"second");
    ASSERT_EQ(ReadSecret(kService, other, secret), SecretStatus::Ok);
    EXPECT_EQ(secret, u"other");

    EXPECT_EQ(DeleteSecret(kService, other), SecretStatus::Ok);
    EXPECT_EQ(ReadSecret(kService, other, secret), SecretStatus::NotFound);
    ASSERT_EQ(ReadSecret(kService, m_account, secret), SecretStatus::Ok);
    EXPECT_EQ(secret, u"second");
}

} // namespace
