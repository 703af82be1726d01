// The Windows serial port against the virtual board on a COM port above 9 (so "\\.\COM<n>" is
// the only way to it): opening, the receive event once 8 bytes wait, clearing before a write,
// a port already open and a port that does not exist.

#include <gtest/gtest.h>

#include <vector>

#include "board_on_com.h"
#include "link/frames.h"
#include "link/win_serial_port.h"
#include "tools/hex.h"

namespace quellbox::link::win {
namespace {

using testing::BoardOnCom;
using testing::run_until;

Frame command(std::uint8_t code, std::uint8_t data1 = 0, std::uint8_t data2 = 0) {
    Frame frame{};
    build_command_frame(frame, 1, code, data1, data2);
    return frame;
}

// The port, opened on the board's COM number, and what its receive events saw.
struct OpenPort {
    explicit OpenPort(HandleLoop& loop, int com) : port(loop) {
        port.set_comm_port(static_cast<std::int16_t>(com));
        result = port.open();
        port.set_rthreshold(8);
        port.set_on_comm([this] {
            ++events;
            event_codes.push_back(port.comm_event());
            if (!read_in_handler) return;
            Frame frame{};
            for (auto& byte : frame) {
                const auto got = port.input();
                if (!got) {
                    ++short_events;
                    return;
                }
                byte = *got;
            }
            frames.push_back(frame);
        });
    }

    WinSerialPort port;
    OpenResult result;
    bool read_in_handler = true;
    int events = 0;
    int short_events = 0;  // events that came before 8 bytes could be read
    std::vector<std::int16_t> event_codes;
    std::vector<Frame> frames;
};

class SerialLine : public ::testing::Test {
  protected:
    // The board lives as long as the test program: each test starts from all relays released,
    // with that answer read and gone.
    void release_all(OpenPort& open) {
        ASSERT_TRUE(open.port.output(command(cmd_set_all, set_all_release, set_all_release)));
        ASSERT_TRUE(run_until(loop, [&] { return open.frames.size() == 1; }));
        open.frames.clear();
        open.events = 0;
        open.event_codes.clear();
    }

    HandleLoop loop;
    BoardOnCom board;
};

TEST_F(SerialLine, OpensTheBoardsPortAndClosesIt) {
    ASSERT_GE(board.com(), 10) << "the harness should put this board above COM9";
    OpenPort open(loop, board.com());
    ASSERT_TRUE(open.result.ok()) << open.result.detail;
    EXPECT_EQ(open.result.device, "COM" + std::to_string(board.com()));
    EXPECT_TRUE(open.port.is_open());

    open.port.close();
    EXPECT_FALSE(open.port.is_open());
    EXPECT_FALSE(open.port.output(command(cmd_status_query)));
    open.port.close();  // closing a closed port does nothing

    ASSERT_TRUE(open.port.open().ok()) << "a closed port opens again";
    ASSERT_TRUE(open.port.output(command(cmd_status_query)));
    EXPECT_TRUE(run_until(loop, [&] { return !open.frames.empty(); }));
}

TEST_F(SerialLine, RaisesTheReceiveEventOnceEightBytesWait) {
    // The board writes its answer a byte at a time, at the line's pace: an event raised for
    // fewer bytes would find the frame incomplete.
    OpenPort open(loop, board.com());
    ASSERT_TRUE(open.result.ok()) << open.result.detail;
    release_all(open);
    const std::size_t frames_before = board.lines_after("rx ").size();
    for (int round = 0; round < 3; ++round) {
        ASSERT_TRUE(
            open.port.output(command(cmd_energize_one, 0, static_cast<std::uint8_t>(round + 1))));
        ASSERT_TRUE(run_until(loop, [&] { return open.frames.size() == std::size_t(round + 1); }))
            << "no answer to frame " << round;
    }
    EXPECT_EQ(open.short_events, 0);
    EXPECT_EQ(open.events, 3);
    for (const std::int16_t code : open.event_codes) EXPECT_EQ(code, comm_event_receive);
    EXPECT_EQ(open.port.comm_event(), 0) << "the code belongs to the event while it is delivered";
    // Channels 1, 2 and 3 energized one after the other: the board's answers, byte for byte.
    EXPECT_EQ(open.frames[0], build_status_frame(1, 0x0001));
    EXPECT_EQ(open.frames[1], build_status_frame(1, 0x0003));
    EXPECT_EQ(open.frames[2], build_status_frame(1, 0x0007));
    EXPECT_FALSE(open.port.input()) << "nothing beyond the three answers came";
    EXPECT_EQ(board.lines_after("rx ").size() - frames_before, 3u);
}

TEST_F(SerialLine, ClearingBeforeAWriteLeavesOnlyTheNewAnswer) {
    OpenPort open(loop, board.com());
    ASSERT_TRUE(open.result.ok()) << open.result.detail;
    release_all(open);
    open.read_in_handler = false;
    // An answer that nobody reads: relays 0000.
    ASSERT_TRUE(open.port.output(command(cmd_status_query)));
    ASSERT_TRUE(run_until(loop, [&] { return open.events == 1; }));

    open.read_in_handler = true;
    open.port.clear_input();
    EXPECT_FALSE(open.port.input()) << "the unread answer is gone";
    ASSERT_TRUE(open.port.output(command(cmd_energize_one, 0, 5)));
    ASSERT_TRUE(run_until(loop, [&] { return !open.frames.empty(); }));
    EXPECT_EQ(open.frames[0], build_status_frame(1, 0x0010));
    EXPECT_FALSE(open.port.input());
}

TEST_F(SerialLine, APortAlreadyOpenIsBusyUntilItCloses) {
    OpenPort first(loop, board.com());
    ASSERT_TRUE(first.result.ok()) << first.result.detail;

    WinSerialPort second(loop);
    second.set_comm_port(static_cast<std::int16_t>(board.com()));
    const OpenResult refused = second.open();
    EXPECT_EQ(refused.error, OpenError::busy) << refused.detail;
    EXPECT_EQ(refused.device, "COM" + std::to_string(board.com()));
    EXPECT_FALSE(second.is_open());

    // The refusal left the first one alone.
    ASSERT_TRUE(first.port.output(command(cmd_status_query)));
    EXPECT_TRUE(run_until(loop, [&] { return !first.frames.empty(); }));

    first.port.close();
    EXPECT_TRUE(second.open().ok()) << "free again once the first closed";
}

TEST_F(SerialLine, APortThatDoesNotExistSaysSo) {
    WinSerialPort port(loop);
    // The harness maps only its boards' ports.
    port.set_comm_port(250);
    OpenResult result = port.open();
    EXPECT_EQ(result.error, OpenError::no_such_port) << result.detail;
    EXPECT_EQ(result.device, "COM250");
    EXPECT_FALSE(result.detail.empty()) << "the system's words, for a log";
    EXPECT_FALSE(port.is_open());

    port.set_comm_port(0);
    result = port.open();
    EXPECT_EQ(result.error, OpenError::no_such_port);
    EXPECT_FALSE(port.is_open());
}

}  // namespace
}  // namespace quellbox::link::win
