#pragma once
// The poll session's wake-up wishes on the suite's precise timer: arm() it from the session's
// `wake` event, and it calls the session's run() when the time has come, to well under a
// millisecond (the session keeps its 50 ms grid by the times it asks for).

#include "link/precise_ticker.h"
#include "session/poll_session.h"

namespace quellbox::session {

class WakeTimer {
  public:
    explicit WakeTimer(PollSession& session);

    // Replaces the armed time.
    void arm(SessionTime at) { timer_.fire_at(at); }
    void stop() { timer_.stop(); }

  private:
    link::PreciseTicker timer_;
};

}  // namespace quellbox::session
