#pragma once
// Waiting on the Qt event loop for the programs that drive the window from outside (tests, the
// soak, the benchmark). The loop blocks in poll() while it waits; nothing spins.

#include <chrono>
#include <functional>

namespace quellbox::tools {

// Runs the event loop until `done` holds or `timeout` has passed; answers `done()` at the end.
bool wait_until(const std::function<bool()>& done, std::chrono::milliseconds timeout);

// Runs the event loop for `period`.
void run_events_for(std::chrono::milliseconds period);

}  // namespace quellbox::tools
