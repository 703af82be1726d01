#include "processes.h"

#include <signal.h>
#include <stdlib.h>

#include <QDir>
#include <QFile>
#include <QThread>
#include <stdexcept>

namespace quellbox::bench {

PrivateRuntimeDir::PrivateRuntimeDir() {
    QByteArray pattern = QDir::tempPath().toLocal8Bit() + "/quellbox-bench-XXXXXX";
    if (::mkdtemp(pattern.data()) == nullptr) {  // mkdtemp creates it 0700
        throw std::runtime_error("cannot create a private runtime folder");
    }
    path_ = QString::fromLocal8Bit(pattern);
}

PrivateRuntimeDir::~PrivateRuntimeDir() {
    QDir(path_).removeRecursively();
}

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

BoardSimProcess::BoardSimProcess(const QString& program, const QString& runtime_dir,
                                 const QString& log_path)
    : log_path_(log_path) {
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert(QStringLiteral("XDG_RUNTIME_DIR"), runtime_dir);
    process_.setProcessEnvironment(env);
    process_.setStandardOutputFile(log_path);
    process_.setProcessChannelMode(QProcess::ForwardedErrorChannel);
    process_.start(program, {QStringLiteral("--paced"), QStringLiteral("--timestamps")});
    if (!process_.waitForStarted()) {
        throw std::runtime_error("cannot start " + program.toStdString());
    }
}

BoardSimProcess::~BoardSimProcess() {
    stop();
}

bool BoardSimProcess::wait_ready(std::chrono::milliseconds timeout) {
    const auto deadline = std::chrono::steady_clock::now() + timeout;
    while (std::chrono::steady_clock::now() < deadline) {
        for (const SimLine& line : read_sim_log(log_path_)) {
            if (line.kind == QLatin1String("ready")) return true;
        }
        if (process_.state() == QProcess::NotRunning) return false;
        QThread::msleep(10);
    }
    return false;
}

void BoardSimProcess::stop() {
    if (process_.state() == QProcess::NotRunning) return;
    process_.terminate();
    if (!process_.waitForFinished(5000)) {
        process_.kill();
        process_.waitForFinished(5000);
    }
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
