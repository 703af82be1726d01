// Timer1 and the operator notices: the poll timer's settings and switching, and notices that
// never block and never pile up.

#include <QApplication>
#include <QMessageBox>

#include "form_fixture.h"

namespace quellbox::test {
namespace {

using PollTimer = FormTest;

TEST_F(PollTimer, TicksEvery50MillisecondsPrecisely) {
    EXPECT_EQ(Timer1()->interval(), 50);
    EXPECT_EQ(Timer1()->timerType(), Qt::PreciseTimer);
    EXPECT_FALSE(Timer1()->isSingleShot());
}

TEST_F(PollTimer, EachTickSendsOneFrameWhileThePortIsOpen) {
    tick();  // closed: the frame is built but nothing is written
    EXPECT_TRUE(port.written.empty());

    open_port();
    tick();
    ASSERT_EQ(port.written.size(), 1u);
    const std::vector<std::uint8_t> status_query = {0x55, 0x01, 0x10, 0x00, 0x00, 0x00, 0x00, 0x66};
    EXPECT_EQ(last_frame(), status_query);
    tick();
    EXPECT_EQ(port.written.size(), 2u);
}

TEST_F(PollTimer, EnablingARunningTimerDoesNotRestartIt) {
    const int running = Timer1()->timerId();
    form.set_timer_enabled(true);
    EXPECT_EQ(Timer1()->timerId(), running);

    form.set_timer_enabled(false);
    EXPECT_FALSE(Timer1()->isActive());
    form.set_timer_enabled(false);
    EXPECT_FALSE(Timer1()->isActive());
    form.set_timer_enabled(true);
    EXPECT_TRUE(Timer1()->isActive());
    EXPECT_EQ(Timer1()->interval(), 50);
}

TEST_F(PollTimer, TicksReachTheLogicThroughTheEventLoop) {
    open_port();
    // Waits for the clock, but asserts only that ticks arrive, not when.
    EXPECT_TRUE(QTest::qWaitFor([this] { return port.written.size() >= 2; }, 10000));
}

// ---- notices ----

class Notices : public FormTest {
  protected:
    void fail_next_open(link::OpenError error, const std::string& device,
                        const std::string& detail) {
        port.next_open = {error, device, detail};
    }
    int notice_boxes() const { return form.findChildren<QMessageBox*>().size(); }
};

TEST_F(Notices, FailedOpenShowsANonModalNoticeAndKeepsTheWindowAsItWas) {
    fail_next_open(link::OpenError::busy, "/dev/ttyUSB7", "Device or resource busy");
    click(button("open_comm"));

    QMessageBox* box = form.notice_box();
    ASSERT_NE(box, nullptr);
    EXPECT_TRUE(box->isVisible());
    EXPECT_FALSE(box->isModal());
    EXPECT_EQ(box->windowModality(), Qt::NonModal);
    EXPECT_EQ(QApplication::activeModalWidget(), nullptr);
    EXPECT_TRUE(form.last_notice_text().contains(QStringLiteral("/dev/ttyUSB7")));
    EXPECT_TRUE(form.last_notice_text().contains(
        QString::fromStdString(link::describe(link::OpenError::busy))));

    EXPECT_EQ(button("open_comm")->text(), QStringLiteral("打开串口"));
    EXPECT_TRUE(chuankou_num()->isEnabled());
    EXPECT_EQ(form.indicator_colour(1), 0x00FFFFu);
}

TEST_F(Notices, RepeatedFailuresReplaceTheNoticeInsteadOfStackingBoxes) {
    for (int i = 0; i < 5; ++i) {
        fail_next_open(link::OpenError::missing, "/dev/ttyUSB" + std::to_string(i), "");
        click(button("open_comm"));
    }
    EXPECT_EQ(notice_boxes(), 1);
    EXPECT_TRUE(form.notice_box()->text().contains(QStringLiteral("/dev/ttyUSB4")));
    EXPECT_FALSE(form.last_notice_text().contains(QStringLiteral("/dev/ttyUSB3")));
}

TEST_F(Notices, AClosedNoticeGoesAwayAndTheNextOneOpensAfresh) {
    fail_next_open(link::OpenError::no_such_port, "", "");
    click(button("open_comm"));
    ASSERT_NE(form.notice_box(), nullptr);
    form.notice_box()->close();
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    EXPECT_EQ(form.notice_box(), nullptr);
    EXPECT_EQ(notice_boxes(), 0);
    // What it said is still there to read.
    EXPECT_FALSE(form.last_notice_text().isEmpty());

    click(button("open_comm"));
    ASSERT_NE(form.notice_box(), nullptr);
    EXPECT_TRUE(form.notice_box()->isVisible());
}

TEST_F(Notices, LostPortIsReportedAndTheWindowReturnsToClosed) {
    open_port();
    port.lose("/dev/ttyACM0", "the device was unplugged");
    ASSERT_NE(form.notice_box(), nullptr);
    EXPECT_FALSE(form.notice_box()->isModal());
    EXPECT_TRUE(form.last_notice_text().contains(QStringLiteral("/dev/ttyACM0")));
    EXPECT_TRUE(form.last_notice_text().contains(QStringLiteral("unplugged")));
    EXPECT_EQ(button("open_comm")->text(), QStringLiteral("打开串口"));
    EXPECT_TRUE(chuankou_num()->isEnabled());
}

}  // namespace
}  // namespace quellbox::test
