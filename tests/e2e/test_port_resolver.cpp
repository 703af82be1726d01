// Port numbers to devices: links in the runtime folder and the devices the system lists.

#include <gtest/gtest.h>

#include <QDir>
#include <QFile>
#include <QSerialPortInfo>
#include <set>

#include "e2e_support.h"
#include "link/port_resolver.h"
#include "link/qt_serial_port.h"

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

// A program that reopens by itself after a loss: while no link names a device, the number may
// lead only back to the lost device, never on to the next one in the list; a link (the virtual
// board's fresh pty, an operator's own) is taken at once.
TEST(PortResolution, AfterALossANumberReopensOnlyTheLostDeviceOrANamedOne) {
    QDir(ports_folder()).removeRecursively();
    const std::optional<link::ResolvedPort> listed_first = resolve_port(1);

    auto first = std::make_unique<PtyPair>();
    link_port(1, first->slave_path());
    link::QtSerialPort port;
    port.set_comm_port(1);
    port.set_reopen_only_the_lost_device(true);
    int losses = 0;
    port.set_on_lost([&](const std::string&, const std::string&) { ++losses; });
    ASSERT_TRUE(port.open().ok());

    // Unplugged: its device and its link go.
    QFile::remove(ports_folder() + QStringLiteral("/com1"));
    const QString lost = first->slave_path();
    first.reset();
    ASSERT_TRUE(wait_until([&] { return losses == 1; }));

    const link::OpenResult while_away = port.open();
    EXPECT_FALSE(port.is_open());
    if (listed_first) {
        // Port 1 now counts down the list to another device: not opened, the lost one named.
        EXPECT_EQ(while_away.error, link::OpenError::missing);
        EXPECT_EQ(while_away.device, lost.toStdString());
    } else {
        EXPECT_EQ(while_away.error, link::OpenError::no_such_port);
    }

    PtyPair back;
    link_port(1, back.slave_path());
    const link::OpenResult reopened = port.open();
    EXPECT_TRUE(reopened.ok()) << reopened.detail;
    EXPECT_TRUE(port.is_open());
    port.close();
}

}  // namespace
}  // namespace quellbox::e2e
