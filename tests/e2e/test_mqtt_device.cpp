// quellbox-mqtt on a serial device named by path, as a service names a USB adapter by its
// stable /dev/serial/by-id link: the real bridge against the virtual board on a pty, reached
// through a link of that kind, and a real Mosquitto broker on loopback.

#include <gtest/gtest.h>

#include <QFile>
#include <QTemporaryDir>

#include "mqtt_support.h"

namespace quellbox::e2e {
namespace {

const QString board = QStringLiteral("quellbox/board1/");

QStringList device_arguments(const Broker& broker, const QString& device) {
    return {QStringLiteral("--broker"),      QStringLiteral("127.0.0.1"),
            QStringLiteral("--broker-port"), QString::number(broker.port()),
            QStringLiteral("--device"),      device,
            QStringLiteral("--no-discovery")};
}

TEST(MqttBridgeDevice, ABoardBehindADeviceLinkIsBridgedAndALinkThatAppearsLaterIsFound) {
    Broker broker;
    broker.start();
    // The board publishes port 6 only; the bridge is never told that number.
    BoardSim sim({QStringLiteral("--port"), QStringLiteral("6"), QStringLiteral("--initial"),
                  QStringLiteral("0004")});
    QTemporaryDir by_id;
    ASSERT_TRUE(by_id.isValid());
    const QString link = by_id.filePath(QStringLiteral("usb-Quellbox_Relay16_A1B2-if00-port0"));

    Watcher watch(broker, QStringLiteral("quellbox/#"));
    // The adapter is not plugged in yet: the bridge says so, naming the path, and waits.
    BridgeRun bridge(device_arguments(broker, link));
    ASSERT_TRUE(bridge.wait_for_log(QStringLiteral("cannot open ") + link))
        << bridge.log().toStdString();
    EXPECT_TRUE(watch.wait_for(board + "availability", QStringLiteral("offline")));

    // Plugged in: the link appears and the bridge opens it by that name.
    ASSERT_TRUE(QFile::link(sim.slave_path(), link));
    ASSERT_TRUE(watch.wait_for(board + "availability", QStringLiteral("online")));
    EXPECT_TRUE(bridge.wait_for_log(QStringLiteral("opened ") + link))
        << bridge.log().toStdString();
    EXPECT_TRUE(watch.wait_for(board + "channel/3/state", QStringLiteral("ON")));
    EXPECT_TRUE(watch.wait_for(board + "channel/1/state", QStringLiteral("OFF")));

    publish(broker, board + "channel/5/set", "ON");
    EXPECT_TRUE(sim.wait_for_line(QStringLiteral("rx 55 01 12 00 00 00 05")));
    EXPECT_TRUE(watch.wait_for(board + "channel/5/state", QStringLiteral("ON")));
}

}  // namespace
}  // namespace quellbox::e2e
