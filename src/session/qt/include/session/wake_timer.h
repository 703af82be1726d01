#pragma once
// A single-shot timer for the poll session's wake-up wishes: arm() it from the session's `wake`
// event, and it calls the session's run() when the time has come.

#include <QTimer>

#include "session/poll_session.h"

namespace quellbox::session {

class WakeTimer {
  public:
    explicit WakeTimer(PollSession& session);

    // Replaces the armed time. Rounded up to whole milliseconds (Qt's timers count those):
    // waking early would find nothing due and ask again at once.
    void arm(SessionTime at);
    void stop() { timer_.stop(); }

  private:
    QTimer timer_;
};

}  // namespace quellbox::session
