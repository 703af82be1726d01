#pragma once
// The serial line the bridge owns: the port (resolved by number, like the window does), the
// poll session woken by a single-shot timer whenever it asks while the port is open, and
// reopening with backoff when the port cannot be opened or goes away. While the port is closed
// nothing wakes, so a missing device costs one open attempt per pause and no busy loop.

#include <QObject>
#include <QString>
#include <QTimer>
#include <chrono>
#include <cstdint>
#include <functional>
#include <vector>

#include "link/qt_serial_port.h"
#include "session/poll_session.h"
#include "session/wake_timer.h"

namespace quellbox::mqtt {

struct LineEvents {
    // The board at `address` reported its relays.
    std::function<void(std::uint8_t address, link::RelayMap relays)> status;
    // The board at `address` stopped answering (six of its ticks without a good frame).
    std::function<void(std::uint8_t address)> silent;
    // The port closed (device gone) or could not be opened: no board is known any more.
    std::function<void()> closed;
    // A frame went out to `address` (for --verbose logs; may be empty).
    std::function<void(std::uint8_t address, const link::Frame& frame)> sent;
    // Answers not given to the board polled at `dropped.board` (rate-limited by the session).
    std::function<void(const session::DroppedAnswers& dropped)> dropped;
};

class SerialLine final : public QObject {
  public:
    SerialLine(int port_number, std::vector<std::uint8_t> addresses, LineEvents events);

    // First open attempt; from here on the line keeps itself open as well as it can.
    void start();
    void stop();

    session::PollSession& session() { return session_; }

  private:
    void try_open();
    void on_lost(const std::string& device, const std::string& reason);
    void retry_later(const QString& why);

    int port_number_;
    LineEvents events_;
    link::QtSerialPort port_;
    session::PollSession session_;
    session::WakeTimer wake_;
    QTimer reopen_;
    std::chrono::milliseconds backoff_;
    QString last_failure_;  // logged once until something changes
};

}  // namespace quellbox::mqtt
