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

Broker& started(Broker& broker) {
    broker.start();
    return broker;
}

// A broker, the virtual board on port `port` with `sim_args`, a watcher on every bridge topic,
// and the bridge for `boards`.
struct Line {
    Line(int port, const QStringList& sim_args, const QString& boards)
        : sim(QStringList{"--port", QString::number(port)} + sim_args),
          watch(started(broker), QStringLiteral("quellbox/#")),
          bridge(bridge_arguments(broker, port, boards) << "--no-discovery") {}

    Broker broker;
    BoardSim sim;
    Watcher watch;
    BridgeRun bridge;
};

// Boards 1 and 5, with channel 1 and channel 16 energized.
const QStringList two_boards{"--address", "1,5",          "--relays-for",
                             "1=0001",    "--relays-for", "5=8000"};

// What a board leaves in byte 1 of its status frames.
class BothKindsOfBoard : public ::testing::TestWithParam<const char*> {
  protected:
    QStringList byte1() const { return {"--status-byte1", QString::fromLatin1(GetParam())}; }
};

TEST_P(BothKindsOfBoard, PromptBoardsGetTheirOwnStates) {
    Line line(11, byte1() + two_boards, QStringLiteral("1=bench-a,5=bench-b"));
    for (const char* board : {"bench-a", "bench-b"})
        ASSERT_TRUE(line.watch.wait_for(topic(board, "availability"), "online")) << board;
    EXPECT_TRUE(line.watch.wait_for(state("bench-a", 1), "ON"));
    EXPECT_TRUE(line.watch.wait_for(state("bench-b", 16), "ON"));
    settle(1s);
    EXPECT_EQ(line.watch.count(state("bench-a", 16), "ON"), 0);
    EXPECT_EQ(line.watch.count(state("bench-b", 1), "ON"), 0);
    EXPECT_EQ(line.bridge.count_log("dropped"), 0) << line.bridge.log().toStdString();
}

TEST_P(BothKindsOfBoard, LateBoardsAnswerIsNeverPublishedAsItsNeighbours) {
    // Board 5 answers 70 ms late: after the poll of board 1 has gone out.
    Line line(12, byte1() + two_boards + QStringList{"--delay-for", "5=70"},
              QStringLiteral("1=bench-a,5=bench-b"));
    ASSERT_TRUE(line.watch.wait_for(state("bench-a", 1), "ON"));
    ASSERT_TRUE(line.sim.wait_for_line("tx 22", 40));
    EXPECT_EQ(line.watch.count(state("bench-a", 16), "ON"), 0)
        << "board 5's relays shown as board 1's";
    EXPECT_EQ(line.watch.count(topic("bench-b", "availability"), "online"), 0);
    EXPECT_FALSE(line.watch.last(state("bench-b", 16)).has_value());
    // Told, but once a minute per board, not for every answer.
    EXPECT_TRUE(line.bridge.wait_for_log("dropped"));
    EXPECT_EQ(line.bridge.count_log("(address 1): dropped"), 1) << line.bridge.log().toStdString();
}

TEST_P(BothKindsOfBoard, AnswerOfTheOnlyBoardIsNotTakenForAnAbsentOnesThatWasAskedAfterIt) {
    // Board 1 alone on the line; its answers come while the poll of the absent board 9 goes out.
    Line line(13, byte1() + QStringList{"--initial", "0003", "--delay-for", "1=35"},
              QStringLiteral("1=side-a,9=side-z"));
    ASSERT_TRUE(line.sim.wait_for_line("tx 22", 30));
    EXPECT_EQ(line.watch.count(topic("side-z", "availability"), "online"), 0);
    EXPECT_FALSE(line.watch.last(state("side-z", 1)).has_value());
    EXPECT_TRUE(line.bridge.wait_for_log("(address 9): dropped"))
        << line.bridge.log().toStdString();
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
