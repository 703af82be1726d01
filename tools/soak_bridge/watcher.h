#pragma once
// The soak's eyes on the broker: mosquitto_sub on the bridge's state and availability topics,
// every message with the time mosquitto_sub got it. It reconnects and subscribes again by
// itself after a broker restart, getting the retained messages anew.

#include <QByteArray>
#include <QProcess>
#include <QString>
#include <cstdint>
#include <functional>

namespace quellbox::soak_bridge {

struct Seen {
    std::int64_t at_us = 0;  // on the monotonic clock, as the virtual board stamps its lines
    bool retained = false;
    QString topic;
    QString payload;
};

class Watcher {
  public:
    using Handler = std::function<void(const Seen&)>;

    // Subscribes, QoS 1, to `prefix`/+/availability and `prefix`/+/channel/+/state.
    Watcher(int broker_port, const QString& prefix, Handler on_message);
    ~Watcher();
    Watcher(const Watcher&) = delete;
    Watcher& operator=(const Watcher&) = delete;

    bool running() const { return process_.state() == QProcess::Running; }

  private:
    void take_output();

    QProcess process_;
    Handler on_message_;
    QByteArray pending_;
    // Wall clock minus monotonic clock, in microseconds: mosquitto_sub stamps with the former.
    std::int64_t wall_ahead_us_ = 0;
};

}  // namespace quellbox::soak_bridge
