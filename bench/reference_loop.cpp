#include "reference_loop.h"

#include "frame_text.h"
#include "link/frames.h"
#include "processes.h"

namespace quellbox::bench {

using namespace std::chrono_literals;

ReferenceLoop::ReferenceLoop(LoopKind kind, const QString& board_sim, bool paced,
                             std::chrono::nanoseconds period,
                             const QProcessEnvironment& environment)
    : board_log_(runtime_.path() + QStringLiteral("/board.log")) {
    board_ = std::make_unique<tools::BoardProcess>(
        board_launch(board_sim, runtime_.path(), QStringLiteral("board.log"), paced));
    if (!board_->wait_ready(10s)) return;
    const QString device = board_device(board_log_);
    loop_.setProcessChannelMode(QProcess::ForwardedChannels);
    loop_.setProcessEnvironment(environment);
    const QString period_ns = QString::number(period.count());
    if (kind == LoopKind::c_loop) {
        loop_.start(QStringLiteral(QUELLBOX_BENCH_C_LOOP), {device, period_ns});
    } else if (kind == LoopKind::qt_floor) {
        loop_.start(QStringLiteral(QUELLBOX_BENCH_QT_FLOOR), {device, period_ns});
    } else {
        link::Frame query{};
        link::build_command_frame(query, 1, link::cmd_status_query, 0x00, 0x00);
        // Debian's interpreter, which has Debian's pyserial (python3-serial).
        loop_.start(QStringLiteral("/usr/bin/python3"),
                    {QStringLiteral(QUELLBOX_BENCH_SCRIPT_LOOP), device, hex(query), period_ns});
    }
    loop_.waitForStarted();
}

ReferenceLoop::~ReferenceLoop() {
    stop();
}

bool ReferenceLoop::running() const {
    return loop_.state() == QProcess::Running;
}

void ReferenceLoop::stop() {
    if (loop_.state() != QProcess::NotRunning) {
        loop_.terminate();
        if (!loop_.waitForFinished(5000)) {
            loop_.kill();
            loop_.waitForFinished();
        }
    }
    if (board_) board_->stop();
}

}  // namespace quellbox::bench
