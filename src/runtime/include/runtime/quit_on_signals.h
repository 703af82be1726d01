#pragma once
// Leaving cleanly when the session ends or the program is told to stop: SIGTERM (log-out,
// shutdown, `kill`, systemd stopping a service), SIGINT (Ctrl+C in a terminal) and SIGHUP (the
// terminal went away) end the program's loop as its own way out does, so its objects are
// destroyed in order: a serial port is closed and its lock file removed, a bridge says goodbye,
// a published port link is taken back.
//
// The handler only writes a byte into a pipe; the loop watches the pipe's read end. A signal
// the program was started with ignored (nohup, a shell's background job) stays ignored.

#include <QCoreApplication>

namespace quellbox::runtime {

// Installs the handlers for the rest of the process and returns the descriptor that turns
// readable once one of the signals came, for a program with a poll loop of its own. -1 when the
// pipe could not be made (the signals then act as before). Later calls return the same
// descriptor.
int quit_signal_descriptor();

// The same, for a Qt event loop: a signal makes `app` quit. Where the handlers cannot be set up
// the program runs as before. Call once, after creating the application.
void quit_on_signals(QCoreApplication& app);

}  // namespace quellbox::runtime
