// The one wait of the Windows programs: handles and window messages each get their turn, a
// callback may stop watching its own handle, and the loop ends with the code it was given.

#include <gtest/gtest.h>

#include "link/handle_loop.h"

namespace quellbox::link::win {
namespace {

// An event that stays signalled until closed: its callback would run on every turn.
struct AlwaysSignalled {
    AlwaysSignalled() : handle(CreateEventW(nullptr, TRUE, TRUE, nullptr)) {}
    ~AlwaysSignalled() { CloseHandle(handle); }
    HANDLE handle;
};

// A message-only window that counts what it receives.
struct CountingWindow {
    static inline int received = 0;
    static LRESULT CALLBACK procedure(HWND window, UINT message, WPARAM w, LPARAM l) {
        if (message == WM_APP) ++received;
        return DefWindowProcW(window, message, w, l);
    }
    CountingWindow() {
        WNDCLASSW type{};
        type.lpfnWndProc = procedure;
        type.hInstance = GetModuleHandleW(nullptr);
        type.lpszClassName = L"quellbox.test.counting";
        RegisterClassW(&type);
        window = CreateWindowW(type.lpszClassName, L"", 0, 0, 0, 0, 0, HWND_MESSAGE, nullptr,
                               type.hInstance, nullptr);
        received = 0;
    }
    ~CountingWindow() { DestroyWindow(window); }
    HWND window;
};

TEST(HandleLoop, ACallbackMayStopWatchingItsOwnHandle) {
    HandleLoop loop;
    AlwaysSignalled once, other;
    int once_calls = 0, other_calls = 0;
    loop.watch(once.handle, [&] {
        ++once_calls;
        loop.unwatch(once.handle);
    });
    loop.watch(other.handle, [&] {
        if (++other_calls == 20) loop.quit(3);
    });
    EXPECT_EQ(loop.run(), 3);
    EXPECT_EQ(once_calls, 1);
    EXPECT_EQ(other_calls, 20);
    EXPECT_FALSE(loop.watches(once.handle));
    EXPECT_TRUE(loop.watches(other.handle));
}

TEST(HandleLoop, ABusyHandleStarvesNeitherTheOthersNorTheWindow) {
    HandleLoop loop;
    AlwaysSignalled first, second;
    CountingWindow window;
    int first_calls = 0, second_calls = 0;
    loop.watch(first.handle, [&] {
        if (++first_calls == 2'000) loop.quit(1);  // the others never got a turn
    });
    loop.watch(second.handle, [&] {
        if (++second_calls == 1) PostMessageW(window.window, WM_APP, 0, 0);
        if (CountingWindow::received > 0 && second_calls >= 10) loop.quit();
    });
    // The first handle is first in the wait and always signalled, so without turns it would
    // be the only one ever seen.
    EXPECT_EQ(loop.run(), 0);
    EXPECT_EQ(CountingWindow::received, 1);
    EXPECT_GE(second_calls, 10);
    EXPECT_LE(first_calls, second_calls + 1);
}

TEST(HandleLoop, EndsWithTheCodeOfWmQuit) {
    HandleLoop loop;
    AlwaysSignalled handle;
    loop.watch(handle.handle, [&] {
        loop.unwatch(handle.handle);
        PostQuitMessage(7);
    });
    EXPECT_EQ(loop.run(), 7);
}

TEST(HandleLoop, AHandleWatchedAgainGetsTheNewCallback) {
    HandleLoop loop;
    AlwaysSignalled handle;
    int old_calls = 0;
    loop.watch(handle.handle, [&] { ++old_calls; });
    loop.watch(handle.handle, [&] { loop.quit(5); });
    EXPECT_EQ(loop.run(), 5);
    EXPECT_EQ(old_calls, 0);
}

}  // namespace
}  // namespace quellbox::link::win
