#pragma once
// The headless poll session: the poll cycle of the companion programs (quellboxctl, the MQTT
// bridge) for one or more boards on one serial line. One frame per tick: the oldest waiting
// command of any board, else a status query to the next board in turn. It keeps what each board
// last reported, judges each board with the window's countdown rule, and tells its owner what
// happened through plain callbacks. No toolkit: the owner drives tick() from its own timer and
// opens and closes the port itself (it knows how to resolve ports and report failures).

#include <cstddef>
#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "link/frames.h"
#include "link/serial_port.h"
#include "link/silence_countdown.h"
#include "link/transmitter.h"
#include "session/command_queue.h"

namespace quellbox::session {

struct SessionEvents {
    // Every accepted status frame (header 0x22, right checksum), attributed to the board the
    // last frame went to: boards need not echo their address in byte 1.
    std::function<void(std::uint8_t address, link::RelayMap relays, const link::Frame& frame)>
        status;
    // A board turned not known: its sixth own tick without an accepted answer, counted from
    // its last answer or, for a board that has not answered yet, from the start (or restart).
    // Raised once per turn, not on every tick after it.
    std::function<void(std::uint8_t address)> silent;
    // A frame was written to the line.
    std::function<void(std::uint8_t address, const link::Frame& frame)> sent;
    // The port closed itself (device gone): device and reason, as the port reported them.
    std::function<void(const std::string& device, const std::string& reason)> lost;
};

class PollSession {
  public:
    // Hooks the port's receive and loss events; the port must outlive the session.
    PollSession(link::SerialPort& port, std::vector<std::uint8_t> addresses, SessionEvents events);
    PollSession(const PollSession&) = delete;
    PollSession& operator=(const PollSession&) = delete;

    // One tick: exactly one frame goes out while the port is open, none while it is closed.
    void tick();

    // Commands for a board of this session (others are ignored), kept until sent; see
    // CommandQueue for how newer commands replace older ones.
    void queue_channel(std::uint8_t address, int channel, bool energize);
    void queue_all(std::uint8_t address, bool energize);

    // What the board last reported, or nothing while it is not known (not answered yet,
    // silent, or the port is closed or was lost). A toggle is resolved by the caller from this.
    std::optional<link::RelayMap> known_relays(std::uint8_t address) const;
    std::size_t commands_waiting() const;

    // After the owner reopened the port: every board starts not known again, with a full
    // countdown; waiting commands stay.
    void restart();

  private:
    struct Board {
        std::uint8_t address = 0;
        CommandQueue queue;
        link::SilenceCountdown countdown;
        bool known = false;
        bool reported_silent = false;
        link::RelayMap relays = 0;
    };

    Board* board_of(std::uint8_t address);
    const Board* board_of(std::uint8_t address) const;
    Board* board_with_oldest_command();
    void count_down(Board& board);
    void on_receive();
    void on_lost(const std::string& device, const std::string& reason);

    link::SerialPort& port_;
    link::Transmitter transmitter_;
    SessionEvents events_;
    std::vector<Board> boards_;
    std::size_t next_poll_ = 0;          // round-robin index of the next status query
    std::optional<std::size_t> target_;  // board the last frame went to
    std::uint64_t next_order_ = 0;
};

}  // namespace quellbox::session
