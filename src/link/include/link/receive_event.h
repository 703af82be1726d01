#pragma once
// When a serial port raises its receive event, the same for every port: once at least the
// threshold of bytes waits, never inside itself, and again for what still waits only when the
// handler took something (or more came meanwhile): a handler that reads nothing would
// otherwise be called back forever without a new byte arriving.

#include <cstddef>
#include <cstdint>
#include <functional>

#include "link/serial_port.h"

namespace quellbox::link {

class ReceiveEvent {
  public:
    // Calls `handler` when `waiting()` bytes reach `threshold` (0: no events). `still_ours()`,
    // asked after the handler, says the port is still open on the same line. True when the
    // port should check again from its event loop, after this call has returned.
    bool raise(std::size_t threshold, const std::function<std::size_t()>& waiting,
               const std::function<bool()>& still_ours, const SerialPort::Handler& handler);
    // comm_event_receive while the handler runs, else 0.
    std::int16_t code() const { return code_; }

  private:
    bool in_handler_ = false;
    bool bytes_came_ = false;  // raise() was called while the handler ran
    std::int16_t code_ = 0;
};

}  // namespace quellbox::link
