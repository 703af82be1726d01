#pragma once
// The timing rules of the poll cycle, shared by the window's logic and the headless session so
// that the window and the companion programs judge a board the same way.

#include <chrono>
#include <cstdint>

namespace quellbox::link {

// One frame goes out per tick of this period.
inline constexpr int poll_interval_ms = 50;
// Ticks that may pass after an accepted status frame before the board is taken as not known:
// the countdown is reloaded to this value per accepted frame and counted down per tick, and
// the board is not known once it is below 1 (the sixth silent tick).
inline constexpr std::int32_t link_countdown_reload = 5;
// The receive event comes once a whole status frame waits.
inline constexpr std::int16_t receive_threshold = 8;
// One byte on the line at 9600 baud, 8 data bits, no parity, 1 stop bit: ten bit times.
inline constexpr std::chrono::nanoseconds byte_time{10 * 1'000'000'000LL / 9600};

}  // namespace quellbox::link
