// The poll cycle: one frame per tick from the command slot or the status query, the link
// countdown, and what the receive event paints.

#include <gtest/gtest.h>

#include <array>
#include <cstdint>
#include <string>
#include <vector>

#include "controller/main_form_logic.h"
#include "link/frames.h"
#include "support/fake_serial_port.h"
#include "support/recording_surface.h"

namespace quellbox::controller {
namespace {

using Lines = std::vector<std::string>;
using test::RecordingSurface;

const char* const query = "55 01 10 00 00 00 00 66";
const char* const energize_all = "55 01 13 00 00 FF FF 67";
const Lines not_known = RecordingSurface::all_channels_lines(colour_not_known, caption_not_known);

// What an accepted frame paints: channel order 9, 1, 10, 2, ..., 16, 8, colour then caption.
Lines painted_from(link::RelayMap relays) {
    Lines log;
    for (const int n : {9, 1, 10, 2, 11, 3, 12, 4, 13, 5, 14, 6, 15, 7, 16, 8}) {
        const Look& look = link::is_energized(relays, n) ? energized_look : released_look;
        log.push_back(RecordingSurface::colour_line(n, look.colour));
        log.push_back(RecordingSurface::caption_line(n, look.caption));
    }
    return log;
}

class PollCycle : public ::testing::Test {
  protected:
    // Opens the port and forgets what opening did, so a test sees only its own traffic.
    void open() {
        logic.open_comm_Click();
        port.calls.clear();
        surface.log.clear();
    }
    void receive(const char* trace) {
        port.feed(test::parse_hex(trace));
        port.raise_comm();
    }
    void ticks(int n) {
        for (int i = 0; i < n; ++i) logic.Timer1_Timer();
    }

    test::FakeSerialPort port;
    RecordingSurface surface;
    MainFormLogic logic{port, surface};
};

TEST_F(PollCycle, EachTickSendsTheLatestCommandOrElseTheStatusQuery) {
    open();
    ticks(1);
    logic.openall_Click();
    logic.closeall_Click();  // replaces the first: only this one goes out
    ticks(2);
    logic.openall_Click();
    surface.add = "2";  // the address is the one in the field when the frame goes out
    ticks(1);
    EXPECT_EQ(port.written_hex(),
              (Lines{query, "55 01 13 00 00 00 00 69", query, "55 02 13 00 00 FF FF 68"}));
    EXPECT_EQ(port.calls.size(), 8U);  // clear, output on every tick
}

TEST_F(PollCycle, CommandGoesOutOnceEvenWhenItsWriteFails) {
    open();
    logic.openall_Click();
    port.fail_writes = true;
    ticks(1);
    port.fail_writes = false;
    ticks(1);
    EXPECT_EQ(port.written_hex(), Lines{query});
}

TEST_F(PollCycle, SixthSilentTickShowsNotKnownAndEveryLaterTickRepaints) {
    open();
    receive("22 00 00 00 00 00 01 23");
    ticks(5);
    receive("22 00 00 00 00 00 01 23");  // in time: the display stays
    for (int left = 4; left >= 0; --left) {
        surface.log.clear();
        ticks(1);
        EXPECT_TRUE(surface.log.empty()) << "countdown going to " << left;
    }
    for (int stale = 0; stale < 3; ++stale) {
        surface.log.clear();
        ticks(1);
        EXPECT_EQ(surface.log, not_known);
    }
    EXPECT_EQ(port.written.size(), 13U);  // stale ticks still send
}

class AcceptedFrame : public PollCycle, public ::testing::WithParamInterface<const char*> {};

TEST_P(AcceptedFrame, PaintsEveryChannelStraightFromNotKnownInFixedOrder) {
    open();
    ticks(1);  // no frame yet: every channel not-known
    ASSERT_EQ(surface.log, not_known);
    const auto frame = test::parse_hex(GetParam());
    const auto relays = static_cast<std::uint16_t>(frame[5] << 8 | frame[6]);
    surface.log.clear();
    receive(GetParam());
    EXPECT_EQ(surface.log, painted_from(relays));
}

// The same report again leaves the looks as they are; once any other look was given in between
// (the board fell silent, the port was closed and opened again), it is painted in full again.
TEST_P(AcceptedFrame, SameReportAgainIsPaintedInFullWheneverOtherLooksCameBetween) {
    open();
    const auto frame = test::parse_hex(GetParam());
    const auto relays = static_cast<std::uint16_t>(frame[5] << 8 | frame[6]);
    receive(GetParam());
    ASSERT_EQ(surface.log, painted_from(relays));
    for (int i = 0; i < 3; ++i) {
        surface.log.clear();
        ticks(1);
        receive(GetParam());
        EXPECT_EQ(surface.log, Lines{}) << "repeat " << i << " writes no look again";
    }

    ticks(6);  // silent: every channel not-known
    ASSERT_EQ(surface.colours[1], colour_not_known);
    surface.log.clear();
    receive(GetParam());
    EXPECT_EQ(surface.log, painted_from(relays)) << "after the board fell silent";

    logic.open_comm_Click();  // closed
    logic.open_comm_Click();  // open again: not-known
    surface.log.clear();
    receive(GetParam());
    EXPECT_EQ(surface.log, painted_from(relays)) << "after the port was opened again";

    const auto other = static_cast<std::uint16_t>(relays ^ 0x0101);  // channels 1 and 9 flip
    const auto other_frame = link::build_status_frame(frame[1], other);
    surface.log.clear();
    port.feed(other_frame);
    port.raise_comm();
    EXPECT_EQ(surface.log, painted_from(other)) << "a different report";
}

INSTANTIATE_TEST_SUITE_P(Frames, AcceptedFrame,
                         ::testing::Values("22 00 00 00 00 80 01 A3",    // 16 and 1
                                           "22 00 00 00 00 01 80 A3",    // 9 and 8
                                           "22 00 00 00 00 00 FF 21",    // 1 to 8
                                           "22 00 00 00 00 FF 00 21",    // 9 to 16
                                           "22 09 08 07 06 A5 5A 3F"));  // bytes 1-4 ignored

TEST_F(PollCycle, RejectedFramesChangeNothing) {
    open();
    receive("22 00 00 00 00 00 F0 12");
    ticks(2);
    const auto looks = surface.colours;
    surface.log.clear();
    for (const char* rejected : {"22 00 00 00 00 80 01 A4", "23 00 00 00 00 80 01 A4",
                                 "22 00 00 00 00 80 01" /* only seven came */}) {
        receive(rejected);
    }
    EXPECT_TRUE(surface.log.empty());
    EXPECT_EQ(surface.colours, looks);
    ticks(3);  // the countdown still runs from the accepted frame: its sixth tick is the last
    EXPECT_TRUE(surface.log.empty());
    ticks(1);
    EXPECT_EQ(surface.log, not_known);
}

TEST_F(PollCycle, EventsOtherThanReceiveReadNothing) {
    open();
    port.feed(test::parse_hex("22 00 00 00 00 FF FF 20"));
    for (const std::int16_t code : {0, 1, 3, 1008}) port.raise_comm(code);
    EXPECT_EQ(port.incoming.size(), 8U);
    EXPECT_TRUE(surface.log.empty());
}

TEST_F(PollCycle, CommandQueuedWhileClosedIsConsumedAndNeverWritten) {
    logic.closeall_Click();  // at start-up the timer already runs while the port is closed
    ticks(1);
    EXPECT_EQ(surface.log, not_known);
    open();
    ticks(1);
    EXPECT_EQ(port.written_hex(), Lines{query});
}

TEST_F(PollCycle, ClosingAndReopeningKeepTheSlotAndTheCountdown) {
    open();
    receive("22 00 00 00 00 00 03 25");
    ticks(1);
    logic.openall_Click();
    logic.open_comm_Click();  // close
    logic.open_comm_Click();  // reopen
    EXPECT_EQ(surface.colours[1], colour_not_known);
    surface.log.clear();
    ticks(4);  // the countdown goes on from 4
    EXPECT_TRUE(surface.log.empty());
    ticks(1);
    EXPECT_EQ(surface.log, not_known);
    EXPECT_EQ(port.written_hex(), (Lines{query, energize_all, query, query, query, query}));
}

}  // namespace
}  // namespace quellbox::controller
