#pragma once
// A serial port that passes everything on to the real one and tells an observer what went over
// it: each receive event around the handler's run and the bytes it read, every frame written,
// and every loss of the line after the tool's own loss handler has seen it. The e2e tests, the
// soak and the bench put it between the window and the real port.

#include <cstdint>
#include <memory>
#include <span>
#include <vector>

#include "link/serial_port.h"

namespace quellbox::tools {

class PortObserver {
  public:
    virtual ~PortObserver() = default;
    // A receive event is about to reach the handler.
    virtual void receive_begins() {}
    // The handler read `byte`, while it runs.
    virtual void byte_read(std::uint8_t /*byte*/) {}
    // The handler returned; `bytes` is all it read in this event.
    virtual void receive_ends(std::span<const std::uint8_t> /*bytes*/) {}
    virtual void frame_written(std::span<const std::uint8_t> /*bytes*/) {}
    // The line was lost and the tool's loss handler has run.
    virtual void port_lost() {}
};

class PassThroughPort final : public link::SerialPort {
  public:
    PassThroughPort(std::unique_ptr<link::SerialPort> inner, PortObserver& observer);

    void set_comm_port(std::int16_t number) override { inner_->set_comm_port(number); }
    std::int16_t comm_port() const override { return inner_->comm_port(); }
    link::OpenResult open() override { return inner_->open(); }
    void close() override { inner_->close(); }
    bool is_open() const override { return inner_->is_open(); }
    void set_rthreshold(std::int16_t bytes) override { inner_->set_rthreshold(bytes); }
    void clear_input() override { inner_->clear_input(); }
    bool output(std::span<const std::uint8_t> bytes) override;
    std::optional<std::uint8_t> input() override;
    std::int16_t comm_event() const override { return inner_->comm_event(); }
    void set_on_comm(Handler handler) override;
    void set_on_lost(LostHandler handler) override;

  private:
    void deliver();
    void lost(const std::string& device, const std::string& reason);

    std::unique_ptr<link::SerialPort> inner_;
    PortObserver& observer_;
    Handler on_comm_;
    LostHandler on_lost_;
    std::vector<std::uint8_t> read_;  // what the handler read in the current event
};

}  // namespace quellbox::tools
