#include "tools/pass_through_port.h"

#include <utility>

namespace quellbox::tools {

PassThroughPort::PassThroughPort(std::unique_ptr<link::SerialPort> inner, PortObserver& observer)
    : inner_(std::move(inner)), observer_(observer) {
    // Room for many frames: the bench measures the receive path and must not see this buffer
    // grow there.
    read_.reserve(256);
}

bool PassThroughPort::output(std::span<const std::uint8_t> bytes) {
    observer_.frame_written(bytes);
    return inner_->output(bytes);
}

std::optional<std::uint8_t> PassThroughPort::input() {
    const std::optional<std::uint8_t> byte = inner_->input();
    if (byte) {
        read_.push_back(*byte);
        observer_.byte_read(*byte);
    }
    return byte;
}

// The wrappers handed to the real port capture only `this`, so its copy of them per event stays
// within std::function's small buffer: passing through adds no allocation to the receive path.
void PassThroughPort::set_on_comm(Handler handler) {
    on_comm_ = std::move(handler);
    if (on_comm_) {
        inner_->set_on_comm([this] { deliver(); });
    } else {
        inner_->set_on_comm({});
    }
}

void PassThroughPort::set_on_lost(LostHandler handler) {
    on_lost_ = std::move(handler);
    if (on_lost_) {
        inner_->set_on_lost(
            [this](const std::string& device, const std::string& reason) { lost(device, reason); });
    } else {
        inner_->set_on_lost({});
    }
}

void PassThroughPort::deliver() {
    const Handler handler = on_comm_;  // the handler may replace itself
    read_.clear();
    observer_.receive_begins();
    if (handler) handler();
    observer_.receive_ends(read_);
}

void PassThroughPort::lost(const std::string& device, const std::string& reason) {
    const LostHandler handler = on_lost_;
    if (handler) handler(device, reason);
    observer_.port_lost();
}

}  // namespace quellbox::tools
