#pragma once
// Where the bench's measured processes run. Left to the scheduler, a process and its board
// land on the same core or on two and wander between them, and on a virtual machine that alone
// made one program use twice the CPU of another doing nearly the same beside it in one
// ten-second stretch and half of it in the next. On one core the programs compared side by side
// share the same conditions.

#include <QtGlobal>
#include <optional>

namespace quellbox::bench {

// Confines this process, and every process it starts from now on, to the last core it may
// use; that core, or nothing when it cannot be done.
std::optional<int> pin_to_one_core();

// Moves process `pid` off `core`, when any other core is allowed.
void keep_off_core(qint64 pid, int core);

// While it lives, the calling thread runs off `core` (when one is given and another core is
// allowed), so that the bench's own reading and waiting do not hold up the processes it
// measures there; processes it starts meanwhile run off that core too.
class AwayFromCore {
  public:
    explicit AwayFromCore(std::optional<int> core);
    ~AwayFromCore();
    AwayFromCore(const AwayFromCore&) = delete;
    AwayFromCore& operator=(const AwayFromCore&) = delete;

  private:
    std::optional<int> core_;
};

}  // namespace quellbox::bench
