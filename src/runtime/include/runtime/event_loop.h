#pragma once
// Which event loop the programs of the suite run on. On Linux and the BSDs Qt runs on GLib's
// main loop when it can, for programs that mix in GLib-based libraries; none of ours does, and
// GLib's loop costs on every wake-up (prepare, query, poll, check and dispatch over all of Qt's
// sources). A window polling a board wakes twice per poll tick all day, so whatever a wake-up
// costs on top of the program's own work is paid all day too. Other platforms have one loop
// only; there the call changes nothing.

namespace quellbox::runtime {

// Call before creating the application object. An environment that already says which loop to
// use (QT_NO_GLIB set, whatever its value) is left as it is.
void use_qt_event_loop();

}  // namespace quellbox::runtime
