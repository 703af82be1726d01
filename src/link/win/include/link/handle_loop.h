#pragma once
// The one wait of the Windows programs. Window messages and kernel handles (the serial port's
// overlapped events, the poll timer) wake the same MsgWaitForMultipleObjectsEx, and each callback
// runs to completion before the next, all on the thread that called run(): no handler needs a
// lock, and none runs inside another.

#include <windows.h>

#include <functional>
#include <vector>

namespace quellbox::link::win {

class HandleLoop {
  public:
    using Callback = std::function<void()>;

    HandleLoop() = default;
    HandleLoop(const HandleLoop&) = delete;
    HandleLoop& operator=(const HandleLoop&) = delete;

    // `callback` runs on the loop's thread each time `handle` is signalled. The handle is
    // auto-reset (event, waitable timer), or the callback resets it. At most 60 handles.
    // Watching a handle again replaces its callback.
    void watch(HANDLE handle, Callback callback);
    // Safe from inside any callback, including the handle's own.
    void unwatch(HANDLE handle);
    bool watches(HANDLE handle) const;
    // Tab/Enter navigation: messages for this window go through IsDialogMessage.
    void set_dialog_window(HWND window);
    // Runs until quit() or WM_QUIT; returns the code.
    int run();
    // Ends run() once the callback or message handler that called it has returned.
    void quit(int code = 0);

    static constexpr std::size_t max_handles = 60;

  private:
    struct Watch {
        HANDLE handle;
        Callback callback;
    };

    // Dispatches every waiting message; false once WM_QUIT came.
    bool pump_messages();
    void run_callback_of(HANDLE handle);

    std::vector<Watch> watches_;
    HWND dialog_ = nullptr;
    std::size_t first_ = 0;  // where the next wait starts, so that no busy handle starves others
    bool quitting_ = false;
    int exit_code_ = 0;
};

}  // namespace quellbox::link::win
