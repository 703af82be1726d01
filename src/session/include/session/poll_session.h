#pragma once
// The headless poll session: the poll cycle of the companion programs (quellboxctl, the MQTT
// bridge) for one or more boards on one serial line. Status queries go to the boards in turn on
// a 50 ms grid; a waiting command goes as soon as the line is idle, without waiting for the grid.
// One frame is in flight at a time. It keeps what each board last reported, judges each board
// with the window's countdown rule, matches answers to boards (see on_receive), and tells its
// owner what happened through plain callbacks. No toolkit: the owner arms a single-shot timer
// for the time the session asks for (`wake`) and calls run() then; it opens and closes the port
// itself (it knows how to resolve ports and report failures).

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
#include "session/session_clock.h"

namespace quellbox::session {

// Why an answer (a status frame that passed its checks) was not given to the polled board.
enum class DropReason {
    names_other_board,  // byte 1 holds the address of another board of this session
    too_early,          // it began while the poll was still going out: a late answer
    several,            // two or more answers came for one poll
    unasked,            // no poll was waiting for an answer
};

// One report of dropped answers, at most one per board a minute: the latest reason, and how
// many answers were dropped for this board since the last report (this one included).
struct DroppedAnswers {
    std::uint8_t board = 0;  // the board whose poll the answers came for
    DropReason reason = DropReason::several;
    std::uint8_t byte1 = 0;  // byte 1 of the latest dropped answer
    std::uint64_t count = 0;
};

struct SessionEvents {
    // Every answer given to a board: a status frame with header 0x22 and the right checksum,
    // the only answer in the window of a poll of that board (see on_receive).
    std::function<void(std::uint8_t address, link::RelayMap relays, const link::Frame& frame)>
        status;
    // A board turned not known: its sixth own frame without an accepted answer, counted from
    // its last answer or, for a board that has not answered yet, from the start (or restart).
    // Raised once per turn, not on every frame after it.
    std::function<void(std::uint8_t address)> silent;
    // A frame was written to the line.
    std::function<void(std::uint8_t address, const link::Frame& frame)> sent;
    // The port closed itself (device gone): device and reason, as the port reported them.
    std::function<void(const std::string& device, const std::string& reason)> lost;
    // The session wants run() called at this time (or at once if it has passed); replaces the
    // wish before. Not raised while the session is stopped or the port closed.
    std::function<void(SessionTime at)> wake;
    // Answers that were not given to the polled board (rate-limited, see DroppedAnswers).
    std::function<void(const DroppedAnswers& dropped)> dropped;
};

class PollSession {
  public:
    // Hooks the port's receive and loss events; the port and the clock must outlive the session.
    PollSession(link::SerialPort& port, std::vector<std::uint8_t> addresses, SessionEvents events,
                const SessionClock& clock = steady_session_clock());
    PollSession(const PollSession&) = delete;
    PollSession& operator=(const PollSession&) = delete;

    // Polling on: the first status query is due now. stop() sends nothing more until the next
    // start(); an answer already in is still judged. Both leave what the boards reported alone.
    void start();
    void stop();
    // Stopped, one frame now (a waiting command, else a status query to the next board): a
    // probe. Its answer comes through the status event as usual.
    void send_once();
    // Does what is due now: settles an answered poll, then, if the line is idle, writes the
    // oldest waiting command or the status query a grid slot asked for. Nothing while the port
    // is closed or the session stopped. Then asks for the next wake-up.
    void run();

    // Commands for a board of this session (others are ignored), kept until sent; see
    // CommandQueue for how newer commands replace older ones.
    void queue_channel(std::uint8_t address, int channel, bool energize);
    void queue_all(std::uint8_t address, bool energize);

    // What the board last reported, or nothing while it is not known (not answered yet,
    // silent, or the port is closed or was lost). A toggle is resolved by the caller from this.
    std::optional<link::RelayMap> known_relays(std::uint8_t address) const;
    std::size_t commands_waiting() const;

    // After the owner reopened the port: every board starts not known again, with a full
    // countdown; waiting commands stay, nothing is in flight, the poll grid starts afresh.
    void restart();

  private:
    struct Board {
        std::uint8_t address = 0;
        CommandQueue queue;
        link::SilenceCountdown countdown;
        bool known = false;
        bool reported_silent = false;
        link::RelayMap relays = 0;
        std::uint64_t drops_untold = 0;
        std::optional<SessionTime> next_drop_report;
    };

    // The last frame written and the answers that came for it.
    struct Flight {
        std::size_t board = 0;
        SessionTime written{};
        bool settled = false;  // its window closed: later answers are unasked
        int answers = 0;
        link::Frame answer{};
        std::uint8_t last_byte1 = 0;
    };

    Board* board_of(std::uint8_t address);
    const Board* board_of(std::uint8_t address) const;
    Board* board_with_oldest_command();
    void count_down(Board& board);
    void on_receive();
    void on_lost(const std::string& device, const std::string& reason);
    void settle(SessionTime now);
    void send_next(SessionTime now);
    void accept(Board& board, const link::Frame& frame);
    void drop(std::size_t board, DropReason reason, std::uint8_t byte1, std::uint64_t count,
              SessionTime now);
    bool names_other_board(std::uint8_t byte1, std::size_t polled) const;
    bool wants_line() const;
    void ask_for_wake(SessionTime now);

    link::SerialPort& port_;
    link::Transmitter transmitter_;
    SessionEvents events_;
    const SessionClock& clock_;
    std::vector<Board> boards_;
    std::size_t next_poll_ = 0;  // round-robin index of the next status query
    std::optional<Flight> flight_;
    bool running_ = false;
    bool poll_owed_ = false;   // a grid slot came and its status query has not gone yet
    SessionTime next_slot_{};  // the next slot of the poll grid
    SessionTime idle_at_{};    // the line is free for the next frame from then on
    std::uint64_t next_order_ = 0;
};

}  // namespace quellbox::session
