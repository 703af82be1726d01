// main_form with the real Qt serial port against the virtual board, operated through its named
// controls. What the board receives comes from its log; what the operator sees is read off the
// indicators and captions.

#include <gtest/gtest.h>
#include <sys/resource.h>

#include <QLabel>
#include <QLineEdit>
#include <QMessageBox>
#include <QPushButton>
#include <QRegularExpression>
#include <QTest>
#include <QTimer>
#include <cstdio>
#include <memory>
#include <stdexcept>

#include "e2e_support.h"
#include "link/qt_serial_port.h"
#include "ui/main_form.h"

namespace quellbox::e2e {
namespace {

// The real port, counting the receive events it hands to the window.
class WatchedPort final : public link::SerialPort {
  public:
    int receive_events = 0;

    void set_comm_port(std::int16_t number) override { real_.set_comm_port(number); }
    std::int16_t comm_port() const override { return real_.comm_port(); }
    link::OpenResult open() override { return real_.open(); }
    void close() override { real_.close(); }
    bool is_open() const override { return real_.is_open(); }
    void set_rthreshold(std::int16_t bytes) override { real_.set_rthreshold(bytes); }
    void clear_input() override { real_.clear_input(); }
    bool output(std::span<const std::uint8_t> bytes) override { return real_.output(bytes); }
    std::optional<std::uint8_t> input() override { return real_.input(); }
    std::int16_t comm_event() const override { return real_.comm_event(); }
    void set_on_lost(LostHandler handler) override { real_.set_on_lost(std::move(handler)); }
    void set_on_comm(Handler handler) override {
        if (!handler) return real_.set_on_comm({});
        real_.set_on_comm([this, handler] {
            ++receive_events;
            handler();
        });
    }

  private:
    link::QtSerialPort real_;
};

// A channel's look as "colour|caption".
std::string look(ui::Colour colour, const char* caption) {
    char hex[16];
    std::snprintf(hex, sizeof hex, "%08x|", colour);
    return hex + std::string(caption);
}
const std::string energized = look(0x00FF00, "  吸合");
const std::string released = look(0x0000FF, "  断开");
const std::string not_known = look(0x00FFFF, "状态未知");
const std::string port_closed = look(0x80000011, "状态未知");

std::vector<std::string> all(const std::string& one) {
    return std::vector<std::string>(16, one);
}
// The looks for a relay map, bit 0 = channel 1.
std::vector<std::string> relays(std::uint16_t map) {
    std::vector<std::string> out;
    for (int n = 1; n <= 16; ++n) out.push_back((map >> (n - 1)) & 1U ? energized : released);
    return out;
}

// Share of one core this process used while the event loop ran for `period`.
double cpu_share_over(std::chrono::milliseconds period) {
    auto cpu = [] {
        rusage u{};
        getrusage(RUSAGE_SELF, &u);
        return std::chrono::seconds(u.ru_utime.tv_sec + u.ru_stime.tv_sec) +
               std::chrono::microseconds(u.ru_utime.tv_usec + u.ru_stime.tv_usec);
    };
    const auto cpu_before = cpu();
    const auto wall_before = std::chrono::steady_clock::now();
    settle(period);
    const std::chrono::duration<double> used = cpu() - cpu_before;
    return used / (std::chrono::steady_clock::now() - wall_before);
}

class WindowTest : public ::testing::Test {
  protected:
    struct Tick {
        int receive_events;              // received so far when the tick ran
        std::vector<std::string> looks;  // right after the tick
    };

    WindowTest() {
        auto watched = std::make_unique<WatchedPort>();
        port = watched.get();
        form = std::make_unique<ui::MainForm>(std::move(watched));
        form->centre_on_screen();
        form->show();
        // Connected after the window's own handler: records what each tick left behind.
        QObject::connect(control<QTimer>("Timer1"), &QTimer::timeout, &observer, [this] {
            ticks.push_back({port->receive_events, looks()});
        });
    }

    void start_board(const QStringList& arguments) { sim = std::make_unique<BoardSim>(arguments); }

    template <typename Control = QWidget>
    Control* control(const char* name) const {
        auto* found = form->findChild<Control*>(QString::fromLatin1(name));
        if (found == nullptr) throw std::runtime_error(std::string("no control ") + name);
        return found;
    }

    std::vector<std::string> looks() const {
        std::vector<std::string> out;
        for (int n = 1; n <= 16; ++n) {
            const auto* caption = form->findChild<QLabel*>(QStringLiteral("Label2_%1").arg(n));
            out.push_back(look(form->indicator_colour(n), caption->text().toUtf8().constData()));
        }
        return out;
    }
    bool shows(const std::vector<std::string>& expected) const {
        return wait_until([&] { return looks() == expected; });
    }

    static void click(QWidget* widget) {
        QTest::mouseClick(widget, Qt::LeftButton, {}, widget->rect().center());
    }
    void click_open_comm() { click(control("open_comm")); }
    void retype(const char* field, const QString& text) {
        QTest::keyClick(control(field), Qt::Key_A, Qt::ControlModifier);
        QTest::keyClicks(control(field), text);
    }
    std::string open_comm_caption() const {
        return control<QPushButton>("open_comm")->text().toStdString();
    }

    void expect_port_state(bool opened) const {
        EXPECT_EQ(open_comm_caption(), opened ? "关闭串口" : "打开串口");
        EXPECT_EQ(control("chuankou_num")->isEnabled(), !opened);
        EXPECT_EQ(control("openall")->isEnabled(), opened);
        EXPECT_EQ(control("closeall")->isEnabled(), opened);
        EXPECT_EQ(control<QTimer>("Timer1")->isActive(), opened);
    }

    // Clicks a control, waits for the command frame on the board and for the new look.
    struct Step {
        const char* control;
        const char* frame;
        std::uint16_t relays_after;
    };
    void perform(const Step& step) {
        SCOPED_TRACE(step.control);
        QWidget* target = control(step.control);
        const int before = sim->count_lines(step.frame);
        // An indicator is clicked above its caption, which reports clicks of its own.
        const bool box = QByteArray(step.control).startsWith("Picture1");
        QTest::mouseClick(target, Qt::LeftButton, {},
                          box ? QPoint(target->width() / 2, 4) : target->rect().center());
        ASSERT_TRUE(sim->wait_for_line(step.frame, before + 1));
        EXPECT_TRUE(shows(relays(step.relays_after)));
    }

    std::unique_ptr<BoardSim> sim;
    WatchedPort* port = nullptr;  // owned by the window
    std::unique_ptr<ui::MainForm> form;
    QObject observer;
    std::vector<Tick> ticks;
};

using PortOpenClose = WindowTest;
using OperatorCommands = WindowTest;
using LinkFailures = WindowTest;

TEST_F(PortOpenClose, OpeningPollsTheBoardAndPaintsWhatItReports) {
    start_board({"--initial", "8001"});
    click_open_comm();
    expect_port_state(true);
    ASSERT_TRUE(sim->wait_for_line("rx "));
    EXPECT_EQ(sim->lines().filter(QRegularExpression("^rx ")).first(),
              "rx 55 01 10 00 00 00 00 66");
    EXPECT_TRUE(shows(relays(0x8001))) << "channels 1 and 16 energized, the rest released";
}

TEST_F(PortOpenClose, ClosingGreysEveryChannelAndReopeningPollsAgain) {
    start_board({"--initial", "8001"});
    click_open_comm();
    ASSERT_TRUE(shows(relays(0x8001)));
    click_open_comm();
    EXPECT_EQ(looks(), all(port_closed));
    expect_port_state(false);

    const int heard = sim->count_lines("rx ");
    click_open_comm();
    expect_port_state(true);
    ASSERT_TRUE(sim->wait_for_line("rx ", heard + 1));
    EXPECT_TRUE(shows(relays(0x8001)));
}

TEST_F(PortOpenClose, PortNumberThatLeadsNowhereGivesANoticeAndChangesNothing) {
    for (const char* number : {"0", "250"}) {
        SCOPED_TRACE(number);
        retype("chuankou_num", QString::fromLatin1(number));
        click_open_comm();
        ASSERT_NE(form->notice_box(), nullptr);
        EXPECT_TRUE(form->last_notice_text().contains(QStringLiteral("port %1").arg(number)))
            << form->last_notice_text().toStdString();
        // Still as it came up: not-known looks, buttons and port field enabled, timer running.
        EXPECT_EQ(looks(), all(not_known));
        EXPECT_EQ(open_comm_caption(), "打开串口");
        for (const char* name : {"chuankou_num", "openall", "closeall"}) {
            EXPECT_TRUE(control(name)->isEnabled()) << name;
        }
        const std::size_t seen = ticks.size();
        EXPECT_TRUE(wait_until([&] { return ticks.size() >= seen + 2; })) << "no more ticks";
    }
}

TEST_F(OperatorCommands, ChannelClicksToggleTheRelayTheIndicatorShows) {
    start_board({});
    click_open_comm();
    ASSERT_TRUE(shows(relays(0x0000)));
    for (const Step& step : {Step{"Picture1_3", "rx 55 01 12 00 00 00 03 6b", 0x0004},
                             Step{"Label2_5", "rx 55 01 12 00 00 00 05 6d", 0x0014},
                             Step{"Label2_16", "rx 55 01 12 00 00 00 10 78", 0x8014},
                             Step{"Picture1_3", "rx 55 01 11 00 00 00 03 6a", 0x8010}}) {
        perform(step);
        if (HasFatalFailure()) return;
    }
}

TEST_F(OperatorCommands, EnergizeAllAndReleaseAllReachEveryChannel) {
    start_board({"--initial", "0100"});
    click_open_comm();
    ASSERT_TRUE(shows(relays(0x0100)));
    perform({"openall", "rx 55 01 13 00 00 ff ff 67", 0xFFFF});
    perform({"closeall", "rx 55 01 13 00 00 00 00 69", 0x0000});
}

TEST_F(OperatorCommands, AddressChangedWhileOpenGoesOutWithTheNextFrame) {
    const QString to1 = "rx 55 01 10 00 00 00 00 66", to7 = "rx 55 07 10 00 00 00 00 6c",
                  to8 = "rx 55 08 10 00 00 00 00 6d";
    start_board({"--address", "7", "--initial", "0081"});
    click_open_comm();
    ASSERT_TRUE(sim->wait_for_line("ignore address 01"));  // another board's frames
    retype("add", "7");
    ASSERT_TRUE(sim->wait_for_line(to7));
    EXPECT_TRUE(shows(relays(0x0081)));

    QTest::keyClick(control("VScroll1"), Qt::Key_Up);
    EXPECT_EQ(control<QLineEdit>("add")->text(), "8");
    ASSERT_TRUE(sim->wait_for_line(to8));
    ASSERT_TRUE(sim->wait_for_line("ignore address 08"));

    // Once a frame carried the new address, none went out with the old one.
    const QStringList log = sim->lines();
    EXPECT_LT(log.lastIndexOf(to1), log.indexOf(to7));
    EXPECT_LT(log.lastIndexOf(to7), log.indexOf(to8));
}

TEST_F(LinkFailures, SilentBoardKeepsTheLastLookFiveTicksAndTurnsYellowOnTheSixth) {
    start_board({"--initial", "8001"});
    click_open_comm();
    ASSERT_TRUE(shows(relays(0x8001)));
    // The board answers address 1 only: one step of the address silences it.
    QTest::keyClick(control("VScroll1"), Qt::Key_Up);
    ASSERT_TRUE(sim->wait_for_line("ignore address 02"));

    // The ticks that ran after the last status frame the window received.
    auto silent = [&] {
        std::vector<Tick> out;
        for (const Tick& tick : ticks) {
            if (tick.receive_events == port->receive_events) out.push_back(tick);
        }
        return out;
    };
    ASSERT_TRUE(wait_until([&] { return silent().size() >= 6; }));
    const std::vector<Tick> after = silent();
    for (std::size_t k = 0; k < 5; ++k) {
        EXPECT_EQ(after[k].looks, relays(0x8001)) << "silent tick " << k + 1;
    }
    EXPECT_EQ(after[5].looks, all(not_known)) << "silent tick 6";
}

TEST_F(LinkFailures, HangUpClosesThePortWithOneNoticeAndNoSpinThenReopens) {
    start_board({"--initial", "0003", "--hangup-after", "10", "--reopen-ms", "600"});
    click_open_comm();
    ASSERT_TRUE(sim->wait_for_line("hangup"));
    // However the dead line is noticed, the tool must not spin on it.
    const double share = cpu_share_over(300ms);
    std::printf("CPU share after hang-up: %.1f%% of one core\n", share * 100);
    EXPECT_LT(share, 0.1) << "the event loop spins on the dead line";

    ASSERT_TRUE(wait_until([&] { return form->notice_box() != nullptr; }));
    EXPECT_EQ(looks(), all(port_closed));
    expect_port_state(false);
    EXPECT_TRUE(form->last_notice_text().contains(sim->slave_path()))
        << form->last_notice_text().toStdString();
    click(form->notice_box()->button(QMessageBox::Ok));  // the operator dismisses it

    ASSERT_TRUE(sim->wait_for_line("reopen "));
    const int heard = sim->count_lines("rx ");
    click_open_comm();
    expect_port_state(true);
    ASSERT_TRUE(sim->wait_for_line("rx ", heard + 1));
    EXPECT_TRUE(shows(relays(0x0003)));
    EXPECT_TRUE(form->notice_box() == nullptr || !form->notice_box()->isVisible())
        << "a second notice: " << form->last_notice_text().toStdString();
}

}  // namespace
}  // namespace quellbox::e2e
