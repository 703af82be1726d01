#pragma once
// One serial line of a companion program (quellboxctl, the MQTT bridge) and the boards on it:
// the Qt serial port, named by a port number (resolved as the window resolves it) or by a
// device path; the headless poll session on it; the precise timer that wakes the session when
// it asks (its 50 ms poll grid, and a command as soon as the line is idle); the plain-words
// notice when the port will not open; and, for a program that keeps its line, reopening with
// growing pauses after a failed open or a loss. While the port is closed nothing wakes, so a
// missing device costs one open attempt per pause and no busy loop.

#include <QObject>
#include <QString>
#include <chrono>
#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <vector>

#include "link/qt_serial_port.h"
#include "runtime/growing_pause.h"
#include "session/poll_session.h"
#include "session/wake_timer.h"

namespace quellbox::session {

// Where the boards are: a port number or a device path (a path wins when both are given).
struct LineTarget {
    std::optional<int> port;
    QString device;
};

class SerialLine final : public QObject {
  public:
    // For a line that reopens itself (keep_open); each may be empty.
    struct ReopenEvents {
        // The port opened and polling started; `device` as the port names it.
        std::function<void(const QString& device)> opened;
        // An attempt failed, in plain words (see open()). Told once until the words change or
        // the line was open in between, not at every attempt.
        std::function<void(const QString& notice)> open_failed;
    };

    // The session's `lost` event comes after the line stopped polling (and, when it keeps
    // itself open, after the reopening was planned).
    SerialLine(LineTarget target, std::vector<std::uint8_t> addresses, SessionEvents events);
    ~SerialLine() override;

    // One attempt to open the port. On failure nothing is written and the reason comes back
    // in plain words, naming the device, the cause and what to do.
    std::optional<QString> open();
    // Stops polling and reopening, closes the port.
    void close();

    // The first frame goes out now, not a tick later: a status read is then one round trip;
    // commands follow each other as soon as the line is idle.
    void start_polling();
    void stop_polling();

    // From here on the line keeps itself open: an attempt now and, after a failure or a loss,
    // again after pauses growing from `first` to `longest`; each open starts polling.
    void keep_open(std::chrono::milliseconds first, std::chrono::milliseconds longest,
                   ReopenEvents events);

    PollSession& session() { return session_; }
    // "port 3", or the device path as given.
    QString name() const;
    // The device as the port reported it at the last open ("/dev/pts/3 (virtual board, com1)").
    const QString& device() const { return device_; }

  private:
    QString open_failure(const link::OpenResult& result) const;
    void attempt();
    void on_lost();

    LineTarget target_;
    link::QtSerialPort port_;
    SessionEvents owner_events_;
    PollSession session_;
    WakeTimer wake_;
    QString device_;
    std::unique_ptr<runtime::GrowingPause> reopening_;  // while the line keeps itself open
    ReopenEvents reopen_events_;
    QString told_;  // the failure told last, until the line opens or is lost
};

}  // namespace quellbox::session
