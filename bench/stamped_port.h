#pragma once
// A serial port that passes everything on to the real one and tells a probe when the receive
// event's handler starts and when it returns: the start of "status in to painted".

#include <memory>
#include <optional>

#include "link/frames.h"
#include "link/serial_port.h"

namespace quellbox::bench {

class ReceiveProbe {
  public:
    virtual ~ReceiveProbe() = default;
    virtual void receive_begin() = 0;
    // `frame` holds the 8 bytes the handler read, if it read a whole frame.
    virtual void receive_end(const std::optional<link::Frame>& frame) = 0;
};

class StampedPort final : public link::SerialPort {
  public:
    StampedPort(std::unique_ptr<link::SerialPort> inner, ReceiveProbe& probe);

    link::SerialPort& inner() { return *inner_; }

    void set_comm_port(std::int16_t number) override { inner_->set_comm_port(number); }
    std::int16_t comm_port() const override { return inner_->comm_port(); }
    link::OpenResult open() override { return inner_->open(); }
    void close() override { inner_->close(); }
    bool is_open() const override { return inner_->is_open(); }
    void set_rthreshold(std::int16_t bytes) override { inner_->set_rthreshold(bytes); }
    void clear_input() override { inner_->clear_input(); }
    bool output(std::span<const std::uint8_t> bytes) override { return inner_->output(bytes); }
    std::optional<std::uint8_t> input() override;
    std::int16_t comm_event() const override { return inner_->comm_event(); }
    void set_on_comm(Handler handler) override;
    void set_on_lost(LostHandler handler) override { inner_->set_on_lost(std::move(handler)); }

  private:
    void deliver();

    std::unique_ptr<link::SerialPort> inner_;
    ReceiveProbe& probe_;
    Handler handler_;
    link::Frame read_{};  // what the handler read in the current event
    std::size_t read_count_ = 0;
};

}  // namespace quellbox::bench
