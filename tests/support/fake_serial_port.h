#pragma once
// A serial port in memory: bytes the board "sends" are queued with feed(), everything the tool
// does to the port is recorded in order, and the receive event is raised by hand.

#include <cstdint>
#include <deque>
#include <functional>
#include <span>
#include <string>
#include <vector>

#include "link/serial_port.h"
#include "tools/hex.h"

namespace quellbox::test {

using tools::hex;
using tools::parse_hex;

class FakeSerialPort : public link::SerialPort {
  public:
    // Calls in order: "CommPort 3", "open", "close", "RThreshold 8", "clear", "output".
    std::vector<std::string> calls;
    std::vector<std::vector<std::uint8_t>> written;
    std::deque<std::uint8_t> incoming;
    link::OpenResult next_open{};  // what the next open() reports
    bool fail_writes = false;
    std::int16_t event_code = 0;
    // Runs right after each call is recorded, while the caller is still inside it: lets a test
    // put port calls and window writes on one timeline, or look at state mid-call.
    std::function<void(const std::string& call)> on_call;

    void feed(std::initializer_list<std::uint8_t> bytes) { incoming.insert(incoming.end(), bytes); }
    template <typename Bytes>
    void feed(const Bytes& bytes) {
        incoming.insert(incoming.end(), bytes.begin(), bytes.end());
    }

    // Every frame written so far, in trace form.
    std::vector<std::string> written_hex() const {
        std::vector<std::string> out;
        for (const auto& frame : written) out.push_back(hex(frame));
        return out;
    }

    // Delivers a receive event (code 2 by default) the way the real port does.
    void raise_comm(std::int16_t code = link::comm_event_receive) {
        event_code = code;
        if (on_comm_) on_comm_();
        event_code = 0;
    }
    // The device went away: the port closes itself and reports it.
    void lose(const std::string& device, const std::string& reason) {
        open_ = false;
        if (on_lost_) on_lost_(device, reason);
    }

    void set_comm_port(std::int16_t number) override {
        port_ = number;
        record("CommPort " + std::to_string(number));
    }
    std::int16_t comm_port() const override { return port_; }
    link::OpenResult open() override {
        record("open");
        open_ = next_open.ok();
        return next_open;
    }
    void close() override {
        record("close");
        open_ = false;
    }
    bool is_open() const override { return open_; }
    void set_rthreshold(std::int16_t bytes) override {
        record("RThreshold " + std::to_string(bytes));
    }
    void clear_input() override {
        record("clear");
        incoming.clear();
    }
    bool output(std::span<const std::uint8_t> bytes) override {
        record("output");
        if (fail_writes) return false;
        written.emplace_back(bytes.begin(), bytes.end());
        return true;
    }
    std::optional<std::uint8_t> input() override {
        if (incoming.empty()) return std::nullopt;
        const std::uint8_t b = incoming.front();
        incoming.pop_front();
        return b;
    }
    std::int16_t comm_event() const override { return event_code; }
    void set_on_comm(Handler handler) override { on_comm_ = std::move(handler); }
    void set_on_lost(LostHandler handler) override { on_lost_ = std::move(handler); }

  private:
    void record(std::string call) {
        calls.push_back(std::move(call));
        if (on_call) on_call(calls.back());
    }

    std::int16_t port_ = 0;
    bool open_ = false;
    Handler on_comm_;
    LostHandler on_lost_;
};

}  // namespace quellbox::test
