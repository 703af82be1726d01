#pragma once
// quellbox-board-sim as a child process, for the programs and tests that drive the window or
// the link against it. Its report lines either come to a handler as they are printed (the event
// loop must run), or go to a file that nobody reads while something is being measured.

#include <QByteArray>
#include <QProcess>
#include <QString>
#include <QStringList>
#include <chrono>
#include <functional>

namespace quellbox::tools {

struct BoardLaunch {
    QString program;
    QStringList arguments;
    QString runtime_dir;  // the board's XDG_RUNTIME_DIR; empty: this process's own
    QString log_path;     // set: the report lines go to this file instead of a handler
};

class BoardProcess {
  public:
    using LineHandler = std::function<void(const QString& line)>;

    // Starts the board; throws std::runtime_error when it cannot be started at all.
    explicit BoardProcess(const BoardLaunch& launch, LineHandler on_line = {});
    ~BoardProcess();  // stop()
    BoardProcess(const BoardProcess&) = delete;
    BoardProcess& operator=(const BoardProcess&) = delete;

    // Waits until the board has printed its "ready" line; false when it ended or time ran out.
    // With a handler the event loop runs meanwhile; with a log file it does not.
    bool wait_ready(std::chrono::milliseconds timeout);
    bool ready() const { return ready_; }
    // The pty the board plays ("ready com<n> <slave>"); empty for a board logging to a file.
    const QString& slave_path() const { return slave_path_; }
    // Ended on its own (or by a signal this side did not send).
    bool died() const { return died_; }
    qint64 pid() const { return process_.processId(); }
    // SIGTERM, wait (SIGKILL if it hangs), and hand on every line it printed before it went.
    void stop();

  private:
    void take_output();
    void take_line(const QString& line);
    bool log_says_ready() const;

    QProcess process_;
    QString log_path_;
    LineHandler on_line_;
    QByteArray pending_;
    QString slave_path_;
    bool ready_ = false;
    bool stopping_ = false;
    bool died_ = false;
};

}  // namespace quellbox::tools
