// The Windows window's controls against the window surface's promises, under wine on a virtual
// X server: the real controls, a serial port in memory. What the operator and a screen reader
// can observe: texts, values, colours read back, the focus order, the frames a click sends.

#include <gtest/gtest.h>

#include <windows.h>

#include <algorithm>
#include <string>
#include <vector>

#include "catalogue.h"
#include "controller/form_design.h"
#include "controller/looks.h"
#include "indicator.h"
#include "link/frames.h"
#include "link/handle_loop.h"
#include "main_window.h"
#include "support/fake_serial_port.h"
#include "wide_text.h"

namespace quellbox::win {
namespace {

using controller::not_known_look;
using controller::port_closed_look;

std::string text_of(HWND control) {
    return window_text(control);
}

class WindowTest : public ::testing::Test {
  protected:
    WindowTest()
        : catalogue(Catalogue::built_in()), window(loop, port, translation_for(false, catalogue)) {}

    HWND control(int id) const { return GetDlgItem(window.window(), id); }
    HWND box(int n) const { return control(indicator_id(n)); }

    void type(HWND field, const std::wstring& text) {
        SetFocus(field);
        SendMessageW(field, EM_SETSEL, 0, -1);
        for (const wchar_t c : text) SendMessageW(field, WM_CHAR, c, 1);
    }
    void scroll(HWND bar, int request) {
        SendMessageW(window.window(), WM_VSCROLL, MAKEWPARAM(request, 0),
                     reinterpret_cast<LPARAM>(bar));
    }
    void click(HWND target) {
        SendMessageW(target, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(3, 3));
        SendMessageW(target, WM_LBUTTONUP, 0, MAKELPARAM(3, 3));
    }
    // Runs the window's loop until the port has been written to `frames` times in all, or two
    // seconds have passed.
    void run_until_written(std::size_t frames) {
        // Told before the bytes are taken: the one being written counts already.
        port.on_call = [&](const std::string& call) {
            if (call == "output" && port.written.size() + 1 >= frames) loop.quit();
        };
        HANDLE limit = CreateWaitableTimerW(nullptr, FALSE, nullptr);
        LARGE_INTEGER due;
        due.QuadPart = -2 * 10'000'000LL;
        SetWaitableTimer(limit, &due, 0, nullptr, nullptr, FALSE);
        loop.watch(limit, [&] { loop.quit(); });
        loop.run();
        loop.unwatch(limit);
        CloseHandle(limit);
        port.on_call = {};
    }
    // Opens the port with the open button and lets the board report `relays`.
    void open_and_report(link::RelayMap relays) {
        SendMessageW(control(id_open_comm), BM_CLICK, 0, 0);
        port.feed(link::build_status_frame(1, relays));
        port.raise_comm();
    }

    Catalogue catalogue;
    link::win::HandleLoop loop;
    test::FakeSerialPort port;
    MainWindow window;
};

TEST_F(WindowTest, StartsInTheDesignTimeStateWithEveryChannelNamedInWords) {
    EXPECT_EQ(text_of(control(id_chuankou_num)), "1");
    EXPECT_EQ(text_of(control(id_add)), "1");
    EXPECT_EQ(window.vscroll1_value(), 1);
    EXPECT_EQ(window.vscroll2_value(), 1);
    EXPECT_EQ(text_of(control(id_open_comm)), "打开串口");
    EXPECT_EQ(text_of(control(id_Label3)), "串口号");
    EXPECT_EQ(text_of(control(id_Label5)), "模块地址");
    for (int n = 1; n <= controller::channel_count; ++n) {
        EXPECT_EQ(window.indicator_colour(n), not_known_look.colour) << n;
        EXPECT_EQ(text_of(GetDlgItem(box(n), caption_id(n))), "状态未知") << n;
        EXPECT_EQ(text_of(box(n)), std::string(controller::design::channel_name(n)) + ": 状态未知")
            << n;
        EXPECT_EQ(text_of(control(id_Label4 + n)), controller::design::channel_name(n)) << n;
    }
    EXPECT_TRUE(port.calls.empty());
}

TEST_F(WindowTest, ColoursReadBackExactlyAsWrittenAndTheStateFollowsInWords) {
    window.set_indicator_colour(3, port_closed_look.colour);
    EXPECT_EQ(window.indicator_colour(3), 0x80000011U);
    EXPECT_EQ(text_of(box(3)), "第三路: 状态未知 (串口已关闭)");
    window.set_indicator_colour(16, controller::energized_look.colour);
    EXPECT_EQ(window.indicator_colour(16), 0x00FF00U);
    EXPECT_EQ(text_of(box(16)), "第十六路: 吸合");
}

TEST_F(WindowTest, FieldAndSpinBarFollowEachOtherInsideTheWrite) {
    HWND add = control(id_add);
    type(add, L"12");
    EXPECT_EQ(window.vscroll1_value(), 12);
    EXPECT_EQ(text_of(add), "12");
    type(add, L"3.5");
    EXPECT_EQ(window.vscroll1_value(), 4);
    EXPECT_EQ(text_of(add), "4");
    // The upper arrow counts up, the lower one down; nothing beyond the ends.
    scroll(control(id_VScroll1), SB_LINEUP);
    EXPECT_EQ(text_of(add), "5");
    scroll(control(id_VScroll1), SB_LINEDOWN);
    scroll(control(id_VScroll1), SB_LINEDOWN);
    EXPECT_EQ(text_of(add), "3");
    window.set_vscroll2_value(255);
    EXPECT_EQ(text_of(control(id_chuankou_num)), "255");
    scroll(control(id_VScroll2), SB_LINEUP);
    EXPECT_EQ(window.vscroll2_value(), 255);
    window.set_vscroll2_value(300);
    EXPECT_EQ(window.vscroll2_value(), 255);
}

TEST_F(WindowTest, RefusedTextStaysAsTypedAndTheBarKeepsItsValue) {
    HWND port_field = control(id_chuankou_num);
    type(port_field, L"abc");
    EXPECT_EQ(text_of(port_field), "abc");
    EXPECT_EQ(window.vscroll2_value(), 1);
    type(port_field, L"300");  // 3 and 30 are taken on the way
    EXPECT_EQ(text_of(port_field), "300");
    EXPECT_EQ(window.vscroll2_value(), 30);
    type(port_field, L"5");
    EXPECT_EQ(window.vscroll2_value(), 5);
}

TEST_F(WindowTest, TabFollowsTheDesignedFocusOrder) {
    std::vector<HWND> order = {
        control(id_chuankou_num), control(id_open_comm), control(id_add),     control(id_openall),
        control(id_closeall),     control(id_VScroll1),  control(id_VScroll2)};
    for (int n = 1; n <= controller::channel_count; ++n) order.push_back(box(n));
    for (std::size_t i = 0; i < order.size(); ++i) {
        const HWND next = GetNextDlgTabItem(window.window(), order[i], FALSE);
        EXPECT_EQ(next, order[(i + 1) % order.size()]) << "after control " << i;
    }
}

TEST_F(WindowTest, AClickOnAChannelSendsItsCommandOnTheNextTick) {
    open_and_report(0x0001);  // channel 1 energized, channel 2 released
    ASSERT_EQ(window.indicator_colour(1), controller::energized_look.colour);
    ASSERT_EQ(window.indicator_colour(2), controller::released_look.colour);
    EXPECT_EQ(text_of(box(1)), "第一路: 吸合");

    click(box(1));
    run_until_written(1);
    ASSERT_EQ(port.written.size(), 1U);
    EXPECT_EQ(port.written[0][link::pos_command], link::cmd_release_one);

    // The caption inside the box is a control of its own; a click on it asks the same.
    click(GetDlgItem(box(2), caption_id(2)));
    run_until_written(2);
    ASSERT_EQ(port.written.size(), 2U);
    EXPECT_EQ(port.written[1][link::pos_command], link::cmd_energize_one);
}

TEST_F(WindowTest, SpaceOnAFocusedChannelIsAClickAndAClosedPortGreysEveryChannel) {
    open_and_report(0x0000);
    SetFocus(box(5));
    SendMessageW(box(5), WM_KEYDOWN, VK_SPACE, 1);
    run_until_written(1);
    ASSERT_EQ(port.written.size(), 1U);
    EXPECT_EQ(port.written[0][link::pos_command], link::cmd_energize_one);

    SendMessageW(control(id_open_comm), BM_CLICK, 0, 0);  // now 关闭串口
    EXPECT_EQ(text_of(control(id_open_comm)), "打开串口");
    EXPECT_FALSE(IsWindowEnabled(control(id_openall)));
    for (int n = 1; n <= controller::channel_count; ++n) {
        EXPECT_EQ(window.indicator_colour(n), port_closed_look.colour) << n;
    }
}

TEST_F(WindowTest, ReturnPressesTheFocusedButtonAsSpaceDoes) {
    HWND open_comm = control(id_open_comm);
    SetFocus(open_comm);
    SendMessageW(open_comm, WM_KEYDOWN, VK_RETURN, 1);
    SendMessageW(open_comm, WM_KEYUP, VK_RETURN, 1U << 31 | 1U << 30 | 1);
    EXPECT_EQ(std::count(port.calls.begin(), port.calls.end(), "open"), 1);
    EXPECT_EQ(text_of(open_comm), "关闭串口");
    // A disabled button takes no key.
    window.set_openall_enabled(false);
    SetFocus(control(id_openall));
    SendMessageW(control(id_openall), WM_KEYDOWN, VK_RETURN, 1);
    run_until_written(1);
    ASSERT_EQ(port.written.size(), 1U);
    EXPECT_EQ(port.written[0][link::pos_command], link::cmd_status_query);
}

TEST_F(WindowTest, TheSessionsEndClosesAnOpenPort) {
    open_and_report(0x0000);
    EXPECT_EQ(SendMessageW(window.window(), WM_QUERYENDSESSION, 0, 0), TRUE);
    EXPECT_EQ(std::count(port.calls.begin(), port.calls.end(), "close"), 0);
    SendMessageW(window.window(), WM_ENDSESSION, TRUE, 0);
    EXPECT_EQ(port.calls.back(), "close");
}

TEST(Catalogue, TheBuiltInCatalogueGivesTheChineseOfEverySentenceAsked) {
    const Catalogue catalogue = Catalogue::built_in();
    ASSERT_GT(catalogue.size(), 20U);
    EXPECT_EQ(catalogue.translate("NoticeText", "%1 is not there."), "%1 不存在。");
    // Entities of the source are read: &quot; and &apos;.
    EXPECT_NE(catalogue.translate("WindowText",
                                  "The port number is a whole number from 0 to 255; \"%1\" is "
                                  "not one."),
              "The port number is a whole number from 0 to 255; \"%1\" is not one.");
    EXPECT_EQ(catalogue.translate("NoticeText", "Not in the catalogue."), "Not in the catalogue.");
    EXPECT_EQ(catalogue.translate("OtherContext", "%1 is not there."), "%1 is not there.");
}

TEST(Catalogue, UnfinishedTranslationsAreLeftOutAndCharacterReferencesRead) {
    const Catalogue catalogue = Catalogue::parse(R"(<?xml version="1.0" encoding="utf-8"?>
<TS version="2.1" language="zh_CN">
<context>
    <name>A</name>
    <message>
        <source>one &amp; two</source>
        <translation>&#x4E00; &#20108;</translation>
    </message>
    <message>
        <source>new</source>
        <translation type="unfinished">旧</translation>
    </message>
    <message>
        <source>empty</source>
        <translation></translation>
    </message>
</context>
</TS>)");
    EXPECT_EQ(catalogue.size(), 1U);
    EXPECT_EQ(catalogue.translate("A", "one & two"), "一 二");
    EXPECT_EQ(catalogue.translate("A", "new"), "new");
    EXPECT_EQ(catalogue.translate("A", "empty"), "empty");
}

}  // namespace
}  // namespace quellbox::win
