#include "AppTestSupport.h"

#include "app/RememberedPassword.h"
#include "app/frmLogin.h"
#include "db/modMySQL_Func_lite.h"
#include "support/Globals.h"
#include "support/PasswordDigest.h"
#include "support/ProcessExit.h"
#include "support/SecretStore.h"

#include <QSettings>

namespace worktide::test {

ScratchDatabase* AppTest::s_db = nullptr;

void AppTest::SetUpTestSuite() {
    if (!s_db)
        s_db = new ScratchDatabase(QStringLiteral("app"));
}

void AppTest::TearDownTestSuite() {
    delete s_db;
    s_db = nullptr;
}

void AppTest::SetUp() {
    s_db->truncateAll();
    m_dir = std::make_unique<QTemporaryDir>();
    ASSERT_TRUE(m_dir->isValid());
    SetLoginSettingsFile(settingsPath());
    SetDBName(s_db->name());
    m_exitCodes.clear();
    setAdapters({{QStringLiteral("eth0"), QStringLiteral("00:1A:2B:3C:4D:5E")}});
}

void AppTest::TearDown() {
#ifdef _WIN32
    // The Credential Manager is the user's own, shared by every test program: no test
    // leaves a remembered password there for the next.
    const QString userId = LoginSetting(QStringLiteral("userid"));
    if (!userId.isEmpty())
        DeleteSecret(kPasswordService, userId);
#endif
    DBClose();
    SetDBName({});
    SetLoginSettingsFile({});
}

void AppTest::registerMac(const QString& mac, const QString& userId, int block) const {
    s_db->exec(QStringLiteral("INSERT INTO user_mac (user_id, mac_addr, block) VALUES ('%1', '%2', %3)")
                   .arg(Quote(userId), Quote(mac))
                   .arg(block));
}

void AppTest::addUser(const QString& id, const QString& name, int level, const QString& password, int hidden,
                      int groupcode) const {
    const QString hash = PasswordDigest(password).value_or(QString());
    s_db->exec(QStringLiteral("INSERT INTO user (id, name, level, password2, hidden, groupcode) "
                              "VALUES ('%1', '%2', %3, '%4', %5, %6)")
                   .arg(Quote(id), Quote(name))
                   .arg(level)
                   .arg(hash)
                   .arg(hidden)
                   .arg(groupcode));
}

void AppTest::setAdapters(const QList<NetworkAdapter>& adapters) {
    SetAdapterSource([this, adapters] {
        ++m_adapterQueries;
        return adapters;
    });
}

QString AppTest::Quote(const QString& text) {
    QString out = text;
    out.replace(QLatin1Char('\\'), QStringLiteral("\\\\"));
    out.replace(QLatin1Char('\''), QStringLiteral("''"));
    return out;
}

QString AppTest::settingsPath() const {
    return m_dir->filePath(QStringLiteral("login.ini"));
}

void AppTest::writeSettings(const QString& userId, const QString& password, const QString& saveFlag) const {
    SaveLoginSetting(QStringLiteral("userid"), userId);
    SaveLoginSetting(QStringLiteral("passwd"), password);
    SaveLoginSetting(QStringLiteral("issave_passwd"), saveFlag);
}

QString AppTest::rememberedPassword(const QString& userId) const {
    const QString filed = setting(QStringLiteral("passwd"));
#ifdef _WIN32
    // There the Credential Manager always takes it, and the settings keep it empty.
    QString secret;
    if (filed.isEmpty() && ReadSecret(kPasswordService, userId, secret) == SecretStatus::Ok)
        return secret;
#else
    Q_UNUSED(userId)
#endif
    return filed;
}

QString AppTest::setting(const QString& key) const {
    QSettings file(settingsPath(), QSettings::IniFormat);
    return file.value(QStringLiteral("Config/") + key, QStringLiteral("<absent>")).toString();
}

} // namespace worktide::test
