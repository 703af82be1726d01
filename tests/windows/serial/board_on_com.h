#pragma once
// What a test under wine knows of the virtual board that with_boards.sh put on a COM port: the
// port's number and the board's report lines (rx, tx, echo, hangup...), read as they come.

#include <chrono>
#include <functional>
#include <string>
#include <vector>

#include "link/handle_loop.h"

namespace quellbox::link::win::testing {

class BoardOnCom {
  public:
    // From the harness's environment; fails the test when it is missing.
    BoardOnCom();

    int com() const { return com_; }
    // Every report line so far.
    std::vector<std::string> lines() const;
    // The lines that start with `prefix`, each without it.
    std::vector<std::string> lines_after(const std::string& prefix) const;

  private:
    int com_ = 0;
    std::string log_;  // the report's path as this Windows program names it
};

// Runs `loop` until `done()` holds (checked every few milliseconds on the loop's thread) or
// `limit` passed; true when done() held.
bool run_until(HandleLoop& loop, const std::function<bool()>& done,
               std::chrono::milliseconds limit = std::chrono::seconds(10));

// Runs `loop` for `span`, whatever happens in it.
void run_for(HandleLoop& loop, std::chrono::milliseconds span);

}  // namespace quellbox::link::win::testing
