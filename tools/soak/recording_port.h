#pragma once
// A serial port that passes everything through to the real one and tells an observer what went
// over it: every byte the tool read, grouped by receive event, every frame it wrote, and every
// loss of the line, each after the tool's own handler has seen it.

#include <cstdint>
#include <span>

#include "link/serial_port.h"

namespace quellbox::soak {

class PortObserver {
  public:
    virtual ~PortObserver() = default;
    virtual void receive_begins() = 0;
    virtual void byte_read(std::uint8_t byte) = 0;
    virtual void receive_ends() = 0;
    virtual void frame_written(std::span<const std::uint8_t> bytes) = 0;
    // The tool's loss handler has run.
    virtual void port_lost() = 0;
};

class RecordingPort final : public link::SerialPort {
  public:
    RecordingPort(link::SerialPort& inner, PortObserver& observer)
        : inner_(inner), observer_(observer) {}

    void set_comm_port(std::int16_t number) override { inner_.set_comm_port(number); }
    std::int16_t comm_port() const override { return inner_.comm_port(); }
    link::OpenResult open() override { return inner_.open(); }
    void close() override { inner_.close(); }
    bool is_open() const override { return inner_.is_open(); }
    void set_rthreshold(std::int16_t bytes) override { inner_.set_rthreshold(bytes); }
    void clear_input() override { inner_.clear_input(); }
    bool output(std::span<const std::uint8_t> bytes) override;
    std::optional<std::uint8_t> input() override;
    std::int16_t comm_event() const override { return inner_.comm_event(); }
    void set_on_comm(Handler handler) override;
    void set_on_lost(LostHandler handler) override;

  private:
    link::SerialPort& inner_;
    PortObserver& observer_;
};

}  // namespace quellbox::soak
