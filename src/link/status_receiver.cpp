#include "link/status_receiver.h"

#include "link/frames.h"

namespace quellbox::link {

bool read_status_frame(SerialPort& port, RxBytes& rx) {
    Frame frame{};
    for (std::size_t i = 0; i < rx.size(); ++i) {
        const auto byte = port.input();
        if (!byte) {
            for (std::size_t k = i; k < rx.size(); ++k) rx[k] = -1;
            return false;
        }
        rx[i] = *byte;
        frame[i] = *byte;
    }
    return is_valid_status_frame(frame);
}

}  // namespace quellbox::link
