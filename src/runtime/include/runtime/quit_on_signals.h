#pragma once
// Leaving cleanly when the session ends or the program is killed: SIGTERM (log-out, shutdown,
// `kill`), SIGINT (Ctrl+C in a terminal) and SIGHUP (the terminal went away) make the event loop
// return, as closing the window does, so the program's objects are destroyed in order: a serial
// port is closed and its lock file removed, instead of being left for the next user to trip on.
//
// The handler only writes a byte into a pipe; the quit happens on the event loop, where the
// pipe's read end is watched. A signal the program was started with ignored (nohup) stays
// ignored.

#include <QCoreApplication>

namespace quellbox::runtime {

// Installs the handlers for the application's lifetime. Call once, after creating it. False
// when the pipe or a handler could not be set up (the program then runs as before).
bool quit_on_signals(QCoreApplication& app);

}  // namespace quellbox::runtime
