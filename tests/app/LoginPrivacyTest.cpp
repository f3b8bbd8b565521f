#include "AppTestSupport.h"

#include "app/frmLogin.h"
#include "support/Globals.h"
#include "support/MsgBox.h"

#include <QApplication>
#include <QCheckBox>
#include <QDir>
#include <QLineEdit>
#include <QSettings>
#include <QTest>

#include <sys/stat.h>

namespace worktide::test {
namespace {

int ModeOf(const QString& path) {
    struct stat st {};
    if (::stat(QFile::encodeName(path).constData(), &st) != 0)
        return -1;
    return static_cast<int>(st.st_mode & 07777);
}

// The usual umask, under which anything created without care is readable by all.
class ScopedUmask {
public:
    explicit ScopedUmask(mode_t mask) : m_previous(::umask(mask)) {}
    ~ScopedUmask() { ::umask(m_previous); }
    ScopedUmask(const ScopedUmask&) = delete;
    ScopedUmask& operator=(const ScopedUmask&) = delete;

private:
    mode_t m_previous;
};

class LoginPrivacyTest : public AppTest {
protected:
    void SetUp() override {
        AppTest::SetUp();
        addUser(QStringLiteral("kim"), QStringLiteral("김철수"), 3, QStringLiteral("pw1"));
        registerMac(QStringLiteral("001A2B3C4D5E"), QStringLiteral("kim"));
        ASSERT_TRUE(s_db->connectGlobal());
        m_folder = m_dir->filePath(QStringLiteral("Worktide"));
        m_file = m_folder + QStringLiteral("/도담 스케줄관리.ini");
        SetLoginSettingsFile(m_file);
    }

    void showAndSettle(frmLogin& login) {
        login.show();
        ASSERT_TRUE(QTest::qWaitForWindowExposed(&login));
        QApplication::setActiveWindow(&login);
        QTest::qWait(30);
    }

    QString m_folder;
    QString m_file;
};

// No secret service in this run: the password stays in the file, which must be private
// from the first byte written, and stay so through every rewrite.
TEST_F(LoginPrivacyTest, FirstWriteCreatesAPrivateFileInAPrivateFolder) {
    ScopedUmask usual(022);
    ScopedScriptedMessageBoxes boxes;
    frmLogin login;
    showAndSettle(login);
    EXPECT_FALSE(QFileInfo::exists(m_folder)) << "reading creates nothing";

    login.txtUserName->setText(QStringLiteral("kim")); // exactly one write
    EXPECT_EQ(ModeOf(m_folder), 0700);
    EXPECT_EQ(ModeOf(m_file), 0600);
    login.txtPassword->setText(QStringLiteral("pw1"));
    QTest::mouseClick(login.chkpwdSave, Qt::LeftButton);
    login.cmdOK_Click();
    EXPECT_TRUE(login.LoginSucceeded);
    EXPECT_EQ(ModeOf(m_folder), 0700);
    EXPECT_EQ(ModeOf(m_file), 0600);
    QSettings file(m_file, QSettings::IniFormat);
    EXPECT_EQ(file.value(QStringLiteral("Config/passwd")).toString(), QStringLiteral("pw1"));
    EXPECT_EQ(file.value(QStringLiteral("Config/userid")).toString(), QStringLiteral("kim"));
    EXPECT_EQ(QDir(m_folder).entryList(QDir::Files | QDir::Hidden), QStringList{QStringLiteral("도담 스케줄관리.ini")})
        << "no temporary or lock file is left behind";
    EXPECT_TRUE(boxes.shown().isEmpty()) << boxes.texts().join(u'|').toStdString();
}

// Settings written before this version are closed at the first look, and still read.
TEST_F(LoginPrivacyTest, WideFileAndFolderAreTightenedBeforeLoading) {
    struct Case {
        int file;
        int folder;
    };
    const Case cases[] = {{0644, 0755}, {0666, 0777}, {0640, 0750}, {0600, 0700}, {0400, 0711}};
    for (const Case& c : cases) {
        SCOPED_TRACE(QStringLiteral("file %1, folder %2").arg(c.file, 0, 8).arg(c.folder, 0, 8).toStdString());
        QDir(m_folder).removeRecursively();
        ASSERT_TRUE(QDir().mkpath(m_folder));
        {
            QSettings raw(m_file, QSettings::IniFormat);
            raw.setValue(QStringLiteral("Config/userid"), QStringLiteral("kim"));
            raw.setValue(QStringLiteral("Config/passwd"), QStringLiteral("pw1"));
            raw.setValue(QStringLiteral("Config/issave_passwd"), QStringLiteral("1"));
        }
        ASSERT_EQ(::chmod(QFile::encodeName(m_file).constData(), static_cast<mode_t>(c.file)), 0);
        ASSERT_EQ(::chmod(QFile::encodeName(m_folder).constData(), static_cast<mode_t>(c.folder)), 0);

        frmLogin login;
        EXPECT_EQ(ModeOf(m_folder), c.folder & 0700);
        EXPECT_EQ(ModeOf(m_file), c.file & 0700);
        EXPECT_EQ(login.txtUserName->text(), QStringLiteral("kim"));
        EXPECT_EQ(login.txtPassword->text(), QStringLiteral("pw1"));
        EXPECT_TRUE(login.chkpwdSave->isChecked());
    }
}

// A settings file placed straight in a shared folder is closed itself, but the folder,
// which belongs to everyone, is not.
TEST_F(LoginPrivacyTest, SharedFolderIsLeftAlone) {
    m_folder = m_dir->filePath(QStringLiteral("shared"));
    m_file = m_folder + QStringLiteral("/login.ini");
    ASSERT_TRUE(QDir().mkpath(m_folder));
    ASSERT_EQ(::chmod(QFile::encodeName(m_folder).constData(), 01777), 0);
    SetLoginSettingsFile(m_file);
    {
        ScopedUmask usual(022);
        SaveLoginSetting(QStringLiteral("userid"), QStringLiteral("kim"));
    }
    EXPECT_EQ(ModeOf(m_file), 0600);
    EXPECT_EQ(ModeOf(m_folder), 01777);
}

} // namespace
} // namespace worktide::test
