#pragma once
// Leaving cleanly when the session ends or the program is told to stop: SIGTERM (log-out,
// shutdown, `kill`, systemd stopping a service), SIGINT (Ctrl+C in a terminal) and SIGHUP (the
// terminal went away) reach the program's loop as events, so it ends as by its own way out and
// its objects are destroyed in order: a serial port is closed and its lock file removed, a
// bridge says goodbye, a published port link is taken back.
//
// The handler only writes the signal's number into a pipe; the loop watches the pipe's read
// end, so no work ever happens inside a signal handler. A signal the program was started with
// ignored (nohup, a shell's background job) stays ignored.

#include <QCoreApplication>
#include <QObject>
#include <functional>

class QSocketNotifier;

namespace quellbox::runtime {

// Installs the handlers for the rest of the process and returns the descriptor that turns
// readable once one of the signals came (one byte per signal, its number), for a program with
// a poll loop of its own. -1 when the pipe could not be made (the signals then act as before).
// Later calls return the same descriptor.
int quit_signal_descriptor();

// The same on a Qt event loop: while this object lives, each signal that comes is handed to
// `on_signal` with its number. Where the handlers cannot be set up it does nothing.
class QuitSignals final : public QObject {
  public:
    explicit QuitSignals(std::function<void(int signal_number)> on_signal,
                         QObject* parent = nullptr);

  private:
    QSocketNotifier* notifier_ = nullptr;
    std::function<void(int)> on_signal_;
};

// The common case: a signal makes `app` quit. Call once, after creating the application.
void quit_on_signals(QCoreApplication& app);

// For a program that took a signal as an event and cleaned up: ends the process as the signal
// would have ended it (the shell then sees "killed by SIGINT", the convention for interrupts).
[[noreturn]] void die_of(int signal_number);

}  // namespace quellbox::runtime
