#pragma once
// One board on one serial line: the Qt serial port (named by port number or by path), the
// headless poll session on it, and the timer that wakes the session when it asks.

#include <QObject>
#include <QString>
#include <cstdint>
#include <optional>

#include "link/qt_serial_port.h"
#include "session/poll_session.h"
#include "session/wake_timer.h"

namespace quellbox::ctl {

struct BoardTarget {
    std::optional<int> port;  // a port number, resolved as the window resolves it
    QString device;           // or a path opened as it is
    std::uint8_t address = 1;
};

class BoardLine {
  public:
    BoardLine(const BoardTarget& target, session::SessionEvents events);

    // Opens the port. On failure nothing is written and the reason comes back in plain words,
    // naming the device and what to do.
    std::optional<QString> open();
    void close();

    // The first frame goes out now, not a tick later: a status read is then one round trip;
    // commands follow each other as soon as the line is idle.
    void start_polling();
    void stop_polling();

    session::PollSession& session() { return session_; }
    std::uint8_t address() const { return target_.address; }
    // The device as the port reported it at the last open ("/dev/pts/3 (virtual board, com1)").
    const QString& device() const { return device_; }

  private:
    session::SessionEvents with_line_hooks(session::SessionEvents events);

    BoardTarget target_;
    link::QtSerialPort port_;
    session::PollSession session_;
    session::WakeTimer wake_;
    QString device_;
};

}  // namespace quellbox::ctl
