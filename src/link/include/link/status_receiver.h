#pragma once
// Reads one frame off the port: the receive path's protocol half. The handler that calls it on
// each receive event lives with whoever listens (the window's logic, the poll session).

#include <optional>

#include "link/frames.h"
#include "link/serial_port.h"

namespace quellbox::link {

// Takes exactly 8 reads from the port (never more; bytes past the eighth stay waiting) and
// yields the frame they make. A read that yields no byte ends the reading there and yields
// nothing, so no one ever judges or paints a byte that was not received.
std::optional<Frame> read_frame(SerialPort& port);

}  // namespace quellbox::link
