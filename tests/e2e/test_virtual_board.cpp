// QtSerialPort against the virtual board: frames built by the protocol code go through Qt, the
// pty and the simulator's line settings, and the answers come back byte for byte.

#include <gtest/gtest.h>

#include <memory>
#include <ostream>

#include "e2e_support.h"
#include "link/frames.h"
#include "link/qt_serial_port.h"

namespace quellbox::e2e {
namespace {

Bytes status(std::uint8_t address, std::uint16_t relays) {
    const link::Frame f = link::build_status_frame(address, relays);
    return Bytes(f.begin(), f.end());
}

QString hex(const link::Frame& frame) {
    return QByteArray(reinterpret_cast<const char*>(frame.data()), frame.size()).toHex(' ');
}

class VirtualBoard : public ::testing::Test {
  protected:
    void start(const QStringList& arguments) { sim = std::make_unique<BoardSim>(arguments); }

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
    Bytes ask(std::uint8_t address, std::uint8_t command, std::uint8_t data1 = 0,
              std::uint8_t data2 = 0) {
        sent = send(address, command, data1, data2);
        const std::size_t before = replies.size();
        if (!wait_until([&] { return replies.size() > before; })) return {};
        return replies.back();
    }

    link::Frame send(std::uint8_t address, std::uint8_t command, std::uint8_t data1 = 0,
                     std::uint8_t data2 = 0) {
        link::Frame frame{};
        link::build_command_frame(frame, address, command, data1, data2);
        port.clear_input();
        EXPECT_TRUE(port.output(frame));
        return frame;
    }

    std::unique_ptr<BoardSim> sim;
    link::QtSerialPort port;  // closed before the board goes
    std::vector<Bytes> replies;
    link::Frame sent{};
};

TEST_F(VirtualBoard, AnswersAQueryWithTheStateOfItsRelays) {
    start({"--initial", "8001"});
    const link::OpenResult opened = open();
    ASSERT_TRUE(opened.ok()) << opened.detail;
    EXPECT_EQ(opened.device, sim->slave_path().toStdString() + " (virtual board, com1)");

    EXPECT_EQ(ask(1, link::cmd_status_query), (Bytes{0x22, 0x01, 0, 0, 0, 0x80, 0x01, 0xA4}));
}

TEST_F(VirtualBoard, CommandsAreAppliedAndReportedBack) {
    start({});
    ASSERT_TRUE(open().ok());
    EXPECT_EQ(ask(1, link::cmd_set_all, 0xFF, 0xFF), status(1, 0xFFFF));
    EXPECT_EQ(ask(1, link::cmd_release_one, 0, 16), status(1, 0x7FFF));
    EXPECT_EQ(ask(1, link::cmd_status_query), status(1, 0x7FFF));
}

TEST_F(VirtualBoard, FramesForOtherBoardsOrWithBadChecksumsGoUnanswered) {
    start({});
    ASSERT_TRUE(open().ok());
    send(2, link::cmd_set_all, 0xFF, 0xFF);
    link::Frame damaged{};
    link::build_command_frame(damaged, 1, link::cmd_set_all, 0xFF, 0xFF);
    ++damaged[link::pos_checksum];
    ASSERT_TRUE(port.output(damaged));
    ASSERT_TRUE(sim->wait_for_line("ignore address 02"));
    ASSERT_TRUE(sim->wait_for_line("badsum"));

    EXPECT_EQ(ask(1, link::cmd_status_query), status(1, 0x0000)) << "a bad frame was applied";
    settle(100ms);
    EXPECT_EQ(replies.size(), 1U);
}

struct Awkward {
    std::uint8_t address;
    const char* relays;
    std::uint16_t relay_bits;
};

void PrintTo(const Awkward& p, std::ostream* os) {
    *os << "address " << int{p.address} << ", relays " << p.relays;
}

class AwkwardBytes : public VirtualBoard, public ::testing::WithParamInterface<Awkward> {};

TEST_P(AwkwardBytes, PassThroughTheWholeStackUnchanged) {
    const Awkward& p = GetParam();
    start({"--address", QString::number(p.address), "--initial", p.relays});
    ASSERT_TRUE(open().ok());
    EXPECT_EQ(ask(p.address, link::cmd_status_query), status(p.address, p.relay_bits));
    EXPECT_TRUE(sim->wait_for_line("rx " + hex(sent)));
}

// XON/XOFF, CR/LF, NUL and high bytes, in the address and in both relay bytes.
INSTANTIATE_TEST_SUITE_P(
    ControlAndHighBytes, AwkwardBytes,
    ::testing::Values(Awkward{0x11, "1311", 0x1311}, Awkward{0x13, "0d0a", 0x0D0A},
                      Awkward{0x00, "0a0d", 0x0A0D}, Awkward{0xFF, "80fe", 0x80FE}),
    [](const ::testing::TestParamInfo<Awkward>& info) {
        return "address_" + std::to_string(info.param.address) + "_relays_" + info.param.relays;
    });

TEST_F(VirtualBoard, ReplyTricklingInAtLineSpeedRaisesOneEvent) {
    start({"--paced", "--initial", "00ff"});
    ASSERT_TRUE(open().ok());
    EXPECT_EQ(ask(1, link::cmd_status_query), status(1, 0x00FF));
    settle(100ms);
    EXPECT_EQ(replies.size(), 1U);
}

TEST_F(VirtualBoard, HangUpIsReportedAndTheRepublishedBoardOpensAgain) {
    start({"--hangup-after", "1", "--reopen-ms", "100"});
    ASSERT_TRUE(open().ok());
    int lost = 0;
    port.set_on_lost([&](const std::string&, const std::string&) { ++lost; });

    EXPECT_EQ(ask(1, link::cmd_status_query), status(1, 0));
    send(1, link::cmd_status_query);  // the board hangs up instead of answering this one
    ASSERT_TRUE(wait_until([&] { return lost == 1; }));
    EXPECT_FALSE(port.is_open());

    ASSERT_TRUE(sim->wait_for_line("reopen "));
    const link::OpenResult reopened = open();
    ASSERT_TRUE(reopened.ok()) << reopened.detail;
    EXPECT_EQ(ask(1, link::cmd_status_query), status(1, 0));
    EXPECT_EQ(lost, 1);
}

}  // namespace
}  // namespace quellbox::e2e
