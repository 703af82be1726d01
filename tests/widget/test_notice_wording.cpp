// What the notices say: in the window's language by default, in English when asked for, each
// naming what happened, to which device, and what to do, never with the system's own error
// text. The language rule itself is tested in test_language_rule.cpp.

#include <QApplication>
#include <QTranslator>

#include "link/failure_notice.h"

#include "form_fixture.h"

namespace quellbox::test {
namespace {

using link::OpenError;

// The tests run with the Chinese catalogue installed, as the window does by default; this takes
// it out for a while.
class InEnglish {
  public:
    InEnglish() : catalogues_(qApp->findChildren<QTranslator*>()) {
        for (QTranslator* catalogue : catalogues_) QCoreApplication::removeTranslator(catalogue);
    }
    ~InEnglish() {
        for (QTranslator* catalogue : catalogues_) QCoreApplication::installTranslator(catalogue);
    }

  private:
    QList<QTranslator*> catalogues_;
};

link::OpenResult failure(OpenError error, const char* device, const char* detail = "") {
    link::OpenResult result;
    result.error = error;
    result.device = device;
    result.detail = detail;
    return result;
}

QString both(const link::FailureNotice& notice) {
    return notice.what + QLatin1Char('\n') + notice.advice;
}

TEST(NoticeWording, SaysWhatHappenedToWhichDeviceAndWhatToDoWithoutTheSystemsWords) {
    InEnglish english;
    auto closed_to_all = failure(OpenError::no_permission, "/dev/ttyS0");
    closed_to_all.access = link::DeviceAccess{"root", "root", 0600, false, false};
    auto group_open = failure(OpenError::no_permission, "/dev/ttyUSB1");
    group_open.access = link::DeviceAccess{"root", "dialout", 0660, true, false};
    auto joined = group_open;
    joined.access->listed_in_group = true;
    auto stale = failure(OpenError::stale_lock, "/dev/ttyUSB0");
    stale.holder = link::PortHolder{"quellbox", 999};
    stale.lock_file = "/run/lock/LCK..ttyUSB0";

    const std::vector<std::pair<link::OpenResult, QString>> cases = {
        {failure(OpenError::busy, "/dev/ttyUSB0"),
         "/dev/ttyUSB0 is in use by another program.\n"
         "Close that program, then open the port again."},
        {closed_to_all,
         "You may not open /dev/ttyS0 (owner root, group root, mode 0600).\n"
         "Only root may use it: ask an administrator to give it a group you can "
         "join, with mode 0660 (a udev rule)."},
        {group_open,
         "You may not open /dev/ttyUSB1 (owner root, group dialout, mode 0660).\n"
         "Join the group dialout (sudo usermod -aG dialout $USER), then log out and "
         "in again."},
        {joined,
         "You may not open /dev/ttyUSB1 (owner root, group dialout, mode 0660).\n"
         "You were added to the group dialout after logging in: log out and in again."},
        {stale,
         "/dev/ttyUSB0 is locked by quellbox (process 999), which has ended.\n"
         "Remove the lock it left behind (sudo rm /run/lock/LCK..ttyUSB0), then open the "
         "port again."},
        {failure(OpenError::missing, "/dev/ttyACM0", "No such file or directory"),
         "/dev/ttyACM0 is not there.\nPlug the adapter in, then open the port again."},
        {failure(OpenError::other, "/tmp/file", "Inappropriate ioctl for device"),
         "/tmp/file could not be opened as a serial port.\n"
         "Check that it is a serial device, then open the port again."},
    };
    for (const auto& [result, expected] : cases) {
        EXPECT_EQ(both(link::open_failure_notice(result, QStringLiteral("3"))), expected);
    }
    EXPECT_EQ(both(link::loss_notice("/dev/ttyUSB0", "It was unplugged or switched off.")),
              "/dev/ttyUSB0 went away; the port has been closed.\nIt was unplugged or switched "
              "off. Check the cable and the board's power, then open the port again.");
}

class WindowNotices : public FormTest {};

// Every port text that reaches no device gets one notice, in the window's language: a number
// the system lists nothing for and a text that is no number at all alike.
TEST_F(WindowNotices, PortNumbersThatReachNothingAreToldAlikeInTheWindowsLanguage) {
    for (const char* text : {"-5", "0", "40000", "abc", "99"}) {
        paste(chuankou_num(), QString::fromLatin1(text));
        port.next_open = failure(OpenError::no_such_port, "");
        click(button("open_comm"));
        EXPECT_EQ(notice(),
                  QStringLiteral("串口号 %1 没有对应的串口设备。\n请输入 1 或更大的串口号; "
                                 "鼠标停在串口号上可看到它对应的设备。")
                      .arg(QString::fromLatin1(text)));
    }
    ASSERT_NE(notice_box(), nullptr);
    EXPECT_EQ(notice_box()->button(QMessageBox::Ok)->text(), QStringLiteral("确定"));
}

TEST_F(WindowNotices, BusyNoticeNamesTheHolderInTheWindowsLanguageOrInEnglish) {
    port.next_open = failure(OpenError::busy, "/dev/ttyUSB0", "Permission error");
    port.next_open.holder = link::PortHolder{"minicom", 77};
    click(button("open_comm"));
    EXPECT_EQ(
        notice(),
        QStringLiteral("/dev/ttyUSB0 正被 minicom (进程 77) 占用。\n请关闭该程序, 再打开串口。"));
    InEnglish english;
    click(button("open_comm"));
    EXPECT_EQ(notice(), QStringLiteral("/dev/ttyUSB0 is in use by minicom (process "
                                       "77).\nClose that program, then open the "
                                       "port again."));
}

}  // namespace
}  // namespace quellbox::test
