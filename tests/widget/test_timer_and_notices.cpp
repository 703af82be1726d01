// Timer1 and the operator notices: the poll timer's settings and switching, and notices that
// never block and never pile up.

#include <QApplication>
#include <QElapsedTimer>
#include <QMessageBox>
#include <chrono>
#include <thread>

#include "form_fixture.h"

namespace quellbox::test {
namespace {

using PollTimer = FormTest;

TEST_F(PollTimer, TicksEvery50MillisecondsAndEnablingDoesNotRestartIt) {
    EXPECT_EQ(Timer1()->interval(), std::chrono::milliseconds(50));

    // A restarted timer gets its whole interval back, and a tick never comes early. Enabled
    // again most of an interval after it started, a timer that kept its grid ticks before one
    // interval has passed since; a restarted one cannot. No event loop runs during the sleep,
    // so nothing is lost there; only a tick delivered far too late could fail this wrongly.
    int ticks = 0;
    QObject::connect(Timer1(), &link::PreciseTicker::timeout, [&] { ++ticks; });
    std::this_thread::sleep_for(std::chrono::milliseconds(40));
    form.set_timer_enabled(true);
    QElapsedTimer since_enabled;
    since_enabled.start();
    while (ticks == 0 && since_enabled.elapsed() < 45) QTest::qWait(1);
    EXPECT_EQ(ticks, 1) << "enabling the running timer restarted it";

    // It ticks by itself while enabled, and not at all while disabled.
    ticks = 0;
    QTest::qWait(180);
    EXPECT_GE(ticks, 1);
    form.set_timer_enabled(false);
    EXPECT_FALSE(Timer1()->is_active());
    ticks = 0;
    QTest::qWait(120);
    EXPECT_EQ(ticks, 0) << "a disabled timer ticked";
    form.set_timer_enabled(true);
    EXPECT_TRUE(Timer1()->is_active());
}

// ---- notices ----

class Notices : public FormTest {
  protected:
    void fail_next_open(link::OpenError error, const std::string& device) {
        port.next_open = {};
        port.next_open.error = error;
        port.next_open.device = device;
    }
};

TEST_F(Notices, FailedOpenShowsANonModalNoticeNamingDeviceAndReason) {
    fail_next_open(link::OpenError::busy, "/dev/ttyUSB7");
    click(button("open_comm"));

    QMessageBox* box = notice_box();
    ASSERT_NE(box, nullptr);
    EXPECT_EQ(box->windowModality(), Qt::NonModal);
    EXPECT_EQ(QApplication::activeModalWidget(), nullptr);
    EXPECT_TRUE(notice().contains(QStringLiteral("/dev/ttyUSB7 正被其他程序占用")));
    EXPECT_EQ(button("open_comm")->text(), QStringLiteral("打开串口"));
}

TEST_F(Notices, RepeatedFailuresReplaceTheNoticeAndAClosedOneOpensAfresh) {
    for (int i = 0; i < 5; ++i) {
        fail_next_open(link::OpenError::missing, "/dev/ttyUSB" + std::to_string(i));
        click(button("open_comm"));
    }
    EXPECT_EQ(form.findChildren<QMessageBox*>().size(), 1);
    EXPECT_TRUE(notice().contains(QStringLiteral("/dev/ttyUSB4")));
    EXPECT_FALSE(notice().contains(QStringLiteral("/dev/ttyUSB3")));

    notice_box()->close();
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    EXPECT_TRUE(form.findChildren<QMessageBox*>().isEmpty());
    click(button("open_comm"));
    EXPECT_NE(notice_box(), nullptr);
}

TEST_F(Notices, LostPortIsReportedWithoutBlocking) {
    open_port();
    port.lose("/dev/ttyACM0", "It was unplugged.");
    ASSERT_NE(notice_box(), nullptr);
    EXPECT_EQ(notice_box()->windowModality(), Qt::NonModal);
    EXPECT_TRUE(notice().contains(QStringLiteral("/dev/ttyACM0 已断开")));
    EXPECT_TRUE(notice().contains(QStringLiteral("It was unplugged.")));
}

}  // namespace
}  // namespace quellbox::test
