#include "reply_forecast.h"

#include <algorithm>

namespace quellbox::link {

std::optional<ReplyForecast::Clock::time_point> ReplyForecast::written(Clock::time_point now,
                                                                       std::size_t reply_bytes) {
    written_at_ = now;
    seen_in_part_ = false;
    if (in_pieces_ < remembered || reply_bytes == 0) return std::nullopt;
    if (++since_watched_ >= watch_every) {
        since_watched_ = 0;
        return std::nullopt;
    }
    const Clock::duration shortest = *std::min_element(delays_.begin(), delays_.end());
    const auto rest = static_cast<Clock::rep>(reply_bytes - 1);
    return now + shortest + rest * byte_time + margin;
}

void ReplyForecast::woke(Clock::time_point now, std::size_t waiting, std::size_t reply_bytes) {
    if (!written_at_ || waiting == 0) return;
    const Clock::time_point asked = *written_at_;
    written_at_.reset();
    if (waiting >= reply_bytes) {
        // Whole at this wake-up: the board hands its replies over in one piece, unless a look
        // found part of this one before (then it was only late, and its delay says nothing).
        if (!seen_in_part_) in_pieces_ = 0;
        return;
    }
    // Paced bytes: the first of those waiting came (waiting - 1) byte times before the newest.
    const Clock::duration delay = now - asked - static_cast<Clock::rep>(waiting - 1) * byte_time;
    delays_[next_] = std::max(delay, Clock::duration::zero());
    next_ = (next_ + 1) % remembered;
    in_pieces_ = std::min(in_pieces_ + 1, remembered);
}

}  // namespace quellbox::link
