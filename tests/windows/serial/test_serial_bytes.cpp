// Every byte value through the Windows serial port and back, against a board that sends back
// whatever it hears: nothing is taken for flow control (0x11, 0x13), line ends (0x0A, 0x0D),
// end of file (0x1A) or an error stand-in, and nothing is dropped (0x00, 0xFF).

#include <gtest/gtest.h>

#include <vector>

#include "board_on_com.h"
#include "link/win_serial_port.h"
#include "tools/hex.h"

namespace quellbox::link::win {
namespace {

using testing::BoardOnCom;
using testing::run_until;

TEST(SerialBytes, EveryByteValueGoesOutAndComesBackUnchanged) {
    HandleLoop loop;
    BoardOnCom board;
    WinSerialPort port(loop);
    port.set_comm_port(static_cast<std::int16_t>(board.com()));
    ASSERT_TRUE(port.open().ok());

    std::vector<std::uint8_t> all(256);
    for (std::size_t value = 0; value < all.size(); ++value) {
        all[value] = static_cast<std::uint8_t>(value);
    }
    port.set_rthreshold(static_cast<std::int16_t>(all.size()));
    std::vector<std::uint8_t> back;
    port.set_on_comm([&] {
        while (const auto byte = port.input()) back.push_back(*byte);
    });
    ASSERT_TRUE(port.output(all));
    ASSERT_TRUE(run_until(loop, [&] { return back.size() >= all.size(); }))
        << back.size() << " bytes came back: " << tools::hex(back);

    // What the board heard, in its own report...
    std::vector<std::uint8_t> heard;
    for (const std::string& line : board.lines_after("echo ")) {
        const auto bytes = tools::parse_hex(line);
        heard.insert(heard.end(), bytes.begin(), bytes.end());
    }
    EXPECT_EQ(tools::hex(heard), tools::hex(all)) << "on the way out";
    // ... and what came back from it.
    EXPECT_EQ(tools::hex(back), tools::hex(all)) << "on the way in";
}

}  // namespace
}  // namespace quellbox::link::win
