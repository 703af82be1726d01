#pragma once
// The commands. Each opens what it needs, runs the Qt event loop until it knows its answer, and
// returns the exit status. None nests an event loop.

#include "request.h"
#include "session/poll_session.h"
#include "session/serial_line.h"

namespace quellbox::ctl {

int run_status(const Request& request);
int run_switch(const Request& request);
int run_watch(const Request& request);
int run_ports(const Request& request);

// Shared by the commands.
session::LineTarget target_of(const Request& request);
// Ends the event loop with `status` once control is back in it (also before it started).
void finish(int status);
// With --verbose every frame written and every status frame accepted goes to stderr.
void trace_frames(session::SessionEvents& events, bool verbose);
// Answers the session did not give to the board (late, from another board, or two for one
// poll): told on stderr, at most once a minute.
void tell_dropped_answers(session::SessionEvents& events);
// Opens the line; when it cannot, says why on stderr and gives false.
bool open_or_complain(session::SerialLine& line);
// "board 1 on /dev/pts/3 (virtual board, com1)"
QString board_name(const Request& request, const session::SerialLine& line);

}  // namespace quellbox::ctl
