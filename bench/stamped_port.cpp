#include "stamped_port.h"

namespace quellbox::bench {

StampedPort::StampedPort(std::unique_ptr<link::SerialPort> inner, ReceiveProbe& probe)
    : inner_(std::move(inner)), probe_(probe) {}

void StampedPort::set_on_comm(Handler handler) {
    handler_ = std::move(handler);
    // The wrapper captures only `this`, so the real port's copy of it per event stays within
    // std::function's small buffer: the bench adds no allocation to the path it measures.
    if (handler_) {
        inner_->set_on_comm([this] { deliver(); });
    } else {
        inner_->set_on_comm({});
    }
}

std::optional<std::uint8_t> StampedPort::input() {
    const auto byte = inner_->input();
    if (byte && read_count_ < read_.size()) read_[read_count_++] = *byte;
    return byte;
}

void StampedPort::deliver() {
    const Handler handler = handler_;  // the handler may replace itself
    read_count_ = 0;
    probe_.receive_begin();
    if (handler) handler();
    probe_.receive_end(read_count_ == read_.size() ? std::optional<link::Frame>(read_)
                                                   : std::nullopt);
}

}  // namespace quellbox::bench
