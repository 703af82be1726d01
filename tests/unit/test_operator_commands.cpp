// Channel clicks and the two all-channel buttons: what they leave in the command slot, as seen
// in the frames the next ticks send.

#include <gtest/gtest.h>

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

const char* const query = "55 01 10 00 00 00 00 66";
const char* const release_five = "55 01 11 00 00 00 05 6C";
const char* const release_all = "55 01 13 00 00 00 00 69";

class OperatorCommands : public ::testing::Test {
  protected:
    void open_with_relays(std::uint16_t relays) {
        logic.open_comm_Click();
        port.feed(link::build_status_frame(1, relays));
        port.raise_comm();
        surface.log.clear();
    }

    test::FakeSerialPort port;
    test::RecordingSurface surface;
    MainFormLogic logic{port, surface};
};

struct ClickCase {
    controller::Colour colour;  // what every indicator shows
    bool on_caption;
    std::int16_t index;
    const char* frame;  // sent by the next tick; release-all was waiting before the click
};
void PrintTo(const ClickCase& c, std::ostream* os) {
    *os << std::hex << c.colour << (c.on_caption ? " caption " : " indicator ") << std::dec
        << c.index;
}

class ChannelClick : public OperatorCommands, public ::testing::WithParamInterface<ClickCase> {};

TEST_P(ChannelClick, AsksForWhatTheLookSaysAndNothingElse) {
    const ClickCase& c = GetParam();
    open_with_relays(0);
    surface.colours.fill(c.colour);
    logic.closeall_Click();
    c.on_caption ? logic.Label2_Click(c.index) : logic.Picture1_Click(c.index);
    EXPECT_TRUE(surface.log.empty());  // the look changes only when the board reports
    logic.Timer1_Timer();
    EXPECT_EQ(port.written_hex(), Lines{c.frame});
}

INSTANTIATE_TEST_SUITE_P(
    Clicks, ChannelClick,
    ::testing::Values(ClickCase{colour_energized, false, 12, "55 01 11 00 00 00 0C 73"},
                      ClickCase{colour_energized, true, 12, "55 01 11 00 00 00 0C 73"},
                      ClickCase{colour_energized, true, 1, "55 01 11 00 00 00 01 68"},
                      ClickCase{colour_released, false, 3, "55 01 12 00 00 00 03 6B"},
                      ClickCase{colour_released, true, 3, "55 01 12 00 00 00 03 6B"},
                      ClickCase{colour_released, false, 16, "55 01 12 00 00 00 10 78"},
                      ClickCase{colour_not_known, false, 5, release_all},
                      ClickCase{colour_not_known, true, 5, release_all},
                      ClickCase{colour_port_closed, false, 5, release_all},
                      ClickCase{0x000000, false, 5, release_all},
                      ClickCase{colour_energized, false, 0, release_all},
                      ClickCase{colour_energized, true, 17, release_all},
                      ClickCase{colour_released, false, -1, release_all}));

TEST_F(OperatorCommands, ChannelClickAfterEnergizeAllSendsOnlyTheRelease) {
    open_with_relays(0x0010);  // channel 5 energized
    logic.openall_Click();
    logic.Picture1_Click(5);
    logic.Timer1_Timer();
    logic.Timer1_Timer();
    EXPECT_EQ(port.written_hex(), (Lines{release_five, query}));
}

TEST_F(OperatorCommands, ChannelsInThePortClosedLookQueueNothing) {
    open_with_relays(0xFFFF);
    logic.open_comm_Click();  // close
    for (std::int16_t n = 1; n <= 16; ++n) logic.Picture1_Click(n);
    logic.open_comm_Click();  // reopen
    port.written.clear();
    logic.Timer1_Timer();
    EXPECT_EQ(port.written_hex(), Lines{query});
}

// A command clicked just before the port was closed waits in the slot. Reopening the same
// device sends it; opening another device must not: a board nobody looked at would switch.
TEST_F(OperatorCommands, CommandWaitingAcrossACloseGoesOnlyToTheDeviceItWasClickedFor) {
    struct Reopen {
        const char* device;
        const char* first_frame;
    };
    for (const Reopen& reopen :
         {Reopen{"/dev/ttyUSB0", release_five}, Reopen{"/dev/ttyUSB1", query},
          Reopen{"/dev/ttyUSB0 (other description)", query}}) {
        SCOPED_TRACE(reopen.device);
        port.next_open.device = "/dev/ttyUSB0";
        open_with_relays(0x0010);  // channel 5 energized
        logic.Picture1_Click(5);
        logic.open_comm_Click();  // closed before the next tick
        port.next_open.device = reopen.device;
        port.written.clear();
        logic.open_comm_Click();
        logic.Timer1_Timer();
        EXPECT_EQ(port.written_hex(), Lines{reopen.first_frame});
        logic.open_comm_Click();
    }
}

TEST_F(OperatorCommands, CommandClickedWhileNoPortWasOpenIsNotSentToThePortOpenedNext) {
    logic.openall_Click();  // the buttons work before any port is open
    port.next_open.device = "/dev/ttyUSB0";
    logic.open_comm_Click();
    logic.Timer1_Timer();
    EXPECT_EQ(port.written_hex(), Lines{query});
}

}  // namespace
}  // namespace quellbox::controller
