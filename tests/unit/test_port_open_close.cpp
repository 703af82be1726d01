// Opening and closing the port: the order of the steps, the two window states, and what the
// operator sees when opening fails or the device goes away.

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "controller/main_form_logic.h"
#include "support/fake_serial_port.h"
#include "support/recording_surface.h"

namespace quellbox::controller {
namespace {

using Lines = std::vector<std::string>;
using link::OpenError;
using test::RecordingSurface;

// The full log of a window state: channels 1 to 16, then the buttons, timer, field, caption.
Lines state(const Lines& head, const Look& look, bool open) {
    Lines log = head;
    for (const auto& line : RecordingSurface::all_channels_lines(look.colour, look.caption)) {
        log.push_back(line);
    }
    const std::string on = open ? "1" : "0";
    log.insert(log.end(),
               {"openall " + on, "closeall " + on, "timer " + on,
                std::string("port_field ") + (open ? "0" : "1"),
                "open_comm " + std::string(open ? caption_close_port : caption_open_port)});
    return log;
}

class PortOpenClose : public ::testing::Test {
  protected:
    // Port calls go into the window's log too, so both share one timeline.
    void SetUp() override {
        port.on_call = [this](const std::string& call) { surface.log.push_back("port " + call); };
    }
    void forget() {
        port.calls.clear();
        surface.log.clear();
        surface.notices.clear();
    }

    test::FakeSerialPort port;
    RecordingSurface surface;
    MainFormLogic logic{port, surface};
};

TEST_F(PortOpenClose, OpensWithTheNumberThenSetsTheThresholdThenTheWindow) {
    surface.port = "3";
    logic.open_comm_Click();
    EXPECT_EQ(surface.log,
              state({"port CommPort 3", "port open", "port RThreshold 8"}, not_known_look, true));
    EXPECT_TRUE(surface.notices.empty());
}

TEST_F(PortOpenClose, ClosesThenShowsThePortClosedState) {
    logic.open_comm_Click();
    forget();
    logic.open_comm_Click();
    EXPECT_EQ(surface.log, state({"port close"}, port_closed_look, false));
    EXPECT_FALSE(port.is_open());
}

TEST_F(PortOpenClose, OpenPortKeepsItsNumberUntilTheNextOpening) {
    surface.on_vscroll2_change = [this] { logic.VScroll2_Change(); };
    surface.on_port_change = [this] { logic.chuankou_num_Change(); };
    logic.open_comm_Click();
    forget();
    surface.set_vscroll2_value(4);  // the spin bar works while the field is disabled
    EXPECT_EQ(surface.port, "4");
    logic.open_comm_Click();
    logic.open_comm_Click();
    EXPECT_EQ(port.calls, (Lines{"close", "CommPort 4", "open", "RThreshold 8"}));
}

TEST_F(PortOpenClose, LostDeviceShowsThePortClosedStateAndTellsTheOperatorOnce) {
    logic.open_comm_Click();
    forget();
    port.lose("/dev/ttyUSB0", "the device was removed");
    EXPECT_EQ(surface.log, state({}, port_closed_look, false));
    EXPECT_EQ(surface.notices, Lines{"port lost: /dev/ttyUSB0: the device was removed"});
    forget();
    logic.open_comm_Click();  // the next click opens again
    EXPECT_EQ(port.calls, (Lines{"CommPort 1", "open", "RThreshold 8"}));
}

struct OpenFailure {
    const char* port_text;
    link::OpenError error;  // none: the text itself is refused, no port call
    const char* device;     // what the port reports having tried
    const char* number;     // what reached CommPort
};
void PrintTo(const OpenFailure& c, std::ostream* os) {
    *os << c.port_text << " " << c.device;
}

class OpenFails : public PortOpenClose, public ::testing::WithParamInterface<OpenFailure> {
  protected:
    // The window is told what stood in the way; text that is no number at all reaches no
    // device, like a number past the list, and is told in the same way.
    void click_and_expect_nothing_but_one_notice() {
        const OpenFailure& c = GetParam();
        surface.port = c.port_text;
        port.next_open = {};
        port.next_open.error = c.error;
        port.next_open.device = c.device;
        logic.open_comm_Click();
        const bool reached_port = c.error != OpenError::none;
        const Lines reached{"port CommPort " + std::string(c.number), "port open"};
        EXPECT_EQ(surface.log, reached_port ? reached : Lines{});
        const OpenError told = reached_port ? c.error : OpenError::no_such_port;
        EXPECT_EQ(surface.notices, Lines{"open failed: " + std::string(c.port_text) + ": " +
                                         std::to_string(static_cast<int>(told)) + " " + c.device});
        forget();
    }
};

TEST_P(OpenFails, FromStartUpTheWindowKeepsWhatItHad) {
    click_and_expect_nothing_but_one_notice();
    EXPECT_TRUE(surface.timer && surface.openall && surface.port_field);
    click_and_expect_nothing_but_one_notice();  // still closed: the next click tries again
}

TEST_P(OpenFails, FromThePortClosedStateTheWindowKeepsWhatItHad) {
    logic.open_comm_Click();
    logic.open_comm_Click();
    forget();
    click_and_expect_nothing_but_one_notice();
    EXPECT_FALSE(surface.timer || surface.openall);
    EXPECT_EQ(surface.colours[16], colour_port_closed);
}

INSTANTIATE_TEST_SUITE_P(Open, OpenFails,
                         ::testing::Values(OpenFailure{"abc", OpenError::none, "", ""},
                                           OpenFailure{"", OpenError::none, "", ""},
                                           OpenFailure{"40000", OpenError::none, "", ""},
                                           OpenFailure{"-5", OpenError::no_such_port, "", "-5"},
                                           OpenFailure{"1", OpenError::missing, "/dev/ttyS0", "1"},
                                           OpenFailure{" 2 ", OpenError::busy, "/dev/ttyUSB0", "2"},
                                           OpenFailure{"3", OpenError::no_permission,
                                                       "/dev/ttyACM0", "3"},
                                           OpenFailure{"4", OpenError::other, "/dev/ttyS3", "4"}));

}  // namespace
}  // namespace quellbox::controller
