#include "session/session_clock.h"

namespace quellbox::session {

namespace {

class SteadyClock final : public SessionClock {
  public:
    SessionTime now() const override { return std::chrono::steady_clock::now(); }
};

}  // namespace

const SessionClock& steady_session_clock() {
    static const SteadyClock clock;
    return clock;
}

}  // namespace quellbox::session
