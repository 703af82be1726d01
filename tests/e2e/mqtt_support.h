#pragma once
// For the bridge's end-to-end tests: the broker (see mosquitto_broker.h), a watching client
// (mosquitto_sub) that records every message it gets, a publishing client (mosquitto_pub), and the
// bridge itself as a child process.

#include <QByteArray>
#include <QProcess>
#include <QString>
#include <QStringList>
#include <QTemporaryDir>
#include <optional>

#include "e2e_support.h"
#include "tools/mosquitto_broker.h"

namespace quellbox::e2e {

using tools::Broker;
using tools::BrokerLogin;

struct Message {
    bool retained = false;
    QString topic;
    QString payload;
};

// mosquitto_sub on `filter`, QoS 1, recording every message in order.
class Watcher {
  public:
    Watcher(const Broker& broker, const QString& filter);
    ~Watcher();

    const QList<Message>& messages() const { return messages_; }
    // The last payload seen on `topic`, if any.
    std::optional<QString> last(const QString& topic) const;
    // Waits until the last payload on `topic` is `payload`.
    bool wait_for(const QString& topic, const QString& payload);
    // Waits until `count` messages on topics starting with `prefix` came.
    bool wait_for_count(const QString& prefix, int count);
    int count(const QString& topic, const QString& payload) const;

  private:
    QProcess process_;
    QByteArray pending_;
    QList<Message> messages_;
};

// mosquitto_pub, QoS 1, retained or not; returns once the client is done.
void publish(const Broker& broker, const QString& topic, const QByteArray& payload,
             bool retained = false);

// quellbox-mqtt as a child process; its stderr lines are collected (and echoed for the log).
class BridgeRun {
  public:
    explicit BridgeRun(const QStringList& arguments, const QStringList& extra_environment = {});
    ~BridgeRun();  // SIGTERM, then wait

    bool wait_for_log(const QString& fragment, int count = 1);
    int count_log(const QString& fragment) const;
    QString log() const { return lines_.join(QLatin1Char('\n')); }
    // Waits for the program to end by itself; its exit status, or nothing if it did not.
    std::optional<int> wait_for_exit();
    void terminate();

  private:
    QProcess process_;
    QByteArray pending_;
    QStringList lines_;
};

// The usual arguments: the broker, port number `serial_port`, boards `boards`.
QStringList bridge_arguments(const Broker& broker, int serial_port, const QString& boards);

}  // namespace quellbox::e2e
