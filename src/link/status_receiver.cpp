#include "link/status_receiver.h"

namespace quellbox::link {

std::optional<Frame> read_frame(SerialPort& port) {
    Frame frame{};
    for (auto& slot : frame) {
        const auto byte = port.input();
        if (!byte) return std::nullopt;
        slot = *byte;
    }
    return frame;
}

}  // namespace quellbox::link
