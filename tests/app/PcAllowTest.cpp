#include "AppTestSupport.h"

#include "common/DbFailureLog.h"
#include "db/modDodamDBConsts.h"
#include "support/Globals.h"
#include "support/MsgBox.h"

namespace worktide::test {
namespace {

using PcAllowTest = AppTest;

NetworkAdapter A(const char* mac) {
    return {QStringLiteral("if"), QString::fromLatin1(mac)};
}

TEST_F(PcAllowTest, FirstAdapterWithAnAddressWinsSeparatorsRemoved) {
    struct Case {
        QList<NetworkAdapter> adapters;
        QString expected;
    };
    const Case cases[] = {
        {{A("00:1A:2B:3C:4D:5E")}, QStringLiteral("001A2B3C4D5E")},
        {{A("00-1A-2B-3C-4D-5E")}, QStringLiteral("001A2B3C4D5E")},
        {{A(""), A("aa:bb:cc:dd:ee:ff"), A("11:22:33:44:55:66")}, QStringLiteral("aabbccddeeff")},
        {{A("11:22:33:44:55:66"), A("aa:bb:cc:dd:ee:ff")}, QStringLiteral("112233445566")},
        {{A(""), A("")}, QString()},
        {{}, QString()},
    };
    for (const Case& c : cases) {
        setAdapters(c.adapters);
        EXPECT_EQ(GetMyMacAddress(), c.expected);
    }
}

TEST_F(PcAllowTest, RegisteredUnblockedAddressGivesItsUser) {
    registerMac(QStringLiteral("AABBCCDDEEFF"), QStringLiteral("other"));
    registerMac(QStringLiteral("001A2B3C4D5E"), QStringLiteral("old"), 1);
    registerMac(QStringLiteral("001A2B3C4D5E"), QStringLiteral("kim"));
    registerMac(QStringLiteral("001A2B3C4D5E"), QStringLiteral("lee"));
    ScopedScriptedMessageBoxes boxes;
    EXPECT_EQ(GetAllowMyPC(), QStringLiteral("kim")) << "blocked rows skipped, first of two wins";
    EXPECT_TRUE(boxes.shown().isEmpty());
}

TEST_F(PcAllowTest, RefusedComputers) {
    struct Case {
        const char* what;
        QList<NetworkAdapter> adapters;
    };
    registerMac(QStringLiteral("001A2B3C4D5E"), QStringLiteral("kim"), 1);
    // An empty registration must not admit a computer without any address.
    registerMac(QString(), QStringLiteral("nobody"));
    const Case cases[] = {
        {"blocked", {A("00:1A:2B:3C:4D:5E")}},
        {"not registered", {A("00:1A:2B:3C:4D:5F")}},
        {"no enabled adapter", {}},
        {"adapter without an address", {A("")}},
        {"case differs", {A("00:1a:2b:3c:4d:5e")}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        setAdapters(c.adapters);
        ScopedScriptedMessageBoxes boxes;
        EXPECT_EQ(GetAllowMyPC(), QString());
        EXPECT_TRUE(boxes.shown().isEmpty());
    }
}

TEST_F(PcAllowTest, AddressIsQuotedSafely) {
    registerMac(QStringLiteral("ab'cd\\ef"), QStringLiteral("odd"));
    registerMac(QStringLiteral("001A2B3C4D5E"), QStringLiteral("kim"));
    ScopedScriptedMessageBoxes boxes;
    setAdapters({A("ab'cd\\ef")});
    EXPECT_EQ(GetAllowMyPC(), QStringLiteral("odd"));
    setAdapters({A("x' OR '1'='1")});
    EXPECT_EQ(GetAllowMyPC(), QString());
    EXPECT_TRUE(boxes.shown().isEmpty()) << boxes.texts().join(u'|').toStdString();
}

TEST_F(PcAllowTest, UsesItsOwnConnectionToTheDatabaseHost) {
    registerMac(QStringLiteral("001A2B3C4D5E"), QStringLiteral("kim"));
    ScopedScriptedMessageBoxes boxes;
    EXPECT_EQ(GetDBServerHost(), gDBServerHost);
    EXPECT_EQ(GetAllowMyPC(), QStringLiteral("kim")) << "no global connection needed";
    gDBServerHost = QStringLiteral("127.0.0.1:1");
    DbFailureLog failures;
    EXPECT_EQ(GetAllowMyPC(), QString());
    // Handed to the window that asked (the login window shows it).
    EXPECT_TRUE(boxes.shown().isEmpty()) << boxes.texts().join(u'|').toStdString();
    ASSERT_EQ(failures.shown().size(), 1);
    EXPECT_TRUE(failures.shown()[0].text.startsWith(QStringLiteral("Error "))) << failures.texts()[0].toStdString();
}

} // namespace
} // namespace worktide::test
