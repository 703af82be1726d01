#include "recording_port.h"

#include <utility>

namespace quellbox::soak {

bool RecordingPort::output(std::span<const std::uint8_t> bytes) {
    observer_.frame_written(bytes);
    return inner_.output(bytes);
}

std::optional<std::uint8_t> RecordingPort::input() {
    const std::optional<std::uint8_t> byte = inner_.input();
    if (byte) observer_.byte_read(*byte);
    return byte;
}

void RecordingPort::set_on_comm(Handler handler) {
    if (!handler) {
        inner_.set_on_comm({});
        return;
    }
    inner_.set_on_comm([this, handler = std::move(handler)] {
        observer_.receive_begins();
        handler();
        observer_.receive_ends();
    });
}

void RecordingPort::set_on_lost(LostHandler handler) {
    if (!handler) {
        inner_.set_on_lost({});
        return;
    }
    inner_.set_on_lost(
        [this, handler = std::move(handler)](const std::string& device, const std::string& why) {
            handler(device, why);
            observer_.port_lost();
        });
}

}  // namespace quellbox::soak
