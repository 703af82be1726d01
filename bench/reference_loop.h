#pragma once
// The programs the window is measured against, each polling a virtual board of its own at
// 20 Hz in the same run: a plain pyserial script (what an operator might write instead of
// using the window), a minimal C loop (the floor: nothing but the system calls the job needs)
// and an empty Qt window woken as the window is (the toolkit's floor, see qt_floor_loop.cpp).

#include <QProcess>
#include <QString>
#include <chrono>
#include <memory>

#include "tools/board_process.h"
#include "tools/private_runtime_dir.h"

namespace quellbox::bench {

enum class LoopKind { script, c_loop, qt_floor };

class ReferenceLoop {
  public:
    // `paced` as for the window's board in the same column; `period` between polls (see
    // loop_period.h); `environment` for the loop (the Qt floor's platform and display).
    ReferenceLoop(
        LoopKind kind, const QString& board_sim, bool paced, std::chrono::nanoseconds period,
        const QProcessEnvironment& environment = QProcessEnvironment::systemEnvironment());
    ~ReferenceLoop();
    ReferenceLoop(const ReferenceLoop&) = delete;
    ReferenceLoop& operator=(const ReferenceLoop&) = delete;

    // False when the board or the loop did not start (the column then reports the loop as -).
    bool running() const;
    qint64 pid() const { return loop_.processId(); }
    const QString& board_log() const { return board_log_; }
    // Ends the loop (SIGTERM by its process id), then its board, so the log is complete.
    void stop();

  private:
    tools::PrivateRuntimeDir runtime_{QStringLiteral("quellbox-bench-loop")};
    QString board_log_;
    std::unique_ptr<tools::BoardProcess> board_;
    QProcess loop_;
};

}  // namespace quellbox::bench
