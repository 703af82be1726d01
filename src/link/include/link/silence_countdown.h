#pragma once
// How long a board may stay silent before it is taken as not known, counted in its own poll
// ticks: the window and the companion programs judge a board by this one rule. The count is
// reloaded per accepted status frame and counted down per tick; once it is below 1 when a tick
// comes, the board is silent (the sixth tick without an answer after a reload).

#include <cstdint>

#include "link/poll_rules.h"

namespace quellbox::link {

class SilenceCountdown {
  public:
    // Run out: a board that never answered is not known at its first tick.
    SilenceCountdown() = default;

    // An accepted status frame came, or the watch starts afresh with a full count.
    void reload() { left_ = link_countdown_reload; }

    // One tick of the board: true when it is silent at this tick, else one tick fewer remain.
    bool silent_at_tick() {
        if (left_ < 1) return true;
        --left_;
        return false;
    }

  private:
    std::int32_t left_ = 0;
};

}  // namespace quellbox::link
