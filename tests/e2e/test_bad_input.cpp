// The real window on the real Qt serial port, fed what a line and a system can do wrong: a
// device that goes away between resolution and opening, a device another window holds, status
// streams of the wrong length, and a board that answers twice per poll. Ticks are delivered by
// hand, so each poll and what the test writes back are in a fixed order.

#include <gtest/gtest.h>

#include <QFile>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTest>
#include <QTimer>
#include <QTimerEvent>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "e2e_support.h"
#include "link/frames.h"
#include "link/qt_serial_port.h"
#include "ui/main_form.h"

namespace quellbox::e2e {
namespace {

constexpr std::uint32_t yellow = 0x00FFFF;
constexpr std::uint32_t green = 0x00FF00;
constexpr std::uint32_t red = 0x0000FF;
const Bytes status_query = {0x55, 0x01, 0x10, 0x00, 0x00, 0x00, 0x00, 0x66};

Bytes status(std::uint16_t relays) {
    const link::Frame frame = link::build_status_frame(0x01, relays);
    return Bytes(frame.begin(), frame.end());
}
Bytes first(Bytes bytes, std::size_t count) {
    bytes.resize(count);
    return bytes;
}
Bytes joined(std::initializer_list<Bytes> parts) {
    Bytes out;
    for (const Bytes& part : parts) out.insert(out.end(), part.begin(), part.end());
    return out;
}

// One window on its own real port.
class Window {
  public:
    Window() : form(port) { form.show(); }

    template <typename Control = QWidget>
    Control* control(const char* name) const {
        auto* found = form.findChild<Control*>(QString::fromLatin1(name));
        if (found == nullptr) throw std::runtime_error(std::string("no control ") + name);
        return found;
    }
    void click(const char* name) const {
        QWidget* widget = control(name);
        QTest::mouseClick(widget, Qt::LeftButton, {}, widget->rect().center());
    }
    void set_port_number(const QString& text) const {
        QLineEdit* field = control<QLineEdit>("chuankou_num");
        field->selectAll();
        field->insert(text);
    }

    // Channels 1 to 16 show the looks of this relay map (bit 0 = channel 1)?
    bool shows_relays(std::uint16_t relays) const {
        for (int n = 1; n <= 16; ++n) {
            const bool on = ((relays >> (n - 1)) & 1U) != 0;
            if (form.indicator_colour(n) != (on ? green : red)) return false;
        }
        return true;
    }
    bool all_colour(std::uint32_t colour) const {
        for (int n = 1; n <= 16; ++n) {
            if (form.indicator_colour(n) != colour) return false;
        }
        return true;
    }
    // The window as it came up, or as a failed open must leave it.
    void expect_untouched_start_up() const {
        EXPECT_FALSE(port.is_open());
        EXPECT_TRUE(all_colour(yellow));
        EXPECT_EQ(control<QPushButton>("open_comm")->text(), QStringLiteral("打开串口"));
        EXPECT_TRUE(control("chuankou_num")->isEnabled());
        EXPECT_TRUE(control("openall")->isEnabled());
        EXPECT_TRUE(control<QTimer>("Timer1")->isActive());
    }

    link::QtSerialPort port;  // declared first: outlives the window
    ui::MainForm form;
};

// ---- opening a device that cannot be had ----

TEST(BadDevice, DeviceGoneBetweenResolutionAndOpenGivesANoticeAndChangesNothing) {
    auto pty = std::make_unique<PtyPair>();
    const QString device = pty->slave_path();
    link_port(3, device);
    pty.reset();  // the board is unplugged: the link now leads nowhere
    if (QFile::exists(device)) GTEST_SKIP() << device.toStdString() << " was handed out again";

    Window window;
    window.set_port_number(QStringLiteral("3"));
    window.click("open_comm");
    window.expect_untouched_start_up();
    ASSERT_NE(window.form.notice_box(), nullptr);
    const std::string notice = window.form.last_notice_text().toStdString();
    EXPECT_NE(notice.find(device.toStdString()), std::string::npos) << notice;
    EXPECT_NE(notice.find(link::describe(link::OpenError::missing)), std::string::npos) << notice;
}

TEST(BadDevice, PortHeldByAnotherWindowIsBusyUntilThatWindowLetsGo) {
    PtyPair pty;
    link_port(1, pty.slave_path());
    Window first;
    Window second;
    first.click("open_comm");
    ASSERT_TRUE(first.port.is_open());

    second.click("open_comm");
    second.expect_untouched_start_up();
    ASSERT_NE(second.form.notice_box(), nullptr);
    const std::string notice = second.form.last_notice_text().toStdString();
    EXPECT_NE(notice.find(link::describe(link::OpenError::busy)), std::string::npos) << notice;
    EXPECT_TRUE(first.port.is_open()) << "the failed open disturbed the window holding the port";

    first.click("open_comm");
    second.click("open_comm");
    EXPECT_TRUE(second.port.is_open());
    EXPECT_EQ(second.control<QPushButton>("open_comm")->text(), QStringLiteral("关闭串口"));
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
        window.click("open_comm");
        ASSERT_TRUE(window.port.is_open());
        // The poll timer keeps running, but only ticks the test delivers come in time.
        window.control<QTimer>("Timer1")->setInterval(3'600'000);
    }
    void tick() {
        QTimer* timer = window.control<QTimer>("Timer1");
        QTimerEvent event(timer->timerId());
        QCoreApplication::sendEvent(timer, &event);
    }
    // A tick, and the status query it puts on the line.
    void poll() {
        tick();
        ASSERT_EQ(pty.read(8), status_query);
    }

    PtyPair pty;
    Window window;
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
        EXPECT_TRUE(wait_until([&] { return window.shows_relays(*stream.shown); }));
        EXPECT_EQ(window.form.logic().countdown(), 5);
    } else {
        EXPECT_TRUE(window.all_colour(yellow));
        EXPECT_EQ(window.form.logic().countdown(), 0);
    }

    // Whatever was left over goes with the next poll: its answer is read alone and shown.
    poll();
    pty.write(status(0x0F0F));
    EXPECT_TRUE(wait_until([&] { return window.shows_relays(0x0F0F); }));
}

INSTANTIATE_TEST_SUITE_P(
    Lengths, StatusStream,
    ::testing::Values(
        Stream{"seven_bytes", {first(status(0x8001), 7)}, {}},
        Stream{"nine_bytes", {joined({status(0x8001), {0xEE}})}, 0x8001},
        Stream{"sixteen_bytes", {joined({status(0x8001), status(0x0180)})}, 0x0180},
        // A stray byte first: both frames are read out of step and neither may be shown.
        Stream{"seventeen_bytes", {joined({{0x00}, status(0x8001), status(0x0180)})}, {}},
        Stream{"answered_twice", {status(0x8001), status(0x0180)}, 0x0180}),
    [](const auto& info) { return std::string(info.param.why); });

}  // namespace
}  // namespace quellbox::e2e
