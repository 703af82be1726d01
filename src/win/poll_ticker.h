#pragma once
// Timer1 on Windows: one tick every period, on a fixed grid counted from start(). WM_TIMER is
// rounded to the system tick (15.6 ms unless some program raised the timer resolution), which
// turns 50 ms into 46.8 or 62.4 and a board sees an uneven poll. A high-resolution waitable
// timer (Windows 10 1803 and later; a plain one before) is armed for each grid point as an
// absolute due time, so a late wake-up never shifts the points after it, and the loop that
// watches the timer runs the tick on the window's thread like any message.

#include <windows.h>

#include <chrono>
#include <cstdint>
#include <functional>

#include "link/handle_loop.h"

namespace quellbox::win {

class PollTicker {
  public:
    PollTicker(link::win::HandleLoop& loop, std::chrono::milliseconds period,
               std::function<void()> on_tick);
    ~PollTicker();
    PollTicker(const PollTicker&) = delete;
    PollTicker& operator=(const PollTicker&) = delete;

    // Starts a new grid: the first tick one period from now. Starting a running ticker does
    // nothing, so enabling an enabled timer does not restart its interval.
    void start();
    void stop();
    bool is_active() const { return active_; }
    // Whether the system gave the high-resolution kind of timer.
    bool high_resolution() const { return high_resolution_; }

  private:
    void fire();
    void arm_next();

    link::win::HandleLoop& loop_;
    std::int64_t period_;  // in 100 ns units, as FILETIME counts
    std::function<void()> on_tick_;
    HANDLE timer_ = nullptr;
    bool high_resolution_ = false;
    bool active_ = false;
    std::int64_t origin_ = 0;  // FILETIME of the grid's start
    std::int64_t next_ = 0;    // FILETIME of the grid point the timer is armed for
};

}  // namespace quellbox::win
