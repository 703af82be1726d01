// A board that hangs up while the Windows serial port is open (as a pulled USB adapter does):
// the port reports the loss once, closes itself, and does not spin on the dead line.

#include <gtest/gtest.h>

#include "board_on_com.h"
#include "link/frames.h"
#include "link/loss_words.h"
#include "link/win_serial_port.h"

namespace quellbox::link::win {
namespace {

using testing::BoardOnCom;
using testing::run_for;
using testing::run_until;

// User and kernel time this process has used so far, in 100 ns units.
ULONGLONG cpu_time() {
    FILETIME created, ended, kernel, user;
    GetProcessTimes(GetCurrentProcess(), &created, &ended, &kernel, &user);
    auto value = [](const FILETIME& t) {
        return (static_cast<ULONGLONG>(t.dwHighDateTime) << 32) | t.dwLowDateTime;
    };
    return value(kernel) + value(user);
}

TEST(SerialHangup, TheLossIsReportedOnceAndThePortStaysQuiet) {
    HandleLoop loop;
    BoardOnCom board;  // answers one frame, then hangs up at the next
    WinSerialPort port(loop);
    port.set_comm_port(static_cast<std::int16_t>(board.com()));
    ASSERT_TRUE(port.open().ok());
    port.set_rthreshold(8);
    int answers = 0;
    port.set_on_comm([&] {
        for (std::size_t i = 0; i < frame_size; ++i) port.input();
        ++answers;
    });
    int losses = 0;
    std::string lost_device, lost_reason;
    port.set_on_lost([&](const std::string& device, const std::string& reason) {
        ++losses;
        lost_device = device;
        lost_reason = reason;
        EXPECT_FALSE(port.is_open()) << "closed by the time the report comes";
    });

    Frame query{};
    build_command_frame(query, 1, cmd_status_query, 0, 0);
    ASSERT_TRUE(port.output(query));
    ASSERT_TRUE(run_until(loop, [&] { return answers == 1; }));
    // The board hangs up on this one. The write itself may still succeed: the loss shows on
    // the pending read.
    port.output(query);
    ASSERT_TRUE(run_until(loop, [&] { return losses > 0; })) << "the loss was not reported";
    EXPECT_FALSE(board.lines_after("hangup").empty());
    EXPECT_EQ(lost_device, "COM" + std::to_string(board.com()));
    EXPECT_EQ(lost_reason, loss_words::hung_up);
    EXPECT_FALSE(port.is_open());
    EXPECT_FALSE(port.output(query)) << "nothing is written to a lost port";
    EXPECT_FALSE(port.input());

    // A second and more: a port that went on reading the dead line would report again or burn
    // a core. Bound: a quarter of one core, far above an idle wait, far below a spin.
    const ULONGLONG wall_start = GetTickCount64();
    const ULONGLONG cpu_start = cpu_time();
    run_for(loop, std::chrono::milliseconds(1500));
    const double cpu_ms = static_cast<double>(cpu_time() - cpu_start) / 10'000.0;
    const double wall_ms = static_cast<double>(GetTickCount64() - wall_start);
    EXPECT_EQ(losses, 1);
    EXPECT_LT(cpu_ms, wall_ms / 4) << cpu_ms << " ms of CPU in " << wall_ms << " ms";
}

}  // namespace
}  // namespace quellbox::link::win
