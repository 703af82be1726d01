#include "link/receive_event.h"

namespace quellbox::link {

bool ReceiveEvent::raise(std::size_t threshold, const std::function<std::size_t()>& waiting,
                         const std::function<bool()>& still_ours,
                         const SerialPort::Handler& handler) {
    if (in_handler_) {
        // Only a loop nested inside the handler gets here; the event is never nested.
        bytes_came_ = true;
        return false;
    }
    if (threshold == 0) return false;
    const std::size_t before = waiting();
    if (before < threshold) return false;

    in_handler_ = true;
    bytes_came_ = false;
    code_ = comm_event_receive;
    const SerialPort::Handler call = handler;  // the handler may replace itself
    if (call) call();
    code_ = 0;
    in_handler_ = false;

    if (!still_ours()) return false;
    const std::size_t after = waiting();
    return after >= threshold && (after < before || bytes_came_);
}

}  // namespace quellbox::link
