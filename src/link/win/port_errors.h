#pragma once
// What the system's error codes mean for the serial port: the reason an open failed, and the
// words for a line that went away.

#include <windows.h>

#include "link/serial_port.h"

namespace quellbox::link::win {

// `held_by_another` is asked only when the code alone cannot tell (ERROR_ACCESS_DENIED).
template <typename HeldByAnother>
OpenError open_error_of(DWORD error, HeldByAnother held_by_another) {
    switch (error) {
        case ERROR_FILE_NOT_FOUND:
        case ERROR_PATH_NOT_FOUND:
            return OpenError::no_such_port;  // no COM<n> at all, or its adapter is unplugged
        case ERROR_DEVICE_NOT_CONNECTED:
        case ERROR_DEV_NOT_EXIST:
        case ERROR_DEVICE_REMOVED:
        case ERROR_NOT_READY:
            return OpenError::missing;  // the name is still there, its device is not
        case ERROR_SHARING_VIOLATION:
            return OpenError::busy;
        case ERROR_ACCESS_DENIED:
            // Windows's serial drivers open a port once: a second open, whoever asks, is
            // refused with this same code that a port's security settings would give.
            return held_by_another() ? OpenError::busy : OpenError::no_permission;
        default:
            return OpenError::other;
    }
}

// One of link/loss_words.h for a read or write that failed with `error`.
const char* loss_words_of(DWORD error);

}  // namespace quellbox::link::win
