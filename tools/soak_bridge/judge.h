#pragma once
// The bridge soak's judge: what the boards really sent on the wire on one side, what the bridge
// published on the broker and what the scripted client asked for on the other, each with its
// time on the monotonic clock (microseconds). No Qt, no I/O: the soak feeds it as lines come in
// and asks it to judge everything older than the lines it can still expect.
//
// A published state must equal what that very board last reported on the wire: the value of a
// valid status frame from that board sent at most `slack` before the publication, or its
// latest one before that. A value no frame of the board carried is either another board's
// (the bridge gave an answer to the wrong board) or no board's (it published optimistically).
// An "online" needs a recent frame from the board. A command must show in the published state
// within `confirm_window`, unless its board was offline, a newer command took its place, or the
// broker restarted meanwhile (messages in flight die with it).

#include <cstddef>
#include <cstdint>
#include <deque>
#include <map>
#include <optional>
#include <span>
#include <string>
#include <vector>

#include "link/frames.h"

namespace quellbox::soak_bridge {

using Micros = std::int64_t;

struct JudgeTimes {
    Micros slack = 1'000'000;  // publication behind the frame it shows
    // The board stamps a reply's line after writing it and may sleep in between, so the
    // publication the reply caused can carry an earlier stamp than the reply.
    Micros early = 50'000;
    Micros online_within = 2'000'000;   // "online" needs a frame at most this old
    Micros confirm_window = 4'000'000;  // command -> its state published
};

struct JudgeCounts {
    long reports = 0;           // valid status frames from a board, on the wire
    long line_made_frames = 0;  // valid frames that only line faults put together
    long states = 0;            // state publications judged
    long states_right = 0;
    long states_by_line_faults = 0;  // matched only a frame the line faults made
    long onlines = 0;
    long offlines = 0;
    long commands = 0;
    long confirmed = 0;
    long already_shown = 0;  // of those: the state showed it before the command
    long board_offline = 0;
    long superseded = 0;
    long broker_restart = 0;
};

class Judge {
  public:
    // The boards the bridge was given; addresses without a board on the line may be among them.
    // `origin` is the time examples count their seconds from.
    Judge(const std::vector<std::uint8_t>& addresses, Micros origin, JudgeTimes times = {});

    // ---- the wire ----
    // A reply the board with `address` wrote, as it went out (faults included).
    void board_wrote(std::uint8_t address, Micros at, std::span<const std::uint8_t> wire);
    // The line went away or a fresh one came: bytes before it cannot join bytes after it.
    void line_restarted();

    // ---- the broker ----
    void state(std::uint8_t address, int channel, bool on, Micros at);
    void availability(std::uint8_t address, bool online, Micros at);
    // A command the client published: channel 1 to 16, or 0 for all.
    void command(std::uint8_t address, int channel, bool on, Micros at);
    void broker_down(Micros from, Micros to);

    // Judges every publication and command whose verdict cannot change after `until` any more
    // (nothing stamped before `until` is still to come).
    void judge_until(Micros until);

    const JudgeCounts& counts() const { return counts_; }
    // Wrong findings by kind; the first few of each kind as examples.
    const std::map<std::string, long>& violations() const { return violations_; }
    const std::vector<std::string>& examples() const { return examples_; }
    long wrong() const;
    // Publications and commands not judged yet.
    std::size_t waiting() const { return publications_.size() + commands_.size(); }

  private:
    struct Report {
        Micros at;
        link::RelayMap relays;
    };
    struct Publication {
        std::uint8_t address;
        int channel;  // 0: availability
        bool on;      // the state, or online
        Micros at;
    };
    struct Command {
        std::uint8_t address;
        int channel;
        bool on;
        Micros at;
    };
    struct Board {
        std::deque<Report> reports;
        std::vector<std::pair<Micros, bool>> availability;
        std::map<int, std::vector<std::pair<Micros, bool>>> states;  // per channel, in time order
    };

    void judge_state(const Publication& p);
    void judge_online(const Publication& p);
    void judge_command(const Command& c, const std::deque<Command>& later);
    // Whether some report of `board` near `at` has the channel at `on` (see the top).
    bool shown_by(const std::deque<Report>& reports, int channel, bool on, Micros at) const;
    bool online_at(const Board& board, Micros at) const;
    bool went_offline(const Board& board, Micros from, Micros to) const;
    bool state_shows(const Board& board, int channel, bool on, Micros from, Micros to,
                     bool& before) const;
    void wrong_one(const std::string& kind, const std::string& example);
    void forget_before(Micros t);

    Micros origin_;
    JudgeTimes times_;
    std::map<std::uint8_t, Board> boards_;
    std::deque<Report> line_made_;
    std::vector<std::uint8_t>
        wire_;  // the tail of the bytes on the line, for frames across replies
    std::deque<Publication> publications_;
    std::deque<Command> commands_;
    std::vector<std::pair<Micros, Micros>> broker_down_;
    JudgeCounts counts_;
    std::map<std::string, long> violations_;
    std::vector<std::string> examples_;
};

}  // namespace quellbox::soak_bridge
