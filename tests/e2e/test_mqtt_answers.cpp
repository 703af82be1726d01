// quellbox-mqtt end to end, on whose answer is whose and what is carried out: boards that answer
// late beside prompt ones, boards that put their address in byte 1 and boards that leave it at
// zero, and commands the broker kept (retained) and replays at start.

#include <gtest/gtest.h>

#include "mqtt_support.h"

namespace quellbox::e2e {
namespace {

QString topic(const QString& board, const QString& rest) {
    return QStringLiteral("quellbox/%1/%2").arg(board, rest);
}
QString state(const QString& board, int channel) {
    return topic(board, QStringLiteral("channel/%1/state").arg(channel));
}

// What a board leaves in byte 1 of its status frames.
class BothKindsOfBoard : public ::testing::TestWithParam<const char*> {
  protected:
    QStringList sim_args(int port) const {
        return {QStringLiteral("--port"), QString::number(port), QStringLiteral("--status-byte1"),
                QString::fromLatin1(GetParam())};
    }
};

TEST_P(BothKindsOfBoard, PromptBoardsGetTheirOwnStates) {
    Broker broker;
    broker.start();
    BoardSim sim(sim_args(11) << "--address"
                              << "1,5"
                              << "--relays-for"
                              << "1=0001"
                              << "--relays-for"
                              << "5=8000");
    Watcher watch(broker, QStringLiteral("quellbox/#"));
    BridgeRun bridge(bridge_arguments(broker, 11, QStringLiteral("1=bench-a,5=bench-b"))
                     << "--no-discovery");
    for (const char* board : {"bench-a", "bench-b"})
        ASSERT_TRUE(watch.wait_for(topic(board, "availability"), "online")) << board;
    EXPECT_TRUE(watch.wait_for(state("bench-a", 1), "ON"));
    EXPECT_TRUE(watch.wait_for(state("bench-b", 16), "ON"));
    settle(1s);
    EXPECT_EQ(watch.count(state("bench-a", 16), "ON"), 0);
    EXPECT_EQ(watch.count(state("bench-b", 1), "ON"), 0);
    EXPECT_EQ(bridge.count_log("dropped"), 0) << bridge.log().toStdString();
}

TEST_P(BothKindsOfBoard, LateBoardsAnswerIsNeverPublishedAsItsNeighbours) {
    Broker broker;
    broker.start();
    // Board 5 answers 70 ms late: after the poll of board 1 has gone out.
    BoardSim sim(sim_args(12) << "--address"
                              << "1,5"
                              << "--relays-for"
                              << "1=0001"
                              << "--relays-for"
                              << "5=8000"
                              << "--delay-for"
                              << "5=70");
    Watcher watch(broker, QStringLiteral("quellbox/#"));
    BridgeRun bridge(bridge_arguments(broker, 12, QStringLiteral("1=bench-a,5=bench-b"))
                     << "--no-discovery");
    ASSERT_TRUE(watch.wait_for(state("bench-a", 1), "ON"));
    ASSERT_TRUE(sim.wait_for_line("tx 22", 40));
    EXPECT_EQ(watch.count(state("bench-a", 16), "ON"), 0) << "board 5's relays shown as board 1's";
    EXPECT_EQ(watch.count(topic("bench-b", "availability"), "online"), 0);
    EXPECT_FALSE(watch.last(state("bench-b", 16)).has_value());
    // Told, but once a minute per board, not for every answer.
    EXPECT_TRUE(bridge.wait_for_log("dropped"));
    EXPECT_EQ(bridge.count_log("(address 1): dropped"), 1) << bridge.log().toStdString();
}

TEST_P(BothKindsOfBoard, AnswerOfTheOnlyBoardIsNotTakenForAnAbsentOnesThatWasAskedAfterIt) {
    Broker broker;
    broker.start();
    // Board 1 alone on the line; its answers come while the poll of the absent board 9 goes out.
    BoardSim sim(sim_args(13) << "--initial"
                              << "0003"
                              << "--delay-for"
                              << "1=35");
    Watcher watch(broker, QStringLiteral("quellbox/#"));
    BridgeRun bridge(bridge_arguments(broker, 13, QStringLiteral("1=side-a,9=side-z"))
                     << "--no-discovery");
    ASSERT_TRUE(sim.wait_for_line("tx 22", 30));
    EXPECT_EQ(watch.count(topic("side-z", "availability"), "online"), 0);
    EXPECT_FALSE(watch.last(state("side-z", 1)).has_value());
    EXPECT_TRUE(bridge.wait_for_log("(address 9): dropped")) << bridge.log().toStdString();
}

INSTANTIATE_TEST_SUITE_P(Byte1, BothKindsOfBoard, ::testing::Values("address", "zero"));

TEST(MqttCommands, RetainedCommandIsNotCarriedOutAndSaysSo) {
    Broker broker;
    broker.start();
    BoardSim sim({"--port", "14"});
    publish(broker, topic("board1", "channel/3/set"), "ON", true);
    Watcher watch(broker, QStringLiteral("quellbox/board1/channel/3/state"));
    BridgeRun bridge(bridge_arguments(broker, 14, QStringLiteral("1")) << "--no-discovery");
    ASSERT_TRUE(watch.wait_for(state("board1", 3), "OFF"));
    EXPECT_TRUE(bridge.wait_for_log("a retained command")) << bridge.log().toStdString();
    settle(500ms);
    EXPECT_EQ(sim.count_lines("rx 55 01 12"), 0) << "the relay was energized";
    EXPECT_EQ(watch.last(state("board1", 3)), "OFF");
    EXPECT_EQ(bridge.count_log("a retained command"), 1);
    // A command sent now is carried out.
    publish(broker, topic("board1", "channel/3/set"), "ON");
    EXPECT_TRUE(watch.wait_for(state("board1", 3), "ON"));
}

}  // namespace
}  // namespace quellbox::e2e
