// The soak's judge must be able to fail: each test shows a window or a line doing something
// wrong and the oracle counting it, next to the same run done right counting nothing.

#include "oracle.h"

#include <gtest/gtest.h>

#include <functional>
#include <string>
#include <vector>

#include "sim_lines.h"

namespace quellbox::soak {
namespace {

using Bytes = std::vector<std::uint8_t>;

Look as_shown(const controller::Look& look) {
    return Look{look.colour, std::string(look.caption)};
}
const Look green = as_shown(controller::energized_look);
const Look red = as_shown(controller::released_look);
const Look yellow = as_shown(controller::not_known_look);
const Look grey = as_shown(controller::port_closed_look);

// Channels 16 and 1 energized, the rest released.
const Bytes sixteen_and_one = {0x22, 0x00, 0x00, 0x00, 0x00, 0x80, 0x01, 0xA3};
// Channel 9 and channel 8 energized.
const Bytes nine_and_eight = {0x22, 0x00, 0x00, 0x00, 0x00, 0x01, 0x80, 0xA3};

class FakeWindow : public LookSource {
  public:
    FakeWindow() { looks.fill(yellow); }
    Look look(int channel) const override { return looks[static_cast<std::size_t>(channel)]; }
    std::array<Look, 17> looks;
};

class Judge : public ::testing::Test {
  protected:
    // One receive event reading `bytes`; the window paints what the frame says, as a tool that
    // works would, unless `paint` says what it does instead.
    void receive(const Bytes& bytes, const std::function<void()>& paint = {}) {
        oracle.receive_begins();
        for (const std::uint8_t b : bytes) oracle.byte_read(b);
        if (paint) {
            paint();
        } else if (is_acceptable_status(bytes)) {
            show_frame(bytes);
        }
        oracle.receive_ends();
    }
    void show_frame(const Bytes& bytes) {
        Frame8 frame{};
        std::copy_n(bytes.begin(), 8, frame.begin());
        const link::RelayMap relays = link::relays_of(frame);
        for (int n = 1; n <= 16; ++n) show(n, link::is_energized(relays, n) ? green : red);
    }
    void show(int n, const Look& look) { window.looks[static_cast<std::size_t>(n)] = look; }
    void show_all(const Look& look) {
        for (int n = 1; n <= 16; ++n) show(n, look);
    }
    long count(const std::string& kind) const {
        const auto found = oracle.violations().find(kind);
        return found == oracle.violations().end() ? 0 : found->second;
    }

    FakeWindow window;
    Oracle oracle{window};
};

TEST(StatusFrames, OnlyHeader22WithTheRightChecksumIsAcceptable) {
    EXPECT_TRUE(is_acceptable_status(sixteen_and_one));
    EXPECT_FALSE(is_acceptable_status(Bytes{0x22, 0, 0, 0, 0, 0x80, 0x01, 0xA4}));  // checksum
    EXPECT_FALSE(is_acceptable_status(Bytes{0x23, 0, 0, 0, 0, 0x80, 0x01, 0xA4}));  // header
    EXPECT_FALSE(is_acceptable_status(Bytes{0x22, 0, 0, 0, 0, 0, 0x22}));           // 7 bytes
    EXPECT_TRUE(is_acceptable_status(Bytes{0x22, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0x1C}));
}

TEST_F(Judge, LooksPaintedFromEachAcceptedFrameAreRight) {
    oracle.phase_begins("test");
    receive(sixteen_and_one);
    receive(nine_and_eight);
    for (int tick = 0; tick < 5; ++tick) oracle.tick_done();
    oracle.sim_sent(sixteen_and_one);
    oracle.sim_sent(nine_and_eight);
    oracle.phase_ends();
    EXPECT_EQ(oracle.wrong_looks(), 0) << testing::PrintToString(oracle.examples());
    EXPECT_EQ(oracle.counts().frames_accepted, 2);
    EXPECT_EQ(oracle.counts().accepted_replies, 2);
}

TEST_F(Judge, ColourThatTheFrameDoesNotSayIsABitMismatch) {
    receive(sixteen_and_one, [&] {
        show_frame(sixteen_and_one);
        show(2, green);  // channel 2 is released in that frame
    });
    EXPECT_EQ(count("bit_mismatch"), 1);

    // A look that went wrong outside a receive event is found at the next tick.
    show(3, green);
    oracle.tick_done();
    EXPECT_EQ(count("bit_mismatch"), 3);  // channel 2 still, and channel 3
}

TEST_F(Judge, AnyLookChangedWhileReadingARejectedFrameIsWrong) {
    receive(sixteen_and_one);
    // Channel 2 energized under a wrong header: the tool must not believe it.
    const Bytes wrong_header = {0x23, 0, 0, 0, 0, 0x80, 0x03, 0xA6};
    receive(wrong_header, [&] { show(2, green); });
    EXPECT_EQ(oracle.counts().frames_rejected, 1);
    EXPECT_EQ(count("rejected_painted"), 1);
    EXPECT_EQ(count("bit_mismatch"), 1);

    // Reading it and leaving the looks alone is right.
    show(2, red);
    receive(wrong_header);
    EXPECT_EQ(count("rejected_painted"), 1);
}

TEST_F(Judge, GreenOrRedBeforeAnyAcceptedFrameIsWrong) {
    show(5, red);  // no frame says so
    oracle.tick_done();
    EXPECT_EQ(count("bit_mismatch"), 1);
}

TEST_F(Judge, PairsOutsideTheFourLooksAreUnknown) {
    receive(sixteen_and_one, [&] {
        show_frame(sixteen_and_one);
        show(1, Look{green.colour, yellow.caption});
        show(2, Look{yellow.colour, red.caption});
        show(3, Look{green.colour + 1, green.caption});
        show(4, grey);
    });
    EXPECT_EQ(count("unknown_look"), 3);
}

TEST_F(Judge, SixthTickWithoutAnAcceptedFrameMustShowNotKnown) {
    receive(sixteen_and_one);
    for (int tick = 1; tick <= 5; ++tick) oracle.tick_done();
    EXPECT_EQ(oracle.wrong_looks(), 0);
    oracle.tick_done();  // the tool forgot to fall back to not-known
    EXPECT_EQ(count("stale_not_yellow"), 16);

    show_all(yellow);
    oracle.tick_done();
    EXPECT_EQ(count("stale_not_yellow"), 16);

    // A new accepted frame starts the count again.
    receive(nine_and_eight);
    for (int tick = 1; tick <= 5; ++tick) oracle.tick_done();
    EXPECT_EQ(count("stale_not_yellow"), 16);
}

TEST_F(Judge, AcceptedFrameMustBeBytesTheSimulatorSent) {
    oracle.phase_begins("test");
    receive(sixteen_and_one);  // its report comes later, as over a pipe
    receive(nine_and_eight);
    oracle.sim_sent(Bytes{0x22, 0x00, 0x00, 0x00, 0x00, 0x80, 0x01, 0xA3, 0x5A});  // + extra
    oracle.phase_ends();
    EXPECT_EQ(count("frame_not_sent"), 1);
    EXPECT_EQ(oracle.counts().accepted_replies, 1);
}

TEST_F(Judge, FrameAcrossTwoRepliesIsTracedUnlessTheLineHungUpBetween) {
    oracle.phase_begins("test");
    oracle.sim_sent(Bytes{0x10, 0x22, 0x00, 0x00});
    oracle.sim_sent(Bytes{0x00, 0x00, 0x80, 0x01, 0xA3});
    receive(sixteen_and_one);
    EXPECT_EQ(oracle.counts().accepted_spliced, 1);

    oracle.sim_sent(Bytes{0x22, 0x00, 0x00, 0x00});
    oracle.sim_hung_up();
    oracle.sim_sent(Bytes{0x00, 0x01, 0x80, 0xA3});
    receive(nine_and_eight);
    oracle.phase_ends();
    EXPECT_EQ(count("frame_not_sent"), 1);
}

TEST_F(Judge, StateChangesAndFailedOpensAreChecked) {
    show_all(grey);
    oracle.expect_all(LookKind::port_closed, "after closing");
    EXPECT_EQ(oracle.wrong_looks(), 0);
    const auto before = oracle.snapshot();
    show(7, yellow);
    oracle.expect_unchanged(before, "after a failed open");
    oracle.expect_all(LookKind::port_closed, "after closing");
    EXPECT_EQ(count("state_change"), 2);
}

TEST_F(Judge, ReceiveEventsMustReadExactlyEightBytes) {
    receive(Bytes(7, 0x22));
    receive(Bytes(9, 0x22));
    receive(sixteen_and_one);
    EXPECT_EQ(oracle.counts().reads_not_eight, 2);
    EXPECT_EQ(count("bad_read"), 2);
    oracle.byte_read(0x22);  // outside any event
    EXPECT_EQ(count("bad_read"), 3);
    EXPECT_EQ(oracle.wrong_looks(), 0);
    EXPECT_EQ(oracle.line_faults(), 3);
}

TEST_F(Judge, FramesWrittenMustBeWellFormedAndCarryThePlainAddress) {
    const Bytes query1 = {0x55, 0x01, 0x10, 0x00, 0x00, 0x00, 0x00, 0x66};
    const Bytes query7 = {0x55, 0x07, 0x10, 0x00, 0x00, 0x00, 0x00, 0x6C};
    oracle.frame_written(query1, "1");
    oracle.frame_written(query7, "7");
    oracle.frame_written(query1, "1.0");  // left to the tool's reading rule
    EXPECT_EQ(oracle.line_faults(), 0);

    oracle.frame_written(query1, "7");    // wrong address
    oracle.frame_written(query1, "abc");  // nothing may be written
    oracle.frame_written(query1, "");     // nor here
    oracle.frame_written(query1, "300");  // nor past 255
    oracle.frame_written(query1, "-1");   // nor below 0
    oracle.frame_written(Bytes{0x55, 0x01, 0x12, 0x00, 0x00, 0x00, 0x11, 0x79}, "1");  // channel 17
    oracle.frame_written(Bytes{0x55, 0x01, 0x10, 0x00, 0x00, 0x00, 0x00, 0x67}, "1");  // checksum
    EXPECT_EQ(oracle.counts().bad_frames_written, 7);
}

// ---- the board's report lines ----

TEST(SimLines, ReadsBytesFaultsAndPaths) {
    const SimLine tx = parse_sim_line("tx 22 01 00 00 00 80 01 a4 ff");
    EXPECT_EQ(tx.kind, SimLine::Kind::tx);
    EXPECT_EQ(tx.bytes, (Bytes{0x22, 0x01, 0, 0, 0, 0x80, 0x01, 0xA4, 0xFF}));
    EXPECT_FALSE(tx.board.has_value());
    // On a line of several boards, replies say whose they are: they may overtake each other.
    const SimLine of_five = parse_sim_line("tx 22 00 00 00 00 00 01 23 board 05");
    EXPECT_EQ(of_five.board, std::optional<std::uint8_t>(5));
    EXPECT_EQ(of_five.bytes, (Bytes{0x22, 0, 0, 0, 0, 0, 0x01, 0x23}));
    EXPECT_EQ(parse_sim_line("state 0001 board 0a").board, std::optional<std::uint8_t>(10));
    EXPECT_EQ(parse_sim_line("fault silence 300").word, "silence");
    EXPECT_EQ(parse_sim_line("ready com1 /dev/pts/4").word, "/dev/pts/4");
    EXPECT_EQ(parse_sim_line("reopen /dev/pts/5").word, "/dev/pts/5");
    EXPECT_EQ(parse_sim_line("txt 22").kind, SimLine::Kind::other);

    SimTally tally;
    for (const char* line : {"rx 55 01 10 00 00 00 00 66", "tx 22", "fault drop", "fault drop",
                             "hangup", "reopen /dev/pts/6", "ignore address 02", "muted"}) {
        tally.add(parse_sim_line(line));
    }
    EXPECT_EQ(tally.received, 1);
    EXPECT_EQ(tally.answered, 1);
    EXPECT_EQ(tally.faults["drop"], 2);
    EXPECT_EQ(tally.hangups, 1);
    EXPECT_EQ(tally.reopens, 1);
    EXPECT_EQ(tally.ignored, 1);
    EXPECT_EQ(tally.muted, 1);
}

}  // namespace
}  // namespace quellbox::soak
