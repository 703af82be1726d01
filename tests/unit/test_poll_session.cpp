// The headless poll session on a fake port and a hand-set clock: what goes on the line and
// when, how commands replace each other, which board an answer belongs to, when a board turns
// not known, and what a lost port leaves behind.

#include <gtest/gtest.h>

#include <cstdint>
#include <string>
#include <vector>

#include "session/line_timing.h"
#include "session/poll_session.h"
#include "support/fake_serial_port.h"

namespace quellbox::session {
namespace {

using namespace std::chrono_literals;
using Lines = std::vector<std::string>;

const char* const query_1 = "55 01 10 00 00 00 00 66";
const char* const query_2 = "55 02 10 00 00 00 00 67";
const char* const query_5 = "55 05 10 00 00 00 00 6A";

class FakeClock final : public SessionClock {
  public:
    SessionTime now() const override { return t; }
    SessionTime t{std::chrono::seconds(1000)};
};

class Session : public ::testing::Test {
  protected:
    explicit Session(std::vector<std::uint8_t> addresses = {1}) {
        port.open();
        port.set_rthreshold(8);
        port.calls.clear();
        session = std::make_unique<PollSession>(port, std::move(addresses), events(), clock);
        session->start();
    }
    SessionEvents events() {
        SessionEvents e;
        e.status = [this](std::uint8_t a, link::RelayMap r, const link::Frame&) {
            log.push_back("status " + std::to_string(a) + " " + std::to_string(r));
        };
        e.silent = [this](std::uint8_t a) { log.push_back("silent " + std::to_string(a)); };
        e.sent = [this](std::uint8_t a, const link::Frame& f) {
            log.push_back("sent " + std::to_string(a) + " " + test::hex(f));
            sent_at.push_back(clock.t - start);
        };
        e.lost = [this](const std::string& d, const std::string& r) {
            log.push_back("lost " + d + ": " + r);
        };
        e.wake = [this](SessionTime at) { wake = at; };
        e.dropped = [this](const DroppedAnswers& d) {
            log.push_back("dropped " + std::to_string(d.board) + " " +
                          std::to_string(static_cast<int>(d.reason)) + " byte1 " +
                          std::to_string(d.byte1) + " x" + std::to_string(d.count));
        };
        return e;
    }
    // Like the owner's timer: runs the session whenever it asked, until `until`. A session that
    // keeps asking for the same moment without doing anything would spin its owner: a fault.
    void run_until(SessionTime until) {
        int same_moment = 0;
        while (wake && *wake < until) {
            same_moment = *wake <= clock.t ? same_moment + 1 : 0;
            ASSERT_LT(same_moment, 3) << "asks again and again for a wake-up at once";
            clock.t = std::max(clock.t, *wake);
            wake.reset();
            session->run();
        }
        clock.t = until;
    }
    void run_for(std::chrono::nanoseconds span) { run_until(clock.t + span); }
    // `n` grid slots pass with nobody answering.
    void ticks(int n) { run_for(n * 50ms); }
    // The board's answer arrives `after` the last write (nothing else happens meanwhile).
    void answer(const char* trace, std::chrono::nanoseconds after = 17ms) {
        clock.t = written_at() + after;
        port.feed(test::parse_hex(trace));
        port.raise_comm();
    }
    SessionTime written_at() const { return start + sent_at.back(); }
    std::vector<std::string> only(const std::string& kind) const {
        std::vector<std::string> out;
        for (const auto& line : log)
            if (line.starts_with(kind)) out.push_back(line);
        return out;
    }

    FakeClock clock;
    const SessionTime start = clock.t;
    test::FakeSerialPort port;
    std::vector<std::string> log;
    std::vector<std::chrono::nanoseconds> sent_at;  // since start, per frame written
    std::optional<SessionTime> wake;
    std::unique_ptr<PollSession> session;
};

class TwoBoards : public Session {
  protected:
    TwoBoards() : Session({1, 2}) {}
};

class BoardsOneAndFive : public Session {
  protected:
    BoardsOneAndFive() : Session({1, 5}) {}
};

TEST_F(TwoBoards, OldestCommandFirstThenQueriesInTurnOnTheGrid) {
    session->queue_channel(2, 3, true);
    session->queue_all(1, false);
    session->queue_channel(2, 3, false);  // replaces the unsent "on", keeps its place
    session->queue_channel(9, 1, true);   // no such board in this session
    EXPECT_EQ(session->commands_waiting(), 2U);
    run_for(151ms);
    EXPECT_EQ(port.written_hex(), (Lines{"55 02 11 00 00 00 03 6B", "55 01 13 00 00 00 00 69",
                                         query_1, query_2, query_1}));
    // Unanswered, each command holds the line for the reply wait; the queries owed to the
    // grid follow, and the grid itself does not shift.
    EXPECT_EQ(sent_at, (std::vector<std::chrono::nanoseconds>{0ms, reply_wait, 2 * reply_wait,
                                                              100ms, 150ms}));
    EXPECT_EQ(session->commands_waiting(), 0U);
    // The receive buffer is emptied right before every write, never after.
    for (std::size_t i = 0; i < port.calls.size(); i += 2) {
        EXPECT_EQ(port.calls[i], "clear");
        EXPECT_EQ(port.calls[i + 1], "output");
    }
}

TEST_F(Session, SetAllReplacesWhatWaitsAndLaterChannelCommandsFollowIt) {
    session->queue_channel(1, 1, true);
    session->queue_channel(1, 2, true);
    session->queue_all(1, true);
    session->queue_channel(1, 5, false);
    session->queue_channel(1, 5, true);
    session->queue_channel(1, 17, true);  // no such channel
    EXPECT_EQ(session->commands_waiting(), 2U);
    run_for(70ms);
    EXPECT_EQ(port.written_hex(),
              (Lines{"55 01 13 00 00 FF FF 67", "55 01 12 00 00 00 05 6D", query_1}));
}

TEST_F(Session, CommandGoesAsSoonAsTheLineIsIdleNotAtTheNextSlot) {
    run_for(1ms);  // the first query is out
    answer("22 00 00 00 00 00 01 23");
    run_for(4ms);
    EXPECT_EQ(only("status"), Lines{"status 1 1"});
    // Mid-slot, idle line: at once.
    clock.t = start + 30ms;
    session->queue_channel(1, 2, true);
    ASSERT_TRUE(wake.has_value());
    EXPECT_EQ(*wake, clock.t);
    run_for(1ms);
    EXPECT_EQ(sent_at.back(), 30ms);
    // A reply is outstanding: the next command waits for it, and goes one settle time after it.
    session->queue_channel(1, 3, true);
    run_for(15ms);
    EXPECT_EQ(sent_at.back(), 30ms);
    answer("22 00 00 00 00 00 03 25", 16ms);
    run_for(10ms);
    EXPECT_EQ(port.written_hex().back(), "55 01 12 00 00 00 03 6B");
    EXPECT_EQ(written_at(), start + 30ms + 16ms + answer_settle);
    EXPECT_EQ(only("status"), (Lines{"status 1 1", "status 1 3"}));
}

TEST_F(BoardsOneAndFive, AnswerNamingAnotherBoardIsNeverGivenToThePolledOne) {
    run_for(1ms);                       // asks board 1
    answer("22 05 00 00 00 80 00 A7");  // board 5's late answer, its address in byte 1
    answer("22 05 00 00 00 80 05 AF");  // wrong checksum: dropped in silence
    answer("23 05 00 00 00 80 05 AD");  // wrong header: dropped in silence
    run_for(10ms);
    EXPECT_EQ(session->known_relays(1), std::nullopt);
    EXPECT_EQ(session->known_relays(5), std::nullopt) << "a late answer is not its board's either";
    EXPECT_TRUE(only("status").empty());
    EXPECT_EQ(only("dropped"), Lines{"dropped 1 0 byte1 5 x1"});

    // Its own address, or a zero, or anything that is not another board's: the polled board's.
    const char* const own[] = {"22 01 00 00 00 00 01 24", "22 00 00 00 00 00 01 23",
                               "22 07 00 00 00 00 01 2A"};
    for (int i = 0; i < 3; ++i) {
        run_until(start + (i + 1) * 100ms + 1ms);  // every other slot asks board 1
        ASSERT_EQ(port.written_hex().back(), query_1);
        answer(own[i]);
        run_for(5ms);
    }
    EXPECT_EQ(only("status"), (Lines{"status 1 1", "status 1 1", "status 1 1"}));
    EXPECT_EQ(only("dropped").size(), 1U);
}

TEST_F(BoardsOneAndFive, AnswerThatBeganWhileThePollWentOutIsALateOneForNobody) {
    run_until(start + 51ms);  // asks board 5
    ASSERT_EQ(port.written_hex().back(), query_5);
    // Complete before an answer begun after the poll was on the wire could be.
    answer("22 00 00 00 00 00 01 23", earliest_answer - 1ns);
    run_for(5ms);
    EXPECT_TRUE(only("status").empty());
    EXPECT_EQ(only("dropped"), Lines{"dropped 5 1 byte1 0 x1"});
    // Just late enough: board 5's.
    answer("22 00 00 00 00 00 02 24", earliest_answer);
    run_for(5ms);
    EXPECT_EQ(only("status"), Lines{"status 5 2"});
}

TEST_F(BoardsOneAndFive, TwoAnswersInOnePollsWindowNeitherIsUsed) {
    run_for(1ms);                             // asks board 1
    answer("22 00 00 00 00 80 00 A2", 17ms);  // board 5, late, leaving byte 1 at zero
    answer("22 00 00 00 00 00 01 23", 17ms + answer_settle / 2);  // board 1's own
    run_for(10ms);
    EXPECT_TRUE(only("status").empty());
    EXPECT_EQ(session->known_relays(1), std::nullopt);
    EXPECT_EQ(only("dropped"), Lines{"dropped 1 2 byte1 0 x2"});

    // Once the line was quiet after an answer, the poll is settled: a later one is unasked.
    run_until(start + 101ms);
    answer("22 00 00 00 00 00 01 23");
    run_for(5ms);
    answer("22 00 00 00 00 80 00 A2", 30ms);
    run_for(5ms);
    EXPECT_EQ(only("status"), Lines{"status 1 1"});
    EXPECT_EQ(session->known_relays(1), link::RelayMap{1});
}

TEST_F(TwoBoards, DroppedAnswersAreToldOncePerBoardAMinuteWithTheirCount) {
    for (int i = 0; i < 40; ++i) {  // each board asked 20 times, each time a late answer
        run_until(start + i * 50ms + 1ms);
        answer("22 00 00 00 00 00 01 23", 2ms);
    }
    EXPECT_EQ(only("dropped"), (Lines{"dropped 1 1 byte1 0 x1", "dropped 2 1 byte1 0 x1"}));
    const SessionTime later = start + drop_report_interval;
    run_until(later);
    for (int i = 0; i < 2; ++i) {
        run_until(later + i * 50ms + 1ms);
        answer("22 00 00 00 00 00 01 23", 2ms);
    }
    const Lines told = only("dropped");
    ASSERT_EQ(told.size(), 4U);
    EXPECT_EQ(told[2].substr(0, 10), "dropped 1 ");
    EXPECT_EQ(told[2].substr(told[2].size() - 3), "x20");
    EXPECT_EQ(told[3].substr(told[3].size() - 3), "x20");
}

TEST_F(Session, BoardTurnsNotKnownOnItsSixthSilentPollOnceUntilItAnswersAgain) {
    ticks(5);
    EXPECT_TRUE(only("silent").empty());
    ticks(1);  // never answered: silent from the start
    EXPECT_EQ(only("silent"), Lines{"silent 1"});
    answer("22 01 00 00 00 00 01 24");
    run_for(5ms);
    EXPECT_EQ(session->known_relays(1), link::RelayMap{1});
    ticks(5);
    EXPECT_EQ(session->known_relays(1), link::RelayMap{1});
    ticks(4);  // the sixth poll turns it, later ones say nothing more
    EXPECT_EQ(session->known_relays(1), std::nullopt);
    EXPECT_EQ(only("silent"), (Lines{"silent 1", "silent 1"}));
    EXPECT_EQ(port.written.size(), 15U);  // silent boards are still asked
}

TEST_F(Session, LostPortForgetsTheBoardsKeepsTheCommandsAndSendsNothingUntilReopened) {
    run_for(1ms);
    answer("22 01 00 00 00 00 01 24");
    run_for(5ms);
    port.lose("/dev/ttyUSB0", "the device hung up");
    session->queue_channel(1, 2, true);
    EXPECT_EQ(only("lost"), Lines{"lost /dev/ttyUSB0: the device hung up"});
    EXPECT_EQ(session->known_relays(1), std::nullopt);
    wake = clock.t;
    ticks(10);
    EXPECT_EQ(port.written.size(), 1U);
    EXPECT_TRUE(only("silent").empty());

    port.open();
    session->restart();
    run_for(1ms);
    answer("22 01 00 00 00 00 01 24");  // an answer that is not yet the command's result
    run_for(5ms);
    // The waiting command first, then the query its slot still owes.
    EXPECT_EQ(port.written_hex(), (Lines{query_1, "55 01 12 00 00 00 02 6A", query_1}));
    EXPECT_EQ(session->known_relays(1), link::RelayMap{1});
}

TEST_F(Session, StoppedSessionWritesNothingMoreButJudgesTheAnswerInFlight) {
    run_for(1ms);
    session->stop();
    wake.reset();
    session->queue_channel(1, 2, true);
    EXPECT_FALSE(wake.has_value());
    answer("22 01 00 00 00 00 01 24");
    run_for(5ms);
    EXPECT_EQ(only("status"), Lines{"status 1 1"});
    clock.t += 1s;
    session->run();
    EXPECT_EQ(port.written.size(), 1U);
    session->start();
    run_for(1ms);
    EXPECT_EQ(port.written_hex().back(), "55 01 12 00 00 00 02 6A");
}

}  // namespace
}  // namespace quellbox::session
