#pragma once
// The soak's judge. It watches what the tool really read from the line, what the simulator
// really put on it, and every look the window shows, and counts each look that the bytes do not
// justify. Acceptance of a status frame is worked out here again from the protocol, apart from
// the tool's receive path; the channel map of a frame and the four looks are facts with one
// home (link/frames.h, controller/looks.h), read from there.
//
// No Qt here: the soak drives it from the port it passes the window's traffic through and from
// the window's ticker, the tests from plain calls.

#include <array>
#include <cstdint>
#include <deque>
#include <map>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <unordered_set>
#include <vector>

#include "controller/looks.h"
#include "link/frames.h"

namespace quellbox::soak {

using Frame8 = link::Frame;

// A status frame the tool must believe: header 0x22, byte 7 = sum of bytes 0 to 6 mod 256.
bool is_acceptable_status(std::span<const std::uint8_t> bytes);
// A command frame the tool may write: header 0x55, a known command, zeros in bytes 3 and 4, the
// data the command allows, and a right checksum.
bool is_well_formed_command(std::span<const std::uint8_t> bytes);

using controller::LookKind;
// "energized", ...; "unknown" for nothing.
const char* name_of(std::optional<LookKind> kind);

struct Look {
    std::uint32_t colour = 0;
    std::string caption;  // UTF-8
};
// The four (colour, caption) pairs a channel may show; anything else is nothing.
std::optional<LookKind> classify(const Look& look);

// Where the window's looks are read.
class LookSource {
  public:
    virtual ~LookSource() = default;
    virtual Look look(int channel) const = 0;
};

// The bytes the simulator wrote in one phase, as every 8-byte window of the stream, so a frame
// the tool accepted can be traced back to them whatever the order in which the simulator's
// report and the bytes themselves arrive.
class SentBytes {
  public:
    enum class Match { none, reply, spliced };

    // One `tx` line: the bytes of one reply, faults included.
    void add_reply(std::span<const std::uint8_t> bytes);
    // The line was hung up: nothing sent before can join what comes after.
    void break_stream();
    // `reply`: the first 8 bytes of one reply; `spliced`: 8 consecutive bytes of the stream
    // otherwise (the end of one reply and the start of the next).
    Match find(const Frame8& frame) const;

  private:
    static std::uint64_t key(const Frame8& frame);

    std::deque<std::uint8_t> tail_;  // the last 7 bytes, for windows across two replies
    std::unordered_set<std::uint64_t> windows_;
    std::unordered_set<std::uint64_t> reply_starts_;
};

class Oracle {
  public:
    struct Counts {
        long receive_events = 0;
        long frames_accepted = 0;  // judged here, independently of the tool
        long frames_rejected = 0;
        long accepted_replies = 0;    // traced to the start of one reply
        long accepted_spliced = 0;    // traced to bytes across two replies
        long reads_not_eight = 0;     // receive events that did not read exactly 8 bytes
        long frames_written = 0;      // output() calls
        long bad_frames_written = 0;  // malformed, or for an address the field does not hold
        long looks_judged = 0;
        long ticks = 0;
    };

    // Kinds of wrong look, as they appear in the report.
    static constexpr std::array<std::string_view, 8> violation_kinds = {
        "unknown_look",      // a (colour, caption) pair that is none of the four
        "bit_mismatch",      // green or red that the last accepted frame does not say
        "rejected_painted",  // a look written while reading a frame that must be rejected
        "stale_not_yellow",  // six ticks without an accepted frame and still not not-known
        "state_change",      // opening, closing or losing the port left the wrong looks
        "frame_not_sent",    // an accepted frame the simulator never put on the line
        "bad_read",          // a receive event that did not read exactly 8 bytes
        "bad_frame_written"  // a command frame that the tool must not write
    };

    explicit Oracle(const LookSource& window) : window_(window) {}

    // ---- from the port decorator ----
    // The looks are read around each receive event: when the receive handler changed any, all
    // sixteen are judged as written, and any change while reading a frame that must be rejected
    // is wrong.
    void receive_begins();
    void byte_read(std::uint8_t byte);
    void receive_ends();
    // `address_text` is what the address field held when the frame was written. Plain digits
    // name the address the frame must carry; text with no digits at all, or plain digits past
    // 255, must keep the tool from writing anything. Other forms ("1.0", " 7") are left to the
    // tool's reading rule and only the frame's form is judged.
    void frame_written(std::span<const std::uint8_t> bytes, std::string_view address_text);

    // ---- from the window ----
    // Called after the window's own tick handler has run.
    void tick_done();
    // After a port state change every channel shows one look; each is judged as well.
    void expect_all(LookKind kind, std::string_view when);
    // A failed open must leave the window as it was.
    void expect_unchanged(const std::array<Look, 17>& before, std::string_view when);
    std::array<Look, 17> snapshot() const;

    // ---- from the simulator ----
    void phase_begins(std::string_view name);
    void sim_sent(std::span<const std::uint8_t> bytes);
    void sim_hung_up();
    // Every accepted frame of the phase not traced to the simulator's bytes by now is wrong.
    void phase_ends();

    const Counts& counts() const { return counts_; }
    // Looks the bytes did not justify (all kinds above but the last two).
    long wrong_looks() const;
    // Faults on the line side that may not have shown yet (bad reads and bad frames written).
    long line_faults() const;
    const std::map<std::string, long>& violations() const { return violations_; }
    // The first few violations in words, for the log.
    const std::vector<std::string>& examples() const { return examples_; }
    int ticks_since_accepted() const { return ticks_since_accepted_; }

    // Counts a fault of one of the kinds above that the caller found itself.
    void violation(std::string_view kind, std::string detail);

  private:
    void judge(int channel, const Look& look, std::string_view when);
    void resolve_pending();

    const LookSource& window_;
    std::string phase_;
    bool in_event_ = false;
    bool event_accepted_ = false;
    std::vector<std::uint8_t> event_bytes_;
    std::array<Look, 17> before_event_{};  // the looks as the receive event found them
    std::optional<Frame8> last_accepted_;
    // Large until the first accepted frame: the display starts out stale.
    int ticks_since_accepted_ = 1 << 20;

    SentBytes sent_;
    std::vector<Frame8> pending_;  // accepted, not yet traced to the simulator's bytes

    Counts counts_;
    std::map<std::string, long> violations_;
    std::vector<std::string> examples_;
};

}  // namespace quellbox::soak
