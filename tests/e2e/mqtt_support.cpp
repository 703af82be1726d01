#include "mqtt_support.h"

#include <algorithm>
#include <cstdio>
#include <stdexcept>

#include "tools/process_lines.h"

namespace quellbox::e2e {

namespace {

QStringList client_arguments(const Broker& broker) {
    QStringList args{QStringLiteral("-h"), QStringLiteral("127.0.0.1"),
                     QStringLiteral("-p"), QString::number(broker.port()),
                     QStringLiteral("-q"), QStringLiteral("1")};
    if (broker.login()) {
        args << QStringLiteral("-u") << broker.login()->user << QStringLiteral("-P")
             << broker.login()->password;
    }
    return args;
}

void stop_process(QProcess& process) {
    if (process.state() == QProcess::NotRunning) return;
    process.terminate();
    if (!process.waitForFinished(static_cast<int>(patience.count()))) {
        process.kill();
        process.waitForFinished();
    }
}

}  // namespace

Watcher::Watcher(const Broker& broker, const QString& filter) {
    QObject::connect(&process_, &QProcess::readyReadStandardOutput, &process_, [this] {
        tools::split_lines(
            pending_, process_.readAllStandardOutput(), [this](const QByteArray& line) {
                // "%r %t %p": retained flag, topic, payload (which may hold blanks).
                const QString text = QString::fromUtf8(line);
                messages_.append(Message{text.section(' ', 0, 0) == QLatin1String("1"),
                                         text.section(' ', 1, 1), text.section(' ', 2)});
            });
    });
    process_.setProcessChannelMode(QProcess::ForwardedErrorChannel);
    process_.start(QStringLiteral("mosquitto_sub"),
                   client_arguments(broker) << QStringLiteral("-t") << filter
                                            << QStringLiteral("-F") << QStringLiteral("%r %t %p"));
    if (!process_.waitForStarted()) throw std::runtime_error("mosquitto_sub did not start");
}

Watcher::~Watcher() {
    stop_process(process_);
}

std::optional<QString> Watcher::last(const QString& topic) const {
    for (auto it = messages_.rbegin(); it != messages_.rend(); ++it) {
        if (it->topic == topic) return it->payload;
    }
    return std::nullopt;
}

bool Watcher::wait_for(const QString& topic, const QString& payload) {
    return wait_until([&] { return last(topic) == payload; });
}

bool Watcher::wait_for_count(const QString& prefix, int count) {
    return wait_until([&] {
        return std::count_if(messages_.begin(), messages_.end(),
                             [&](const Message& m) { return m.topic.startsWith(prefix); }) >= count;
    });
}

int Watcher::count(const QString& topic, const QString& payload) const {
    return static_cast<int>(
        std::count_if(messages_.begin(), messages_.end(),
                      [&](const Message& m) { return m.topic == topic && m.payload == payload; }));
}

void publish(const Broker& broker, const QString& topic, const QByteArray& payload, bool retained) {
    QProcess client;
    client.setProcessChannelMode(QProcess::ForwardedChannels);
    QStringList args = client_arguments(broker)
                       << QStringLiteral("-t") << topic << QStringLiteral("-m")
                       << QString::fromUtf8(payload);
    if (retained) args << QStringLiteral("-r");
    client.start(QStringLiteral("mosquitto_pub"), args);
    if (!client.waitForFinished(static_cast<int>(patience.count())) || client.exitCode() != 0) {
        throw std::runtime_error("mosquitto_pub failed");
    }
}

BridgeRun::BridgeRun(const QStringList& arguments, const QStringList& extra_environment) {
    QObject::connect(&process_, &QProcess::readyReadStandardError, &process_, [this] {
        tools::split_lines(pending_, process_.readAllStandardError(),
                           [this](const QByteArray& line) {
                               std::fprintf(stderr, "[bridge] %s\n", line.constData());
                               lines_.append(QString::fromUtf8(line));
                           });
    });
    process_.setProcessChannelMode(QProcess::SeparateChannels);
    QStringList environment = QProcess::systemEnvironment();
    environment << extra_environment;
    process_.setEnvironment(environment);
    process_.start(QStringLiteral(QUELLBOX_MQTT), arguments);
    if (!process_.waitForStarted()) throw std::runtime_error("quellbox-mqtt did not start");
}

BridgeRun::~BridgeRun() {
    terminate();
}

void BridgeRun::terminate() {
    stop_process(process_);
}

int BridgeRun::count_log(const QString& fragment) const {
    return static_cast<int>(lines_.filter(fragment).size());
}

bool BridgeRun::wait_for_log(const QString& fragment, int count) {
    return wait_until([&] { return count_log(fragment) >= count; });
}

std::optional<int> BridgeRun::wait_for_exit() {
    if (!wait_until([this] { return process_.state() == QProcess::NotRunning; }))
        return std::nullopt;
    process_.waitForFinished();  // collects what is left of the output
    return process_.exitCode();
}

QStringList bridge_arguments(const Broker& broker, int serial_port, const QString& boards) {
    return {QStringLiteral("--broker"),      QStringLiteral("127.0.0.1"),
            QStringLiteral("--broker-port"), QString::number(broker.port()),
            QStringLiteral("--port"),        QString::number(serial_port),
            QStringLiteral("--boards"),      boards};
}

}  // namespace quellbox::e2e
