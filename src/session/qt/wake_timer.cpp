#include "session/wake_timer.h"

#include "link/poll_rules.h"

namespace quellbox::session {

WakeTimer::WakeTimer(PollSession& session)
    : timer_(std::chrono::milliseconds(link::poll_interval_ms), nullptr) {
    QObject::connect(&timer_, &link::PreciseTicker::timeout, &timer_,
                     [&session] { session.run(); });
}

}  // namespace quellbox::session
