#include "processes.h"

#include <sched.h>

#include <QFile>
#include <cstdio>
#include <cstdlib>

#include "link/frames.h"
#include "tools/hex.h"

namespace quellbox::bench {

using namespace std::chrono_literals;

void die(const std::string& message, int code) {
    std::fprintf(stderr, "quellbox-bench: %s\n", message.c_str());
    std::exit(code);
}

std::vector<SimLine> read_sim_log(const QString& path) {
    std::vector<SimLine> lines;
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly)) return lines;
    while (!file.atEnd()) {
        const QString line = QString::fromLatin1(file.readLine()).trimmed();
        bool ok = false;
        const std::int64_t t = line.section(QLatin1Char(' '), 0, 0).toLongLong(&ok);
        if (!ok) continue;  // no time stamp
        lines.push_back(
            {t, line.section(QLatin1Char(' '), 1, 1), line.section(QLatin1Char(' '), 2)});
    }
    return lines;
}

std::vector<double> frames_at_board(const std::vector<SimLine>& board, double from_us,
                                    double to_us) {
    std::vector<double> times;
    for (const SimLine& line : board) {
        const auto t = static_cast<double>(line.t_us);
        if (line.kind == QLatin1String("rx") && t >= from_us && t <= to_us) times.push_back(t);
    }
    return times;
}

tools::BoardLaunch board_launch(const QString& runtime_dir, const QString& log_name, bool paced) {
    QStringList arguments{QStringLiteral("--timestamps")};
    if (paced) arguments << QStringLiteral("--paced");
    return {QStringLiteral(QUELLBOX_BOARD_SIM), arguments, runtime_dir,
            runtime_dir + QLatin1Char('/') + log_name};
}

ReferenceLoop::ReferenceLoop(LoopKind kind, bool paced, std::chrono::nanoseconds period,
                             const QProcessEnvironment& environment)
    : board_log_(runtime_.path() + QStringLiteral("/board.log")) {
    board_ = std::make_unique<tools::BoardProcess>(
        board_launch(runtime_.path(), QStringLiteral("board.log"), paced));
    if (!board_->wait_ready(10s)) return;
    QString device;  // "ready com1 /dev/pts/3"
    for (const SimLine& line : read_sim_log(board_log_)) {
        if (line.kind == QLatin1String("ready")) device = line.rest.section(QLatin1Char(' '), 1, 1);
    }
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
        const QString frame = QString::fromStdString(tools::hex(query, tools::HexDigits::lower));
        // Debian's interpreter, which has Debian's pyserial (python3-serial).
        loop_.start(QStringLiteral("/usr/bin/python3"),
                    {QStringLiteral(QUELLBOX_BENCH_SCRIPT_LOOP), device, frame, period_ns});
    }
    loop_.waitForStarted();
}

void ReferenceLoop::stop() {
    loop_.kill();
    loop_.waitForFinished();
    if (board_) board_->stop();
}

QString start_x_server(QProcess& server) {
    // -displayfd: the server picks a free display and writes its number once it is ready.
    server.start(QStringLiteral("Xvfb"),
                 {QStringLiteral("-displayfd"), QStringLiteral("1"), QStringLiteral("-screen"),
                  QStringLiteral("0"), QStringLiteral("1280x1024x24"), QStringLiteral("-nolisten"),
                  QStringLiteral("tcp")});
    QByteArray number;
    while (!number.contains('\n') && server.waitForReadyRead(10000)) {
        number += server.readAllStandardOutput();
    }
    return number.trimmed().isEmpty() ? QString()
                                      : QStringLiteral(":") + QString::fromLatin1(number.trimmed());
}

QJsonArray load_average() {
    QFile file(QStringLiteral("/proc/loadavg"));
    QJsonArray out;
    if (!file.open(QIODevice::ReadOnly)) return out;
    const QList<QByteArray> parts = file.readAll().split(' ');
    for (qsizetype i = 0; i < parts.size() && i < 3; ++i) out.append(parts[i].toDouble());
    return out;
}

std::optional<int> pin_to_one_core() {
    cpu_set_t allowed;
    CPU_ZERO(&allowed);
    if (::sched_getaffinity(0, sizeof allowed, &allowed) != 0) return std::nullopt;
    for (int core = CPU_SETSIZE - 1; core >= 0; --core) {
        if (!CPU_ISSET(core, &allowed)) continue;
        keep_off_core(0, core, false);
        return core;
    }
    return std::nullopt;
}

void keep_off_core(qint64 pid, int core, bool off) {
    cpu_set_t set;
    CPU_ZERO(&set);
    for (int c = 0; c < CPU_SETSIZE; ++c) {
        if ((c != core) == off) CPU_SET(c, &set);
    }
    // Fails, harmlessly, when no other core exists.
    (void)::sched_setaffinity(static_cast<pid_t>(pid), sizeof set, &set);
}

}  // namespace quellbox::bench
