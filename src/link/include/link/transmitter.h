#pragma once
// The frame transmitter: the only place that writes command frames to the port. One call per
// poll tick. The window's logic gives it the address as text, read afresh for every frame
// through a callable, so it knows nothing about where the text comes from; the headless session
// names the board by number for each frame.

#include <cstdint>
#include <functional>
#include <string>

#include "link/frames.h"
#include "link/serial_port.h"

namespace quellbox::link {

// What one send_frame call did, for tests and the benchmark; the poll cycle ignores it.
enum class SendOutcome {
    written,       // the receive buffer was cleared, then the frame written
    port_closed,   // frame built, nothing written, receive buffer untouched
    bad_address,   // the address text is not a whole number from 0 to 255: nothing built
    write_failed,  // the port refused the write
};

class Transmitter {
  public:
    // Yields the address text at the moment a frame is built.
    using AddressText = std::function<std::string()>;

    Transmitter(SerialPort& port, AddressText address_text)
        : port_(port), address_text_(std::move(address_text)) {}
    // A transmitter whose caller names the board with every frame (send_frame_to).
    explicit Transmitter(SerialPort& port) : port_(port) {}

    // Builds the command frame for the address read now and, while the port is open, empties
    // the receive buffer and then writes the frame.
    SendOutcome send_frame(std::uint8_t command, std::uint8_t data1, std::uint8_t data2);
    // The same for a board named by number.
    SendOutcome send_frame_to(std::uint8_t address, std::uint8_t command, std::uint8_t data1,
                              std::uint8_t data2);

    // The frame the last call built (written or not).
    const Frame& last_frame() const { return tx_frame_; }

  private:
    SerialPort& port_;
    AddressText address_text_;
    Frame tx_frame_{};  // reused for every frame, so building allocates nothing
};

}  // namespace quellbox::link
