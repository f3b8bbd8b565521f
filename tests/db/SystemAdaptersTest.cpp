#include "db/modDodamDBConsts.h"

#include <QNetworkInterface>
#include <QRegularExpression>

#include <gtest/gtest.h>

using namespace worktide;

namespace {

// The computer is registered by the first adapter of this list, so every platform must
// list the same adapters in the same order as the system's own view of them: up, not
// loopback, with an IP address (Qt asks the system its own way; on Windows the list is
// read straight from GetAdaptersAddresses).
TEST(SystemAdapters, AreTheSystemsUpIpAdaptersInItsOrderWithTheirHardwareAddresses) {
    QStringList expected;
    const auto interfaces = QNetworkInterface::allInterfaces();
    for (const QNetworkInterface& iface : interfaces) {
        const auto flags = iface.flags();
        if (flags.testFlag(QNetworkInterface::IsUp) && !flags.testFlag(QNetworkInterface::IsLoopBack) &&
            !iface.addressEntries().isEmpty())
            expected.append(iface.hardwareAddress());
    }
    QStringList actual;
    const QRegularExpression form(QStringLiteral("^([0-9A-F]{2}(:[0-9A-F]{2})*)?$"));
    for (const NetworkAdapter& adapter : SystemAdapters()) {
        EXPECT_FALSE(adapter.name.isEmpty());
        EXPECT_TRUE(form.match(adapter.macAddress).hasMatch()) << qPrintable(adapter.macAddress);
        actual.append(adapter.macAddress);
    }
    EXPECT_EQ(actual, expected);

    // The registered address is the first hardware address, separators removed.
    QString first;
    for (const QString& mac : actual)
        if (!mac.isEmpty()) {
            first = QString(mac).remove(QLatin1Char(':'));
            break;
        }
    EXPECT_EQ(GetMyMacAddress(), first);
}

} // namespace
