#pragma once
// SIGINT and SIGTERM as events of the Qt event loop: they are blocked before anything else
// runs and read from a signalfd that a QSocketNotifier watches, so no work ever happens inside
// a signal handler. Where there is no signalfd the signals keep their default action.

#include <QObject>
#include <functional>
#include <memory>

class QSocketNotifier;

namespace quellbox::ctl {

// Call first in main(), before any thread can start, so every thread inherits the mask.
void block_stop_signals();

// Lets a signal that was taken as an event end the process as the signal would have, after the
// program cleaned up (the shell then sees "killed by SIGINT", the convention for interrupts).
[[noreturn]] void die_of(int signal_number);

class StopSignals {
  public:
    explicit StopSignals(std::function<void(int signal_number)> on_signal);
    ~StopSignals();
    StopSignals(const StopSignals&) = delete;
    StopSignals& operator=(const StopSignals&) = delete;

  private:
    int fd_ = -1;
    std::unique_ptr<QSocketNotifier> notifier_;
    std::function<void(int)> on_signal_;
};

}  // namespace quellbox::ctl
