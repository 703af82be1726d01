#pragma once
// When a reply that comes byte by byte can be whole. A board answers each frame after about the
// same delay, so once that delay is known the line need not wake for a reply's first byte: it
// looks once, when the last byte can be in. The delay is learned from the first bytes of
// replies the line did wake for, and the shortest of the last few is used, so that a look is
// never later than watching would have been; a board that answers later than that is simply
// watched for again. A line whose replies come in one piece gains nothing and is watched: the
// forecast is used only after several replies in a row came in pieces.

#include <array>
#include <chrono>
#include <cstddef>
#include <optional>

#include "link/poll_rules.h"

namespace quellbox::link {

class ReplyForecast {
  public:
    using Clock = std::chrono::steady_clock;

    // A frame has just been handed to the driver. When the reply, `reply_bytes` long, can be
    // whole; nothing means: watch for its first byte.
    std::optional<Clock::time_point> written(Clock::time_point now, std::size_t reply_bytes);

    // Woken by the handle, the line read bytes: `waiting` of a reply of `reply_bytes` are in,
    // the newest just now. Only the first such wake-up after a write teaches anything.
    void woke(Clock::time_point now, std::size_t waiting, std::size_t reply_bytes);

    // The line looked when the reply was due and found `waiting` bytes of it. Part of a reply
    // means it comes in pieces, even when the wake-up for its next byte finds it whole: a reply
    // a little late must not make the line watch the next several from their first byte again.
    void looked(std::size_t waiting, std::size_t reply_bytes) {
        if (written_at_) seen_in_part_ = waiting > 0 && waiting < reply_bytes;
    }

    // The reply is whole: what comes before the next write is no reply to learn from.
    void answered() { written_at_.reset(); }

    // Added to every look, for a sender's pacing being a little late.
    static constexpr std::chrono::nanoseconds margin = byte_time / 4;

  private:
    static constexpr std::size_t remembered = 4;
    // Every so many replies the first byte is watched for anyway, so the delay stays current.
    static constexpr unsigned watch_every = 16;

    std::optional<Clock::time_point> written_at_;
    std::array<Clock::duration, remembered> delays_{};
    std::size_t next_ = 0;
    // Replies watched for that came in pieces, since the last that came whole.
    std::size_t in_pieces_ = 0;
    unsigned since_watched_ = 0;
    bool seen_in_part_ = false;  // the reply to the last write, by a look before it was whole
};

}  // namespace quellbox::link
