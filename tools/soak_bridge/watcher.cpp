#include "watcher.h"

#include <chrono>

#include "tools/process_lines.h"
#include "tools/time_units.h"

namespace quellbox::soak_bridge {

namespace {

std::int64_t wall_us() {
    return std::chrono::duration_cast<std::chrono::microseconds>(
               std::chrono::system_clock::now().time_since_epoch())
        .count();
}

}  // namespace

Watcher::Watcher(int broker_port, const QString& prefix, Handler on_message)
    : on_message_(std::move(on_message)), wall_ahead_us_(wall_us() - tools::now_us()) {
    QObject::connect(&process_, &QProcess::readyReadStandardOutput, &process_,
                     [this] { take_output(); });
    process_.setProcessChannelMode(QProcess::ForwardedErrorChannel);
    // %U: seconds.nanoseconds of the wall clock when the message came; %r: the retain flag.
    process_.start(QStringLiteral("mosquitto_sub"),
                   {QStringLiteral("-h"), QStringLiteral("127.0.0.1"), QStringLiteral("-p"),
                    QString::number(broker_port), QStringLiteral("-q"), QStringLiteral("1"),
                    QStringLiteral("-F"), QStringLiteral("%U %r %t %p"), QStringLiteral("-t"),
                    prefix + QStringLiteral("/+/availability"), QStringLiteral("-t"),
                    prefix + QStringLiteral("/+/channel/+/state")});
}

Watcher::~Watcher() {
    process_.terminate();
    if (!process_.waitForFinished(5000)) {
        process_.kill();
        process_.waitForFinished();
    }
}

void Watcher::take_output() {
    tools::split_lines(pending_, process_.readAllStandardOutput(), [this](const QByteArray& line) {
        const QList<QByteArray> words = line.split(' ');
        if (words.size() < 4) return;
        const QList<QByteArray> stamp = words[0].split('.');
        Seen seen;
        const std::int64_t wall = stamp.value(0).toLongLong() * 1'000'000 +
                                  stamp.value(1).left(6).leftJustified(6, '0').toLongLong();
        seen.at_us = wall - wall_ahead_us_;
        seen.retained = words[1] == "1";
        seen.topic = QString::fromUtf8(words[2]);
        seen.payload =
            QString::fromUtf8(line.mid(words[0].size() + words[1].size() + words[2].size() + 3));
        on_message_(seen);
    });
}

}  // namespace quellbox::soak_bridge
