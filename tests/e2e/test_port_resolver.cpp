// Port numbers to devices: links in the runtime folder and the devices the system lists.

#include <gtest/gtest.h>

#include <QDir>
#include <QFile>
#include <QSerialPortInfo>
#include <set>

#include "e2e_support.h"
#include "link/port_resolver.h"

namespace quellbox::e2e {
namespace {

using link::describe_port;
using link::resolve_port;

TEST(PortResolution, RuntimeLinkWinsAndLeadsToTheRealDevice) {
    PtyPair pty;
    link_port(1, pty.slave_path());
    const auto port = resolve_port(1);
    ASSERT_TRUE(port.has_value());
    EXPECT_EQ(port->device, pty.slave_path());
    EXPECT_EQ(port->description, QStringLiteral("virtual board, com1"));
    EXPECT_EQ(describe_port(1),
              QStringLiteral("1 -> %1, virtual board, com1").arg(pty.slave_path()));

    // A link to a link still opens the device itself, whose lock file other programs use.
    link_port(2, ports_folder() + QStringLiteral("/com1"));
    EXPECT_EQ(resolve_port(2)->device, pty.slave_path());
}

TEST(PortResolution, LinkToAnotherDeviceIsNamedAsALink) {
    link_port(7, QStringLiteral("/dev/null"));
    const auto port = resolve_port(7);
    ASSERT_TRUE(port.has_value());
    EXPECT_EQ(port->device, QStringLiteral("/dev/null"));
    EXPECT_EQ(port->description, QStringLiteral("link com7"));
}

TEST(PortResolution, WithoutLinksNumbersCountTheListedDevices) {
    QDir(ports_folder()).removeRecursively();
    const int listed = static_cast<int>(QSerialPortInfo::availablePorts().size());
    std::set<QString> devices;
    for (int n = 1; n <= listed; ++n) {
        const auto port = resolve_port(n);
        ASSERT_TRUE(port.has_value()) << "port " << n;
        devices.insert(port->device);
    }
    EXPECT_EQ(static_cast<int>(devices.size()), listed) << "two numbers reach one device";
    EXPECT_FALSE(resolve_port(listed + 1).has_value());
    EXPECT_FALSE(resolve_port(0).has_value());
    EXPECT_FALSE(resolve_port(-1).has_value());
    EXPECT_EQ(describe_port(listed + 1), QStringLiteral("%1 -> no serial device").arg(listed + 1));
}

}  // namespace
}  // namespace quellbox::e2e
