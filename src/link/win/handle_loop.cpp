#include "link/handle_loop.h"

#include <algorithm>
#include <stdexcept>
#include <string>

namespace quellbox::link::win {

void HandleLoop::watch(HANDLE handle, Callback callback) {
    const auto found = std::find_if(watches_.begin(), watches_.end(),
                                    [handle](const Watch& w) { return w.handle == handle; });
    if (found != watches_.end()) {
        found->callback = std::move(callback);
        return;
    }
    if (watches_.size() >= max_handles) {
        throw std::length_error("HandleLoop: more handles than one wait can take");
    }
    watches_.push_back({handle, std::move(callback)});
}

void HandleLoop::unwatch(HANDLE handle) {
    std::erase_if(watches_, [handle](const Watch& w) { return w.handle == handle; });
}

bool HandleLoop::watches(HANDLE handle) const {
    return std::any_of(watches_.begin(), watches_.end(),
                       [handle](const Watch& w) { return w.handle == handle; });
}

void HandleLoop::set_dialog_window(HWND window) {
    dialog_ = window;
}

void HandleLoop::quit(int code) {
    quitting_ = true;
    exit_code_ = code;
}

void HandleLoop::run_callback_of(HANDLE handle) {
    const auto found = std::find_if(watches_.begin(), watches_.end(),
                                    [handle](const Watch& w) { return w.handle == handle; });
    if (found == watches_.end()) return;
    // A copy: the callback may unwatch its own handle, which destroys the stored one.
    const Callback callback = found->callback;
    callback();
}

bool HandleLoop::pump_messages() {
    MSG message;
    while (!quitting_ && PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE)) {
        if (message.message == WM_QUIT) {
            quit(static_cast<int>(message.wParam));
            return false;
        }
        if (dialog_ != nullptr && IsDialogMessageW(dialog_, &message)) continue;
        TranslateMessage(&message);
        DispatchMessageW(&message);
    }
    return !quitting_;
}

int HandleLoop::run() {
    quitting_ = false;
    std::vector<HANDLE> handles;
    while (!quitting_) {
        // The handles in turn from a rotating start: the wait reports the first signalled one
        // in the array, so a handle that is always signalled cannot shut out those after it.
        handles.clear();
        const std::size_t count = watches_.size();
        for (std::size_t i = 0; i < count; ++i) {
            handles.push_back(watches_[(first_ + i) % count].handle);
        }
        const DWORD result =
            MsgWaitForMultipleObjectsEx(static_cast<DWORD>(count), handles.data(), INFINITE,
                                        QS_ALLINPUT, MWMO_INPUTAVAILABLE | MWMO_ALERTABLE);
        if (result < WAIT_OBJECT_0 + count) {
            first_ = count == 0 ? 0 : (first_ + (result - WAIT_OBJECT_0) + 1) % count;
            run_callback_of(handles[result - WAIT_OBJECT_0]);
            // Messages get their turn after every handle, so a busy handle cannot starve the
            // window either.
            pump_messages();
        } else if (result == WAIT_OBJECT_0 + count) {
            pump_messages();
        } else if (result == WAIT_IO_COMPLETION) {
            continue;  // completion routines ran
        } else if (result >= WAIT_ABANDONED_0 && result < WAIT_ABANDONED_0 + count) {
            run_callback_of(handles[result - WAIT_ABANDONED_0]);
        } else {
            throw std::runtime_error("HandleLoop: the wait failed, error " +
                                     std::to_string(GetLastError()));
        }
    }
    return exit_code_;
}

}  // namespace quellbox::link::win
