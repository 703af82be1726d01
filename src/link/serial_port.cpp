#include "link/serial_port.h"

namespace quellbox::link {

std::string describe(OpenError error) {
    switch (error) {
        case OpenError::none:
            return "no error";
        case OpenError::no_such_port:
            return "no serial device has this port number";
        case OpenError::missing:
            return "the device does not exist (unplugged?)";
        case OpenError::busy:
            return "the device is in use by another program";
        case OpenError::no_permission:
            return "no permission to open the device; add your user to the dialout group "
                   "(sudo usermod -aG dialout $USER) and log in again";
        case OpenError::stale_lock:
            return "the device is locked by a program that has ended";
        case OpenError::other:
            break;
    }
    return "the device could not be opened";
}

}  // namespace quellbox::link
