// The real window on the real Qt serial port, fed what a line and a system can do wrong: a
// device another window holds, and status streams that the window must read whole or not at
// all. Ticks are delivered by hand, so each poll and what the test writes back are in a fixed
// order. Lengths as such are the receive-path fuzzer's and the pty tests' business; here only
// what needs the window and the real port together.

#include <gtest/gtest.h>

#include <QLineEdit>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "link/frames.h"
#include "link/qt_serial_port.h"
#include "window_driver.h"

namespace quellbox::e2e {
namespace {

const Bytes status_query = {0x55, 0x01, 0x10, 0x00, 0x00, 0x00, 0x00, 0x66};

Bytes status(std::uint16_t relays) {
    const link::Frame frame = link::build_status_frame(0x01, relays);
    return Bytes(frame.begin(), frame.end());
}
Bytes joined(std::initializer_list<Bytes> parts) {
    Bytes out;
    for (const Bytes& part : parts) out.insert(out.end(), part.begin(), part.end());
    return out;
}

// One window on its own real port.
struct Window {
    Window() { form.show(); }
    void set_port_number(const QString& text) const {
        auto* field = window.control<QLineEdit>("chuankou_num");
        field->selectAll();
        field->insert(text);
    }
    // The window as it came up, or as a failed open must leave it; the notice says `says`.
    void expect_untouched_start_up_and_notice(const char* says) const {
        EXPECT_FALSE(port.is_open());
        EXPECT_EQ(window.looks(), all(not_known));
        EXPECT_EQ(window.open_comm_caption(), "打开串口");
        EXPECT_TRUE(window.control("chuankou_num")->isEnabled());
        EXPECT_TRUE(window.control("openall")->isEnabled());
        EXPECT_TRUE(window.control<link::PreciseTicker>("Timer1")->is_active());
        EXPECT_NE(window.notice_box(), nullptr);
        EXPECT_NE(window.notice().find(says), std::string::npos) << window.notice();
    }

    std::unique_ptr<link::QtSerialPort> handed_over = std::make_unique<link::QtSerialPort>();
    link::QtSerialPort& port = *handed_over;  // owned by the window
    ui::MainForm form{std::move(handed_over)};
    WindowDriver window{form};
};

// ---- opening a device that cannot be had ----

TEST(BadDevice, PortHeldByAnotherWindowIsBusyUntilThatWindowLetsGo) {
    PtyPair pty;
    link_port(1, pty.slave_path());
    Window first;
    Window second;
    first.window.click("open_comm");
    ASSERT_TRUE(first.port.is_open());

    second.window.click("open_comm");
    second.expect_untouched_start_up_and_notice(" is in use by ");
    EXPECT_TRUE(first.port.is_open()) << "the failed open disturbed the window holding the port";

    first.window.click("open_comm");
    second.window.click("open_comm");
    EXPECT_TRUE(second.port.is_open());
    EXPECT_EQ(second.window.open_comm_caption(), "关闭串口");
}

// ---- status streams of the wrong length ----

struct Stream {
    const char* why;
    std::vector<Bytes> chunks;           // written one after the other, each taken in full
    std::optional<std::uint16_t> shown;  // relays shown afterwards; nothing: still not-known
};
void PrintTo(const Stream& s, std::ostream* os) {
    *os << s.why;
}

class StatusStream : public ::testing::TestWithParam<Stream> {
  protected:
    void SetUp() override {
        link_port(1, pty.slave_path());
        w.window.click("open_comm");
        ASSERT_TRUE(w.port.is_open());
        // Only the ticks the test delivers.
        w.window.control<link::PreciseTicker>("Timer1")->stop();
    }
    // A tick, and the status query it puts on the line.
    void poll() {
        w.window.tick();
        ASSERT_EQ(pty.read(8), status_query);
    }

    PtyPair pty;
    Window w;
};

TEST_P(StatusStream, ShowsOnlyWholeFramesAndTheNextPollStartsClean) {
    const Stream& stream = GetParam();
    poll();
    for (const Bytes& chunk : stream.chunks) {
        pty.write(chunk);
        ASSERT_TRUE(pty.wait_taken());
        settle(std::chrono::milliseconds(30));  // a second frame's event comes from the loop
    }
    if (stream.shown) {
        EXPECT_TRUE(w.window.shows(relays(*stream.shown)));
    } else {
        EXPECT_EQ(w.window.looks(), all(not_known));
    }

    // Whatever was left over goes with the next poll: its answer is read alone and shown.
    poll();
    pty.write(status(0x0F0F));
    EXPECT_TRUE(w.window.shows(relays(0x0F0F)));
}

INSTANTIATE_TEST_SUITE_P(
    Lengths, StatusStream,
    ::testing::Values(
        Stream{"sixteen_bytes", {joined({status(0x8001), status(0x0180)})}, 0x0180},
        // A stray byte first: both frames are read out of step and neither may be shown.
        Stream{"seventeen_bytes", {joined({{0x00}, status(0x8001), status(0x0180)})}, {}}),
    [](const auto& info) { return std::string(info.param.why); });

}  // namespace
}  // namespace quellbox::e2e
