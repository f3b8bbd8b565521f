#pragma once

#include "common/ScopedState.h"
#include "common/TestDb.h"
#include "db/modDodamDBConsts.h"
#include "support/Globals.h"
#include "support/ProcessExit.h"

#include <QList>
#include <QString>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <memory>

// Shared set-up of the start-up and sign-in tests: a scratch database that both
// the global connection and the allowance check open, a settings file of the
// test's own, one fake network adapter and an exit handler that only records.
namespace worktide::test {

class AppTest : public ::testing::Test {
protected:
    static void SetUpTestSuite();
    static void TearDownTestSuite();
    void SetUp() override;
    void TearDown() override;

    // Registers mac for userId (block 0 or 1).
    void registerMac(const QString& mac, const QString& userId, int block = 0) const;
    // Adds a user whose password2 is the hash of password, as the program computes it.
    void addUser(const QString& id, const QString& name, int level, const QString& password, int hidden = 0,
                 int groupcode = 1) const;
    // The adapters the program sees from now on.
    void setAdapters(const QList<NetworkAdapter>& adapters);
    // "'" doubled for the test's own SQL literals.
    static QString Quote(const QString& text);

    QString settingsPath() const;
    void writeSettings(const QString& userId, const QString& password, const QString& saveFlag) const;
    QString setting(const QString& key) const;
    // The password kept for userId: in the settings, or in the desktop's secret store where
    // the tests can reach one (on Windows).
    QString rememberedPassword(const QString& userId) const;

    static ScratchDatabase* s_db;
    std::unique_ptr<QTemporaryDir> m_dir;
    QList<int> m_exitCodes;
    int m_adapterQueries = 0;
    // Nobody signed in, an exit handler that only records, and the adapter list
    // (setAdapters) put back as it was when the test ends.
    ScopedValue<QString> m_appTitle{gAppTitle, QStringLiteral("업무일정")};
    ScopedValue<QString> m_dbHost{gDBServerHost, DbServer::host()};
    ScopedSignedInUser m_user{QString()};
    ScopedExitHandler m_exit{[this](int code) { m_exitCodes.append(code); }};
    ScopedAdapterSource m_adapters{{}};
};

} // namespace worktide::test
