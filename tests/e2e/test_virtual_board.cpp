// QtSerialPort against the virtual board, reached through the link the board publishes in the
// runtime folder: frames built by the protocol code go out through Qt and the pty, and the
// board's answers come back byte for byte. The bare line (every byte value, thresholds, loss)
// is tested on a pty the test plays itself, in test_serial_port_pty.cpp.

#include <gtest/gtest.h>

#include <memory>

#include "e2e_support.h"
#include "link/frames.h"
#include "link/qt_serial_port.h"

namespace quellbox::e2e {
namespace {

Bytes status(std::uint16_t relays) {
    const link::Frame f = link::build_status_frame(1, relays);
    return Bytes(f.begin(), f.end());
}

class VirtualBoard : public ::testing::Test {
  protected:
    link::OpenResult open() {
        port.set_comm_port(1);
        const link::OpenResult result = port.open();
        port.set_rthreshold(8);
        port.set_on_comm([this] {
            Bytes frame;
            for (int i = 0; i < 8; ++i) {
                if (const auto byte = port.input()) frame.push_back(*byte);
            }
            replies.push_back(frame);
        });
        return result;
    }
    // Sends a command as the transmitter does (clear, then write) and waits for one answer.
    Bytes ask(std::uint8_t command, std::uint8_t data1 = 0, std::uint8_t data2 = 0) {
        link::Frame frame{};
        link::build_command_frame(frame, 1, command, data1, data2);
        port.clear_input();
        EXPECT_TRUE(port.output(frame));
        const std::size_t before = replies.size();
        if (!wait_until([&] { return replies.size() > before; })) return {};
        return replies.back();
    }

    std::unique_ptr<BoardSim> sim;
    link::QtSerialPort port;  // closed before the board goes
    std::vector<Bytes> replies;
};

TEST_F(VirtualBoard, OpensThroughItsRuntimeLinkAndAnswersAQueryWithItsRelays) {
    sim = std::make_unique<BoardSim>(QStringList{"--initial", "8001"});
    const link::OpenResult opened = open();
    ASSERT_TRUE(opened.ok()) << opened.detail;
    EXPECT_EQ(opened.device, sim->slave_path().toStdString() + " (virtual board, com1)");
    EXPECT_EQ(ask(link::cmd_status_query), (Bytes{0x22, 0x01, 0, 0, 0, 0x80, 0x01, 0xA4}));
}

TEST_F(VirtualBoard, CommandsAreAppliedAndReportedBack) {
    sim = std::make_unique<BoardSim>(QStringList{});
    ASSERT_TRUE(open().ok());
    EXPECT_EQ(ask(link::cmd_set_all, 0xFF, 0xFF), status(0xFFFF));
    EXPECT_EQ(ask(link::cmd_release_one, 0, 16), status(0x7FFF));
    EXPECT_EQ(ask(link::cmd_set_all, 0x00, 0x00), status(0x0000));
    EXPECT_EQ(ask(link::cmd_status_query), status(0x0000));
}

}  // namespace
}  // namespace quellbox::e2e
