#pragma once
// Reads and judges one status frame: the receive path's protocol half. The handler that calls
// it on each receive event lives with the window's logic.

#include <array>
#include <cstdint>

#include "link/serial_port.h"

namespace quellbox::link {

// The last 8 received bytes; index k holds frame byte k as a value 0 to 255.
using RxBytes = std::array<std::int32_t, 8>;

// Takes exactly 8 reads from the port into rx (never more; bytes past the eighth stay waiting)
// and tells whether the frame has header 0x22 and a right checksum. A read that yields no byte
// rejects the frame and ends the reading there; its slot and those after it are set to -1, so
// nothing ever judges or paints a byte that was not received.
bool read_status_frame(SerialPort& port, RxBytes& rx);

}  // namespace quellbox::link
