#pragma once
// The frame transmitter: the only place that writes to the port. One call per poll tick.

#include <cstdint>

#include "link/frames.h"
#include "link/serial_port.h"
#include "ui/window_surface.h"

namespace quellbox::link {

// What one send_frame call did, for tests and the benchmark; the poll cycle ignores it.
enum class SendOutcome {
    written,       // the receive buffer was cleared, then the frame written
    port_closed,   // frame built, nothing written, receive buffer untouched
    bad_address,   // the address text is not a whole number from 0 to 255: nothing built
    write_failed,  // the port refused the write
};

class Module1 {
  public:
    Module1(SerialPort& port, const ui::WindowSurface& surface) : port_(port), surface_(surface) {}

    // Builds the command frame for the address currently in `add` and, while the port is
    // open, empties the receive buffer and then writes the frame.
    SendOutcome send_frame(std::uint8_t command, std::uint8_t data1, std::uint8_t data2);

    // The last frame built; reused for every frame, so building allocates nothing.
    const Frame& tx_frame() const { return tx_frame_; }

  private:
    SerialPort& port_;
    const ui::WindowSurface& surface_;
    Frame tx_frame_{};
};

}  // namespace quellbox::link
