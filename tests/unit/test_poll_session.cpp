// The headless poll session on a fake port: what goes on the line tick by tick, how commands
// replace each other, which board an answer belongs to, when a board turns not known, and what
// a lost port leaves behind.

#include <gtest/gtest.h>

#include <cstdint>
#include <string>
#include <vector>

#include "session/poll_session.h"
#include "support/fake_serial_port.h"

namespace quellbox::session {
namespace {

using Lines = std::vector<std::string>;

const char* const query_1 = "55 01 10 00 00 00 00 66";
const char* const query_2 = "55 02 10 00 00 00 00 67";

class Session : public ::testing::Test {
  protected:
    explicit Session(std::vector<std::uint8_t> addresses = {1}) {
        port.open();
        port.set_rthreshold(8);
        port.calls.clear();
        session = std::make_unique<PollSession>(port, std::move(addresses), events());
    }
    SessionEvents events() {
        SessionEvents e;
        e.status = [this](std::uint8_t a, link::RelayMap r, const link::Frame&) {
            log.push_back("status " + std::to_string(a) + " " + std::to_string(r));
        };
        e.silent = [this](std::uint8_t a) { log.push_back("silent " + std::to_string(a)); };
        e.sent = [this](std::uint8_t a, const link::Frame& f) {
            log.push_back("sent " + std::to_string(a) + " " + test::hex(f));
        };
        e.lost = [this](const std::string& d, const std::string& r) {
            log.push_back("lost " + d + ": " + r);
        };
        return e;
    }
    void ticks(int n) {
        for (int i = 0; i < n; ++i) session->tick();
    }
    void receive(const char* trace) {
        port.feed(test::parse_hex(trace));
        port.raise_comm();
    }
    std::vector<std::string> only(const std::string& kind) const {
        std::vector<std::string> out;
        for (const auto& line : log)
            if (line.starts_with(kind)) out.push_back(line);
        return out;
    }

    test::FakeSerialPort port;
    std::vector<std::string> log;
    std::unique_ptr<PollSession> session;
};

class TwoBoards : public Session {
  protected:
    TwoBoards() : Session({1, 2}) {}
};

TEST_F(TwoBoards, OldestCommandFirstThenQueriesInTurnOneFramePerTick) {
    session->queue_channel(2, 3, true);
    session->queue_all(1, false);
    session->queue_channel(2, 3, false);  // replaces the unsent "on", keeps its place
    session->queue_channel(9, 1, true);   // no such board in this session
    EXPECT_EQ(session->commands_waiting(), 2U);
    ticks(5);
    EXPECT_EQ(port.written_hex(), (Lines{"55 02 11 00 00 00 03 6B", "55 01 13 00 00 00 00 69",
                                         query_1, query_2, query_1}));
    EXPECT_EQ(session->commands_waiting(), 0U);
    // The receive buffer is emptied right before every write, never after.
    for (std::size_t i = 0; i < port.calls.size(); i += 2) {
        EXPECT_EQ(port.calls[i], "clear");
        EXPECT_EQ(port.calls[i + 1], "output");
    }
    EXPECT_EQ(only("sent").size(), 5U);
}

TEST_F(Session, SetAllReplacesWhatWaitsAndLaterChannelCommandsFollowIt) {
    session->queue_channel(1, 1, true);
    session->queue_channel(1, 2, true);
    session->queue_all(1, true);
    session->queue_channel(1, 5, false);
    session->queue_channel(1, 5, true);
    session->queue_channel(1, 17, true);  // no such channel
    EXPECT_EQ(session->commands_waiting(), 2U);
    ticks(3);
    EXPECT_EQ(port.written_hex(),
              (Lines{"55 01 13 00 00 FF FF 67", "55 01 12 00 00 00 05 6D", query_1}));
}

TEST_F(TwoBoards, AnswerBelongsToTheBoardLastAskedWhateverItsAddressByteSays) {
    ticks(1);                            // asks board 1
    receive("22 07 00 00 00 80 05 AE");  // channels 16, 1 and 3
    receive("22 07 00 00 00 80 05 AF");  // wrong checksum: dropped
    receive("23 07 00 00 00 80 05 AF");  // wrong header: dropped
    EXPECT_EQ(session->known_relays(1), link::RelayMap{0x8005});
    EXPECT_EQ(session->known_relays(2), std::nullopt);
    EXPECT_EQ(only("status"), Lines{"status 1 32773"});
}

TEST_F(Session, BoardTurnsNotKnownOnItsSixthSilentTickOnceUntilItAnswersAgain) {
    ticks(5);
    EXPECT_TRUE(only("silent").empty());
    ticks(1);  // never answered: silent from the start
    EXPECT_EQ(only("silent"), Lines{"silent 1"});
    receive("22 01 00 00 00 00 01 24");
    EXPECT_EQ(session->known_relays(1), link::RelayMap{1});
    ticks(5);
    EXPECT_EQ(session->known_relays(1), link::RelayMap{1});
    ticks(4);  // the sixth tick turns it, later ones say nothing more
    EXPECT_EQ(session->known_relays(1), std::nullopt);
    EXPECT_EQ(only("silent"), (Lines{"silent 1", "silent 1"}));
    EXPECT_EQ(port.written.size(), 15U);  // silent boards are still asked
}

TEST_F(Session, LostPortForgetsTheBoardsKeepsTheCommandsAndSendsNothingUntilReopened) {
    ticks(1);
    receive("22 01 00 00 00 00 01 24");
    session->queue_channel(1, 2, true);
    port.lose("/dev/ttyUSB0", "the device hung up");
    EXPECT_EQ(only("lost"), Lines{"lost /dev/ttyUSB0: the device hung up"});
    EXPECT_EQ(session->known_relays(1), std::nullopt);
    ticks(10);
    EXPECT_EQ(port.written.size(), 1U);
    EXPECT_TRUE(only("silent").empty());

    port.open();
    session->restart();
    ticks(1);
    receive("22 01 00 00 00 00 01 24");  // an answer that is not yet the command's result
    EXPECT_EQ(port.written_hex(), (Lines{query_1, "55 01 12 00 00 00 02 6A"}));
    EXPECT_EQ(session->known_relays(1), link::RelayMap{1});
}

}  // namespace
}  // namespace quellbox::session
