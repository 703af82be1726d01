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

void StampedPort::deliver() {
    const Handler handler = handler_;  // the handler may replace itself
    probe_.receive_begin();
    if (handler) handler();
    probe_.receive_end();
}

}  // namespace quellbox::bench
