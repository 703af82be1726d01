#pragma once
// The virtual board's report lines ("rx ...", "tx ...", "fault corrupt", "hangup", ...), read
// and tallied. No Qt here.

#include <cstdint>
#include <map>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace quellbox::soak {

struct SimLine {
    enum class Kind {
        ready,
        rx,
        tx,
        skip,
        badsum,
        ignore,
        state,
        fault,
        muted,
        hangup,
        reopen,
        exit,
        other
    };
    Kind kind = Kind::other;
    std::vector<std::uint8_t> bytes;    // rx, tx, skip, badsum
    std::string word;                   // fault: its name; ready, reopen: the slave path
    std::optional<std::uint8_t> board;  // state, tx: whose, when the line has several boards
};

SimLine parse_sim_line(std::string_view line);

struct SimTally {
    long received = 0;  // rx: command frames with a right checksum
    long answered = 0;  // tx: replies written, faults included
    long ignored = 0;   // frames for another address
    long muted = 0;     // frames left unanswered during a quiet period
    long skipped = 0;   // skip / badsum: bytes the board could not use
    long hangups = 0;
    long reopens = 0;
    std::map<std::string, long> faults;  // by name: corrupt, drop, extra, bad-header, silence

    void add(const SimLine& line);
    SimTally& operator+=(const SimTally& other);
};

}  // namespace quellbox::soak
