#include "tools/board_process.h"

#include <QFile>
#include <stdexcept>

#include "tools/event_waits.h"
#include "tools/process_lines.h"

namespace quellbox::tools {

namespace {

// "ready com<n> <slave>", with or without the time stamp that --timestamps puts first.
QString slave_of_ready_line(const QString& line) {
    const QStringList words = line.split(QLatin1Char(' '), Qt::SkipEmptyParts);
    const qsizetype at = words.indexOf(QStringLiteral("ready"));
    if (at < 0 || at > 1) return {};
    return words.value(at + 2, QStringLiteral("?"));
}

}  // namespace

BoardProcess::BoardProcess(const BoardLaunch& launch, LineHandler on_line)
    : log_path_(launch.log_path), on_line_(std::move(on_line)) {
    if (!launch.runtime_dir.isEmpty()) {
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        env.insert(QStringLiteral("XDG_RUNTIME_DIR"), launch.runtime_dir);
        process_.setProcessEnvironment(env);
    }
    if (log_path_.isEmpty()) {
        QObject::connect(&process_, &QProcess::readyReadStandardOutput, &process_,
                         [this] { take_output(); });
    } else {
        process_.setStandardOutputFile(log_path_);
    }
    QObject::connect(&process_, &QProcess::finished, &process_, [this] {
        if (!stopping_) died_ = true;
    });
    process_.setProcessChannelMode(QProcess::ForwardedErrorChannel);
    process_.start(launch.program, launch.arguments);
    if (!process_.waitForStarted()) {
        throw std::runtime_error("cannot start the virtual board " + launch.program.toStdString() +
                                 ": " + process_.errorString().toStdString());
    }
}

BoardProcess::~BoardProcess() {
    stop();
}

bool BoardProcess::wait_ready(std::chrono::milliseconds timeout) {
    if (log_path_.isEmpty()) {
        return wait_until([this] { return ready_ || died_; }, timeout) && ready_;
    }
    const auto deadline = std::chrono::steady_clock::now() + timeout;
    while (std::chrono::steady_clock::now() < deadline) {
        if (log_says_ready()) return ready_ = true;
        if (process_.waitForFinished(10)) return false;
    }
    return false;
}

void BoardProcess::stop() {
    if (process_.state() != QProcess::NotRunning) {
        stopping_ = true;
        process_.terminate();
        if (!process_.waitForFinished(10'000)) {
            process_.kill();
            process_.waitForFinished(5000);
        }
    }
    if (log_path_.isEmpty()) take_output();
}

void BoardProcess::take_output() {
    split_lines(pending_, process_.readAllStandardOutput(),
                [this](const QByteArray& line) { take_line(QString::fromLatin1(line)); });
}

void BoardProcess::take_line(const QString& line) {
    if (!ready_) {
        const QString slave = slave_of_ready_line(line);
        if (!slave.isEmpty()) {
            slave_path_ = slave;
            ready_ = true;
        }
    }
    if (on_line_) on_line_(line);
}

bool BoardProcess::log_says_ready() const {
    QFile file(log_path_);
    if (!file.open(QIODevice::ReadOnly)) return false;
    while (!file.atEnd()) {
        if (!slave_of_ready_line(QString::fromLatin1(file.readLine()).trimmed()).isEmpty()) {
            return true;
        }
    }
    return false;
}

}  // namespace quellbox::tools
