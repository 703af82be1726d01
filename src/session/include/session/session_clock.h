#pragma once
// Where the poll session reads the time: the steady clock in the programs, a hand-set clock in
// tests. The session judges answers by when they came relative to its own writes, so it needs
// a clock of its own without pulling in a toolkit.

#include <chrono>

namespace quellbox::session {

using SessionTime = std::chrono::steady_clock::time_point;

class SessionClock {
  public:
    virtual ~SessionClock() = default;
    virtual SessionTime now() const = 0;
};

// The monotonic clock the programs run on.
const SessionClock& steady_session_clock();

}  // namespace quellbox::session
