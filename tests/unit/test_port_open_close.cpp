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
    link::OpenResult result;  // OpenError::none: the text itself is refused, no port call
    const char* number;       // what reached CommPort
    const char* names;        // the device or text the notice must name
};
void PrintTo(const OpenFailure& c, std::ostream* os) {
    *os << c.port_text << " " << c.result.device;
}

class OpenFails : public PortOpenClose, public ::testing::WithParamInterface<OpenFailure> {
  protected:
    void click_and_expect_nothing_but_one_notice() {
        const OpenFailure& c = GetParam();
        surface.port = c.port_text;
        port.next_open = c.result;
        logic.open_comm_Click();
        const bool reached_port = c.result.error != OpenError::none;
        const Lines reached{"port CommPort " + std::string(c.number), "port open"};
        EXPECT_EQ(surface.log, reached_port ? reached : Lines{});
        ASSERT_EQ(surface.notices.size(), 1U);
        const std::string& notice = surface.notices[0];
        EXPECT_NE(notice.find(c.names), std::string::npos) << notice;
        const std::string why = reached_port ? link::describe(c.result.error) : "not a port number";
        EXPECT_NE(notice.find(why), std::string::npos) << notice;
        EXPECT_NE(notice.find(c.result.detail), std::string::npos) << notice;
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

INSTANTIATE_TEST_SUITE_P(
    Open, OpenFails,
    ::testing::Values(
        OpenFailure{"abc", {}, "", "\"abc\""}, OpenFailure{"", {}, "", "\"\""},
        OpenFailure{"40000", {}, "", "\"40000\""},
        OpenFailure{"7", {OpenError::no_such_port, "", ""}, "7", "port 7"},
        OpenFailure{"1", {OpenError::missing, "/dev/ttyS0", "No such file"}, "1", "/dev/ttyS0"},
        OpenFailure{" 2 ", {OpenError::busy, "/dev/ttyUSB0", "busy"}, "2", "/dev/ttyUSB0"},
        OpenFailure{"3", {OpenError::no_permission, "/dev/ttyACM0", ""}, "3", "/dev/ttyACM0"},
        OpenFailure{"4", {OpenError::other, "/dev/ttyS3", "I/O error"}, "4", "/dev/ttyS3"}));

}  // namespace
}  // namespace quellbox::controller
