// main_form with the real Qt serial port against the virtual board, operated through its named
// controls. What the board receives comes from its log; what the operator sees is read off the
// indicators and captions.

#include <gtest/gtest.h>

#include <QMessageBox>
#include <QRegularExpression>
#include <memory>

#include "link/qt_serial_port.h"
#include "tools/pass_through_port.h"
#include "window_driver.h"

namespace quellbox::e2e {
namespace {

// Counts the receive events the real port hands to the window.
struct ReceiveCounter final : tools::PortObserver {
    int receive_events = 0;
    void receive_begins() override { ++receive_events; }
};

class WindowTest : public ::testing::Test {
  protected:
    struct Tick {
        int receive_events;  // received so far when the tick ran
        Looks looks;         // right after the tick
    };

    WindowTest() {
        form->show();
        // Connected after the window's own handler: records what each tick left behind.
        QObject::connect(window.control<link::PreciseTicker>("Timer1"),
                         &link::PreciseTicker::timeout, &observer, [this] {
                             ticks.push_back({port.receive_events, window.looks()});
                         });
    }

    void expect_port_state(bool opened) const {
        EXPECT_EQ(window.open_comm_caption(), opened ? "关闭串口" : "打开串口");
        EXPECT_EQ(window.control("chuankou_num")->isEnabled(), !opened);
        EXPECT_EQ(window.control("openall")->isEnabled(), opened);
        EXPECT_EQ(window.control("closeall")->isEnabled(), opened);
        EXPECT_EQ(window.control<link::PreciseTicker>("Timer1")->is_active(), opened);
    }
    // Clicks a control, waits for its command frame on the board and for the new look.
    void perform(const char* control, const char* frame, std::uint16_t relays_after) {
        SCOPED_TRACE(control);
        const int before = sim->count_lines(frame);
        window.click(control);
        ASSERT_TRUE(sim->wait_for_line(frame, before + 1));
        EXPECT_TRUE(window.shows(relays(relays_after)));
    }

    std::unique_ptr<BoardSim> sim;
    ReceiveCounter port;  // declared before the window, which reports to it
    std::unique_ptr<ui::MainForm> form = std::make_unique<ui::MainForm>(
        std::make_unique<tools::PassThroughPort>(std::make_unique<link::QtSerialPort>(), port));
    WindowDriver window{*form};
    QObject observer;
    std::vector<Tick> ticks;
};

TEST_F(WindowTest, OperatorOpensTogglesSetsAllClosesAndReopens) {
    sim = std::make_unique<BoardSim>(QStringList{"--initial", "8001"});
    window.click("open_comm");
    expect_port_state(true);
    ASSERT_TRUE(sim->wait_for_line("rx "));
    EXPECT_EQ(sim->lines().filter(QRegularExpression("^rx ")).first(),
              "rx 55 01 10 00 00 00 00 66");
    ASSERT_TRUE(window.shows(relays(0x8001))) << "channels 1 and 16 energized, the rest released";

    perform("Picture1_1", "rx 55 01 11 00 00 00 01 68", 0x8000);
    perform("Label2_5", "rx 55 01 12 00 00 00 05 6d", 0x8010);
    perform("openall", "rx 55 01 13 00 00 ff ff 67", 0xFFFF);
    perform("closeall", "rx 55 01 13 00 00 00 00 69", 0x0000);

    window.click("open_comm");
    EXPECT_EQ(window.looks(), all(port_closed));
    expect_port_state(false);
    const int heard = sim->count_lines("rx ");
    window.click("open_comm");
    expect_port_state(true);
    ASSERT_TRUE(sim->wait_for_line("rx ", heard + 1));
    EXPECT_TRUE(window.shows(relays(0x0000)));
}

TEST_F(WindowTest, SilentBoardKeepsTheLastLookFiveTicksTurnsYellowOnTheSixthAndComesBack) {
    sim = std::make_unique<BoardSim>(QStringList{"--initial", "8001"});
    window.click("open_comm");
    ASSERT_TRUE(window.shows(relays(0x8001)));
    // The board answers address 1 only: one step of the address silences it.
    QTest::keyClick(window.control("VScroll1"), Qt::Key_Up);
    ASSERT_TRUE(sim->wait_for_line("ignore address 02"));

    // The ticks that ran after the last status frame the window received.
    auto silent = [&] {
        std::vector<Tick> out;
        for (const Tick& tick : ticks) {
            if (tick.receive_events == port.receive_events) out.push_back(tick);
        }
        return out;
    };
    ASSERT_TRUE(wait_until([&] { return silent().size() >= 6; }));
    const std::vector<Tick> after = silent();
    for (std::size_t k = 0; k < 5; ++k) {
        EXPECT_EQ(after[k].looks, relays(0x8001)) << "silent tick " << k + 1;
    }
    EXPECT_EQ(after[5].looks, all(not_known)) << "silent tick 6";

    // Addressed again, the board reports the relays it reported before the silence: the
    // window shows them again, not the not-known look it gave in between.
    QTest::keyClick(window.control("VScroll1"), Qt::Key_Down);
    EXPECT_TRUE(window.shows(relays(0x8001)));
}

TEST_F(WindowTest, HangUpClosesThePortWithOneNoticeThenTheRepublishedBoardReopens) {
    sim = std::make_unique<BoardSim>(
        QStringList{"--initial", "0003", "--hangup-after", "10", "--reopen-ms", "600"});
    window.click("open_comm");
    ASSERT_TRUE(sim->wait_for_line("hangup"));
    ASSERT_TRUE(wait_until([&] { return window.notice_box() != nullptr; }));
    EXPECT_EQ(window.looks(), all(port_closed));
    expect_port_state(false);
    EXPECT_NE(window.notice().find(sim->slave_path().toStdString()), std::string::npos)
        << window.notice();
    QTest::mouseClick(window.notice_box()->button(QMessageBox::Ok), Qt::LeftButton);

    ASSERT_TRUE(sim->wait_for_line("reopen "));
    const int heard = sim->count_lines("rx ");
    window.click("open_comm");
    expect_port_state(true);
    ASSERT_TRUE(sim->wait_for_line("rx ", heard + 1));
    EXPECT_TRUE(window.shows(relays(0x0003)));
    EXPECT_EQ(window.notice_box(), nullptr) << "a second notice: " << window.notice();
}

}  // namespace
}  // namespace quellbox::e2e
