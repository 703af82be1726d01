// What the bridge is told: command line over config file, checked as a whole before anything
// starts. A setting that is wrong must stop the bridge with a message naming it, not start a
// bridge that does something else than its operator wrote.

#include <gtest/gtest.h>

#include <QFile>
#include <QStringList>
#include <QTemporaryDir>
#include <variant>

#include "bridge_options.h"

namespace quellbox::mqtt {
namespace {

class BridgeOptionsTest : public ::testing::Test {
  protected:
    void SetUp() override {
        ASSERT_TRUE(dir.isValid());
        // The broker login may come from the environment; none here unless a test sets it.
        qunsetenv("QUELLBOX_MQTT_USERNAME");
        qunsetenv("QUELLBOX_MQTT_PASSWORD");
    }

    QString file(const QString& name, const QByteArray& text) const {
        const QString path = dir.filePath(name);
        QFile out(path);
        EXPECT_TRUE(out.open(QIODevice::WriteOnly));
        out.write(text);
        return path;
    }

    static std::variant<BridgeOptions, QString> parse(QStringList arguments) {
        arguments.prepend(QStringLiteral("quellbox-mqtt"));
        return parse_options(arguments);
    }

    static BridgeOptions accepted(const QStringList& arguments) {
        auto result = parse(arguments);
        if (const auto* problem = std::get_if<QString>(&result)) {
            ADD_FAILURE() << arguments.join(' ').toStdString()
                          << ": refused: " << problem->toStdString();
            return {};
        }
        return std::get<BridgeOptions>(std::move(result));
    }

    static QString refused(const QStringList& arguments) {
        const auto result = parse(arguments);
        const auto* problem = std::get_if<QString>(&result);
        EXPECT_NE(problem, nullptr) << arguments.join(' ').toStdString() << ": accepted";
        return problem != nullptr ? *problem : QString();
    }

    QTemporaryDir dir;
};

TEST_F(BridgeOptionsTest, NothingGivenMeansBoardOneOnPortOneAndALocalBroker) {
    const BridgeOptions o = accepted({});
    EXPECT_EQ(o.serial_port, 1);
    EXPECT_TRUE(o.serial_device.isEmpty());
    ASSERT_EQ(o.boards.size(), 1U);
    EXPECT_EQ(o.boards[0].address, 1);
    EXPECT_EQ(o.boards[0].id, "board1");
    EXPECT_EQ(o.broker.host, QStringLiteral("localhost"));
    EXPECT_EQ(o.broker.port, 1883);
    EXPECT_EQ(o.broker.keepalive_s, 30);
    EXPECT_FALSE(o.broker.tls);
    EXPECT_FALSE(o.broker.credentials.has_value());
    EXPECT_EQ(o.prefix, "quellbox");
    EXPECT_TRUE(o.discovery);
    EXPECT_EQ(o.discovery_prefix, "homeassistant");
}

TEST_F(BridgeOptionsTest, BoardsAreAddressesWithOptionalUniqueIds) {
    const BridgeOptions o = accepted({"--boards", "1=bench-a, 5=bench-b,9"});
    ASSERT_EQ(o.boards.size(), 3U);
    EXPECT_EQ(o.boards[0].address, 1);
    EXPECT_EQ(o.boards[0].id, "bench-a");
    EXPECT_EQ(o.boards[1].address, 5);
    EXPECT_EQ(o.boards[1].id, "bench-b");
    EXPECT_EQ(o.boards[2].address, 9);
    EXPECT_EQ(o.boards[2].id, "board9");
    EXPECT_EQ(accepted({"--boards", "0,255"}).boards.size(), 2U);

    refused({"--boards", "-1"});
    refused({"--boards", "x=bench"});
    refused({"--boards", "1=+"});
    refused({"--boards", QStringLiteral("1=") + QString(33, QLatin1Char('x'))});
    EXPECT_TRUE(refused({"--boards", "1=a,1=b"}).contains(QStringLiteral("twice")));
    EXPECT_TRUE(refused({"--boards", "1=a,2=a"}).contains(QStringLiteral("twice")));
}

TEST_F(BridgeOptionsTest, TheLineIsAPortNumberOrADevicePathNeverBoth) {
    EXPECT_EQ(accepted({"--port", "3"}).serial_port, 3);
    const BridgeOptions by_path = accepted({"--device", "/dev/serial/by-id/usb-x-if00-port0"});
    EXPECT_EQ(by_path.serial_device, QStringLiteral("/dev/serial/by-id/usb-x-if00-port0"));
    refused({"--port", "0"});
    refused({"--port", "32768"});
    refused({"--port", "two"});
    refused({"--device", ""});
    EXPECT_TRUE(
        refused({"--port", "2", "--device", "/dev/ttyUSB0"}).contains(QStringLiteral("--device")));

    const QString both = file("both.conf", "[serial]\nport=2\ndevice=/dev/ttyUSB0\n");
    refused({"--config", both});
    // The command line names the line once for both sources: its choice replaces the file's.
    const QString by_port = file("port.conf", "[serial]\nport=2\n");
    const BridgeOptions device_wins = accepted({"--config", by_port, "--device", "/dev/ttyACM0"});
    EXPECT_EQ(device_wins.serial_device, QStringLiteral("/dev/ttyACM0"));
    const QString by_device = file("device.conf", "[serial]\ndevice=/dev/ttyACM0\n");
    const BridgeOptions port_wins = accepted({"--config", by_device, "--port", "4"});
    EXPECT_TRUE(port_wins.serial_device.isEmpty());
    EXPECT_EQ(port_wins.serial_port, 4);
    EXPECT_EQ(accepted({"--config", by_device}).serial_device, QStringLiteral("/dev/ttyACM0"));
}

TEST_F(BridgeOptionsTest, TheConfigFileIsReadAndTheCommandLineWins) {
    const QString conf = file("mqtt.conf",
                              "[serial]\nport=2\nboards=1=bench-a, 2=bench-b\n"
                              "[broker]\nhost=broker.lan\nport=1999\nkeepalive=60\n"
                              "[topics]\nprefix=site/lab\ndiscovery=false\n"
                              "discovery_prefix=ha\n");
    const BridgeOptions from_file = accepted({"--config", conf});
    EXPECT_EQ(from_file.serial_port, 2);
    ASSERT_EQ(from_file.boards.size(), 2U);
    EXPECT_EQ(from_file.boards[1].id, "bench-b");
    EXPECT_EQ(from_file.broker.host, QStringLiteral("broker.lan"));
    EXPECT_EQ(from_file.broker.port, 1999);
    EXPECT_EQ(from_file.broker.keepalive_s, 60);
    EXPECT_EQ(from_file.prefix, "site/lab");
    EXPECT_FALSE(from_file.discovery);
    EXPECT_EQ(from_file.discovery_prefix, "ha");

    const BridgeOptions overridden =
        accepted({"--config", conf, "--port", "5", "--broker", "other", "--prefix", "q"});
    EXPECT_EQ(overridden.serial_port, 5);
    EXPECT_EQ(overridden.broker.host, QStringLiteral("other"));
    EXPECT_EQ(overridden.prefix, "q");
    EXPECT_EQ(overridden.broker.port, 1999) << "what the command line leaves alone stays";

    EXPECT_TRUE(refused({"--config", file("typo.conf", "[serial]\nprot=2\n")})
                    .contains(QStringLiteral("serial/prot")));
    refused({"--config", dir.filePath("missing.conf")});
}

TEST_F(BridgeOptionsTest, BrokerSettingsAreCheckedAndTlsChangesTheDefaultPort) {
    EXPECT_TRUE(accepted({"--tls"}).broker.tls);
    EXPECT_EQ(accepted({"--tls"}).broker.port, 8883);
    EXPECT_EQ(accepted({"--tls", "--broker-port", "9000"}).broker.port, 9000);
    const QString ca = file("ca.pem", "not checked here");
    const BridgeOptions with_ca = accepted({"--ca-file", ca});
    EXPECT_TRUE(with_ca.broker.tls) << "a CA file means TLS";
    EXPECT_EQ(with_ca.broker.port, 8883);
    refused({"--ca-file", dir.filePath("no-such-ca.pem")});

    refused({"--broker", "  "});
    refused({"--broker-port", "0"});
    refused({"--broker-port", "65536"});
    refused({"--keepalive", "4"});
    refused({"--keepalive", "3601"});
    EXPECT_EQ(accepted({"--keepalive", "5"}).broker.keepalive_s, 5);
}

TEST_F(BridgeOptionsTest, PrefixesAreCheckedAndDiscoveryCanBeSwitchedOff) {
    EXPECT_FALSE(accepted({"--no-discovery"}).discovery);
    refused({"--prefix", "a/#"});
    refused({"--discovery-prefix", "ha/+"});
    EXPECT_EQ(accepted({"--discovery-prefix", "ha/x"}).discovery_prefix, "ha/x");
}

TEST_F(BridgeOptionsTest, AUserNameOrPasswordOnTheCommandLineIsRefused) {
    const QString problem = refused({"secret-user"});
    EXPECT_TRUE(problem.contains(QStringLiteral("secret-user")));
}

}  // namespace
}  // namespace quellbox::mqtt
