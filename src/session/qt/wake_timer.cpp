#include "session/wake_timer.h"

#include <chrono>

namespace quellbox::session {

WakeTimer::WakeTimer(PollSession& session) {
    timer_.setSingleShot(true);
    timer_.setTimerType(Qt::PreciseTimer);
    QObject::connect(&timer_, &QTimer::timeout, &timer_, [&session] { session.run(); });
}

void WakeTimer::arm(SessionTime at) {
    const auto left = at - std::chrono::steady_clock::now();
    const auto ms = std::chrono::ceil<std::chrono::milliseconds>(left).count();
    timer_.start(static_cast<int>(std::max<decltype(ms)>(ms, 0)));
}

}  // namespace quellbox::session
