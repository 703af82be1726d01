#pragma once
// Shared by the end-to-end tests: a private runtime folder per test process, bounded waits that
// keep the Qt event loop running, a bare pty pair, and the virtual board as a child process.

#include <QProcessEnvironment>
#include <QString>
#include <QStringList>
#include <chrono>
#include <cstdint>
#include <functional>
#include <string>
#include <vector>

#include "tools/board_process.h"
#include "tools/event_waits.h"

namespace quellbox::e2e {

using namespace std::chrono_literals;
using Bytes = std::vector<std::uint8_t>;

// Generous: these bound a wait for an event, they do not measure anything.
inline constexpr std::chrono::milliseconds patience = 10s;

// Points XDG_RUNTIME_DIR at a fresh 0700 temp folder (removed at exit) and selects the
// offscreen platform. Call first thing in main(), before any Qt object exists.
void prepare_test_process();

// The link folder the tool reads, created on demand.
QString ports_folder();
// Makes <ports folder>/com<number> lead to `target`, replacing what was there.
void link_port(int number, const QString& target);

// Runs the event loop (blocking in poll, not spinning) until `done` holds or `timeout` passes.
inline bool wait_until(const std::function<bool()>& done,
                       std::chrono::milliseconds timeout = patience) {
    return tools::wait_until(done, timeout);
}
// Runs the event loop for a grace period, for checks that something does NOT happen.
inline void settle(std::chrono::milliseconds period) {
    tools::run_events_for(period);
}

// How a program run to its end went: exit status (-1 when it crashed or was killed), stdout
// and stderr.
struct ProgramOutcome {
    int status = -1;
    QString out;
    QString err;
};
// Runs `program` to its end (within patience), keeping the event loop running meanwhile (a port
// the test holds may need it). The test's own environment unless one is given.
ProgramOutcome run_program(
    const QString& program, const QStringList& arguments,
    const QProcessEnvironment& environment = QProcessEnvironment::systemEnvironment());

// A pseudo-terminal whose master side the test plays. Raw mode on both sides, and a slave
// descriptor of its own so the master never sees a hang-up before hang_up() is called.
class PtyPair {
  public:
    PtyPair();
    ~PtyPair();
    PtyPair(const PtyPair&) = delete;
    PtyPair& operator=(const PtyPair&) = delete;

    const QString& slave_path() const { return slave_path_; }
    void write(const Bytes& bytes);
    // Reads from the master until `count` bytes came (or patience ran out), keeping the Qt
    // event loop running so the tool's writes go out.
    Bytes read(std::size_t count);
    // Bytes that reached the tool's side of the line but that nobody has read yet.
    std::size_t unread() const;
    // Waits, WITHOUT running the event loop, until at least `count` bytes are unread: they
    // are in the driver, and Qt cannot have seen them.
    bool wait_unread(std::size_t count) const;
    // Runs the event loop until Qt has taken every unread byte into its own buffer.
    bool wait_taken() const;
    // Closes both our descriptors: the tool's side sees the line hang up.
    void hang_up();

  private:
    int master_ = -1;
    int slave_ = -1;
    QString slave_path_;
};

// quellbox-board-sim as a child process, ready when constructed; its lines are kept as they come.
class BoardSim {
  public:
    explicit BoardSim(const QStringList& arguments);

    const QString& slave_path() const { return process_.slave_path(); }
    // True once `count` lines starting with `prefix` have been printed (waits for them).
    bool wait_for_line(const QString& prefix, int count = 1);
    int count_lines(const QString& prefix) const;
    QStringList lines() const { return lines_; }

  private:
    QStringList lines_;
    tools::BoardProcess process_;  // after lines_: its handler writes there
};

}  // namespace quellbox::e2e
