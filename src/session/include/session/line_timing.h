#pragma once
// The session's timing of one frame on the line, all derived from the 9600-baud byte time: when
// an answer can be the polled board's at the earliest, how long the line stays reserved for an
// answer, and how long after an answer another one still spoils the poll.

#include <chrono>

#include "link/poll_rules.h"

namespace quellbox::session {

// A command frame on the wire: eight byte times after the write.
inline constexpr std::chrono::nanoseconds frame_time = 8 * link::byte_time;
// An answer to a frame starts only once that frame is on the wire, and needs eight byte times
// of its own: one complete earlier than this after the write began while the frame was still
// going out, so it answers the frame before. Two byte times are left for baud-rate tolerance.
inline constexpr std::chrono::nanoseconds earliest_answer = 2 * frame_time - 2 * link::byte_time;
// After an answer the line is idle again once this passed without another one: a byte time of
// quiet, so that a board's answer and a late one queued right behind it (one USB read, or two
// boards answering back to back) are seen together. A second answer in that time spoils the
// poll: neither is used. Kept this short because every command waits for it twice.
inline constexpr std::chrono::nanoseconds answer_settle = link::byte_time;
// How long a frame keeps the line for its answer before the next command may go: both frames
// plus the time a slow board, or a USB adapter's receive latency, may add. The poll grid itself
// does not wait for it.
inline constexpr std::chrono::nanoseconds reply_wait =
    2 * frame_time + std::chrono::milliseconds(15);
// Dropped answers are told at most this often per board, with the count since the last time.
inline constexpr std::chrono::seconds drop_report_interval{60};

}  // namespace quellbox::session
