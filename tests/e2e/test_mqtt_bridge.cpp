// quellbox-mqtt end to end: the real bridge against the virtual board on a pty and a real
// Mosquitto broker on loopback, observed with the broker's own command-line clients.

#include <gtest/gtest.h>

#include <QFile>
#include <QJsonDocument>
#include <QJsonObject>
#include <QTemporaryDir>

#include "mqtt_support.h"

namespace quellbox::e2e {
namespace {

const QString b1 = QStringLiteral("quellbox/board1/");
const QString b2 = QStringLiteral("quellbox/second/");

QString state(const QString& board, int channel) {
    return board + QStringLiteral("channel/%1/state").arg(channel);
}
QString command(const QString& board, int channel) {
    return board + QStringLiteral("channel/%1/set").arg(channel);
}

TEST(MqttBridge, StatesFollowTheBoardsAndCommandsAreConfirmedByThem) {
    Broker broker;
    broker.start();
    // Two boards on one line, and a third address where nothing answers.
    BoardSim sim({QStringLiteral("--port"), QStringLiteral("1"), QStringLiteral("--address"),
                  QStringLiteral("1,2"), QStringLiteral("--initial"), QStringLiteral("8005")});
    Watcher watch(broker, QStringLiteral("#"));
    BridgeRun bridge(bridge_arguments(broker, 1, QStringLiteral("1,2=second,3=absent")));

    ASSERT_TRUE(watch.wait_for(b1 + QStringLiteral("availability"), QStringLiteral("online")));
    ASSERT_TRUE(watch.wait_for(b2 + QStringLiteral("availability"), QStringLiteral("online")));
    for (const QString& board : {b1, b2}) {
        EXPECT_TRUE(watch.wait_for(state(board, 1), QStringLiteral("ON")));
        EXPECT_TRUE(watch.wait_for(state(board, 2), QStringLiteral("OFF")));
        EXPECT_TRUE(watch.wait_for(state(board, 3), QStringLiteral("ON")));
        EXPECT_TRUE(watch.wait_for(state(board, 16), QStringLiteral("ON")));
    }
    EXPECT_TRUE(
        watch.wait_for(QStringLiteral("quellbox/absent/availability"), QStringLiteral("offline")));

    // Home Assistant finds one switch per channel, tied to the board's topics.
    ASSERT_TRUE(watch.wait_for_count(QStringLiteral("homeassistant/switch/"), 48));
    const auto config =
        watch.last(QStringLiteral("homeassistant/switch/quellbox_second/channel7/config"));
    ASSERT_TRUE(config.has_value());
    const QJsonObject entity = QJsonDocument::fromJson(config->toUtf8()).object();
    EXPECT_EQ(entity[QStringLiteral("command_topic")].toString(), command(b2, 7));
    EXPECT_EQ(entity[QStringLiteral("state_topic")].toString(), state(b2, 7));
    EXPECT_EQ(entity[QStringLiteral("availability_topic")].toString(), b2 + "availability");
    EXPECT_EQ(entity[QStringLiteral("unique_id")].toString(), "quellbox_second_channel7");

    // A command reaches the board as its frame, and the state follows the board's answer.
    publish(broker, command(b1, 2), "ON");
    EXPECT_TRUE(watch.wait_for(state(b1, 2), QStringLiteral("ON")));
    EXPECT_TRUE(sim.wait_for_line(QStringLiteral("rx 55 01 12 00 00 00 02 6a")));
    publish(broker, command(b2, 1), "TOGGLE");
    EXPECT_TRUE(watch.wait_for(state(b2, 1), QStringLiteral("OFF")));
    publish(broker, b2 + QStringLiteral("all/set"), "OFF");
    EXPECT_TRUE(watch.wait_for(state(b2, 16), QStringLiteral("OFF")));
    EXPECT_TRUE(sim.wait_for_line(QStringLiteral("state 0000 board 02")));
    EXPECT_EQ(watch.last(state(b1, 16)), QStringLiteral("ON")) << "the other board kept its relays";

    // Nonsense is ignored with one log line each, and the bridge goes on working.
    publish(broker, command(b1, 1), "MAYBE");
    publish(broker, command(b1, 17), "ON");
    publish(broker, command(b1, 0), "ON");
    publish(broker, b1 + QStringLiteral("all/set"), "TOGGLE");
    publish(broker, b1 + QStringLiteral("channel/01/set"), "OFF");
    EXPECT_TRUE(bridge.wait_for_log(QStringLiteral("ignored"), 5)) << bridge.log().toStdString();
    // A board that never answered gets commands queued, but no state is ever made up for it.
    publish(broker, command(QStringLiteral("quellbox/absent/"), 4), "ON");
    publish(broker, command(b1, 1), "OFF");
    EXPECT_TRUE(watch.wait_for(state(b1, 1), QStringLiteral("OFF")));
    EXPECT_EQ(watch.count(state(b1, 1), QStringLiteral("ON")), 1) << "no state before the board's";
    EXPECT_EQ(watch.last(state(b1, 2)), QStringLiteral("ON"));
    EXPECT_FALSE(watch.last(state(QStringLiteral("quellbox/absent/"), 4)).has_value());
}

TEST(MqttBridge, ComesBackAfterTheBrokerAndThePortWentAway) {
    Broker broker;
    // The board hangs up after 60 answers and publishes a fresh pty half a second later.
    BoardSim sim({QStringLiteral("--port"), QStringLiteral("2"), QStringLiteral("--initial"),
                  QStringLiteral("0102"), QStringLiteral("--hangup-after"), QStringLiteral("60"),
                  QStringLiteral("--reopen-ms"), QStringLiteral("500")});
    // The bridge starts before the broker.
    BridgeRun bridge(bridge_arguments(broker, 2, QStringLiteral("1")));
    ASSERT_TRUE(bridge.wait_for_log(QStringLiteral("cannot reach the broker")));
    broker.start();
    {
        Watcher watch(broker, QStringLiteral("quellbox/#"));
        ASSERT_TRUE(watch.wait_for(b1 + "availability", QStringLiteral("online")));
        EXPECT_TRUE(watch.wait_for(state(b1, 2), QStringLiteral("ON")));
        // Unplugged: offline; back: online again once the board answers.
        EXPECT_TRUE(watch.wait_for(b1 + "availability", QStringLiteral("offline")));
        EXPECT_TRUE(watch.wait_for(b1 + "availability", QStringLiteral("online")));
        EXPECT_TRUE(bridge.wait_for_log(QStringLiteral("lost port 2")));
        EXPECT_TRUE(bridge.wait_for_log(QStringLiteral("opened port 2"), 2));
    }

    // The broker restarts with nothing retained; the bridge publishes everything again.
    broker.stop();
    broker.start();
    Watcher after(broker, QStringLiteral("#"));
    EXPECT_TRUE(after.wait_for(state(b1, 9), QStringLiteral("ON")));
    EXPECT_TRUE(after.wait_for(state(b1, 1), QStringLiteral("OFF")));
    EXPECT_TRUE(after.wait_for_count(QStringLiteral("homeassistant/switch/quellbox_board1/"), 16));
    Watcher late(broker, state(b1, 9));
    ASSERT_TRUE(late.wait_for(state(b1, 9), QStringLiteral("ON")));
    EXPECT_TRUE(late.messages().first().retained);
    // And commands work on the new connection.
    publish(broker, command(b1, 5), "ON");
    EXPECT_TRUE(after.wait_for(state(b1, 5), QStringLiteral("ON")));
}

TEST(MqttBridge, SilentBoardTurnsOfflineAndBack) {
    Broker broker;
    broker.start();
    // Quiet spells of a second, far longer than six ticks, now and then.
    BoardSim sim({QStringLiteral("--port"), QStringLiteral("3"), QStringLiteral("--silence-rate"),
                  QStringLiteral("0.2"), QStringLiteral("--silence-ms"), QStringLiteral("1000")});
    Watcher watch(broker, b1 + "availability");
    BridgeRun bridge(bridge_arguments(broker, 3, QStringLiteral("1")) << "--no-discovery");
    ASSERT_TRUE(watch.wait_for(b1 + "availability", QStringLiteral("online")));
    ASSERT_TRUE(watch.wait_for(b1 + "availability", QStringLiteral("offline")));
    EXPECT_TRUE(watch.wait_for(b1 + "availability", QStringLiteral("online")));
    EXPECT_TRUE(bridge.wait_for_log(QStringLiteral("does not answer")));
}

TEST(MqttBridge, LoginFromFileOrEnvironmentAndAClearRefusal) {
    const BrokerLogin login{QStringLiteral("bench"), QStringLiteral("pw-9f3a1c")};
    Broker broker(login);
    broker.start();
    BoardSim sim({QStringLiteral("--port"), QStringLiteral("4")});
    QTemporaryDir dir;
    QFile credentials(dir.filePath(QStringLiteral("credentials")));
    ASSERT_TRUE(credentials.open(QIODevice::WriteOnly));
    credentials.write("bench\npw-9f3a1c\n");
    credentials.close();
    credentials.setPermissions(QFileDevice::ReadOwner | QFileDevice::WriteOwner);

    Watcher watch(broker, QStringLiteral("quellbox/#"));
    {
        BridgeRun bridge(bridge_arguments(broker, 4, QStringLiteral("1"))
                         << QStringLiteral("--credentials") << credentials.fileName());
        EXPECT_TRUE(watch.wait_for(b1 + "availability", QStringLiteral("online")));
    }
    EXPECT_TRUE(watch.wait_for(b1 + "availability", QStringLiteral("offline")))
        << "a clean stop says offline";

    BridgeRun wrong(bridge_arguments(broker, 4, QStringLiteral("1")),
                    {QStringLiteral("QUELLBOX_MQTT_USERNAME=bench"),
                     QStringLiteral("QUELLBOX_MQTT_PASSWORD=not-the-password")});
    EXPECT_TRUE(wrong.wait_for_log(QStringLiteral("refused the connection")));
    EXPECT_TRUE(wrong.wait_for_log(QStringLiteral("check the user name and password")));
    EXPECT_FALSE(wrong.log().contains(QStringLiteral("not-the-password")));
    wrong.terminate();

    BridgeRun on_command_line(bridge_arguments(broker, 4, QStringLiteral("1"))
                              << QStringLiteral("--password") << QStringLiteral("x"));
    EXPECT_EQ(on_command_line.wait_for_exit(), 2);
}

TEST(MqttBridge, RefusesTopicLevelsThatCouldInjectTopics) {
    for (const QStringList& args :
         {QStringList{"--prefix", "lab/+"}, QStringList{"--prefix", "lab//x"},
          QStringList{"--prefix", "/lab"}, QStringList{"--boards", "1=a/b"},
          QStringList{"--boards", "1=#"}, QStringList{"--boards", "1=a,2=a"},
          QStringList{"--boards", "256"}, QStringList{"--discovery-prefix", "ha/"}}) {
        BridgeRun bridge(args);
        EXPECT_EQ(bridge.wait_for_exit(), 2) << args.join(' ').toStdString();
        EXPECT_EQ(bridge.count_log(QStringLiteral("quellbox-mqtt: ")), 1);
    }
}

}  // namespace
}  // namespace quellbox::e2e
