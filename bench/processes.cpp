#include "processes.h"

#include <signal.h>

#include <QFile>
#include <stdexcept>

namespace quellbox::bench {

std::vector<SimLine> read_sim_log(const QString& path) {
    std::vector<SimLine> lines;
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly)) return lines;
    while (!file.atEnd()) {
        const QString line = QString::fromLatin1(file.readLine()).trimmed();
        const qsizetype first = line.indexOf(' ');
        if (first <= 0) continue;
        bool ok = false;
        const std::int64_t t = line.left(first).toLongLong(&ok);
        if (!ok) continue;
        const qsizetype second = line.indexOf(' ', first + 1);
        SimLine entry;
        entry.t_us = t;
        entry.kind = second < 0 ? line.mid(first + 1) : line.mid(first + 1, second - first - 1);
        entry.rest = second < 0 ? QString() : line.mid(second + 1);
        lines.push_back(std::move(entry));
    }
    return lines;
}

tools::BoardLaunch board_launch(const QString& program, const QString& runtime_dir,
                                const QString& log_name, bool paced) {
    QStringList arguments{QStringLiteral("--timestamps")};
    if (paced) arguments << QStringLiteral("--paced");
    return {program, arguments, runtime_dir, runtime_dir + QLatin1Char('/') + log_name};
}

QString board_device(const QString& log_path) {
    // "ready com1 /dev/pts/3"
    for (const SimLine& line : read_sim_log(log_path)) {
        if (line.kind == QLatin1String("ready")) return line.rest.section(QLatin1Char(' '), 1, 1);
    }
    return {};
}

BusyLoop::BusyLoop() {
    process_.start(QStringLiteral("sh"),
                   {QStringLiteral("-c"), QStringLiteral("while :; do :; done")});
    if (!process_.waitForStarted()) throw std::runtime_error("cannot start the busy loop");
    pid_ = process_.processId();
}

BusyLoop::~BusyLoop() {
    if (pid_ > 0 && process_.state() != QProcess::NotRunning) {
        ::kill(static_cast<pid_t>(pid_), SIGKILL);
        process_.waitForFinished(5000);
    }
}

std::vector<double> load_average() {
    QFile file(QStringLiteral("/proc/loadavg"));
    std::vector<double> out;
    if (!file.open(QIODevice::ReadOnly)) return out;
    const QList<QByteArray> parts = file.readAll().split(' ');
    for (qsizetype i = 0; i < parts.size() && i < 3; ++i) out.push_back(parts[i].toDouble());
    return out;
}

}  // namespace quellbox::bench
