#pragma once
// One connection to the broker through libmosquitto, driven by Qt's event loop on the program's
// only thread: socket notifiers call the library's read and write steps, a one-second timer its
// housekeeping (keep-alive pings), and a growing pause between attempts reconnects. The library's
// callbacks therefore run on this thread, inside those steps, with no locks and no hand-over.

#include <QObject>
#include <QSocketNotifier>
#include <QTimer>
#include <chrono>
#include <functional>
#include <string>
#include <string_view>

#include "bridge_options.h"
#include "runtime/growing_pause.h"

struct mosquitto;
struct mosquitto_message;

namespace quellbox::mqtt {

// Calls mosquitto_lib_init / mosquitto_lib_cleanup around the program's life.
class MosquittoLibrary {
  public:
    MosquittoLibrary();
    ~MosquittoLibrary();
    MosquittoLibrary(const MosquittoLibrary&) = delete;
    MosquittoLibrary& operator=(const MosquittoLibrary&) = delete;
};

struct LastWill {
    std::string topic;
    std::string payload;
};

class MqttConnection final : public QObject {
  public:
    struct Events {
        // The broker accepted the connection (first time or again): subscribe and publish all.
        std::function<void()> connected;
        // `retained`: the broker kept this message and replays it because we subscribed; it
        // was not sent now.
        std::function<void(std::string_view topic, std::string_view payload, bool retained)>
            message;
    };

    // `label` names this connection in log lines ("board bench-a"). The will is published,
    // retained, by the broker when the connection dies without a goodbye.
    MqttConnection(const BrokerConfig& broker, const std::string& client_id, QString label,
                   const LastWill& will, Events events);
    ~MqttConnection() override;

    // First connection attempt; failures are retried with backoff from here on.
    void start();
    bool is_connected() const { return connected_; }

    // Retained or not, QoS 1. Does nothing while not connected: whoever publishes keeps the
    // facts and publishes them all again on `connected`.
    void publish(const std::string& topic, std::string_view payload, bool retain);
    void subscribe(const std::string& filter);

    // A clean goodbye (no will): writes what is queued, then the DISCONNECT.
    void stop();

  private:
    static void on_connect_cb(mosquitto*, void* self, int rc);
    static void on_message_cb(mosquitto*, void* self, const mosquitto_message* message);
    static void on_log_cb(mosquitto*, void* self, int level, const char* text);

    void try_connect();
    void on_connect(int rc);
    // After every call into the library: follow its socket (new, gone) and its wish to write.
    void sync_socket();
    void drop_notifiers();
    void retry_later(const QString& why);
    void after_io(int rc);
    QString tls_failure() const;

    BrokerConfig broker_;
    QString label_;
    Events events_;
    mosquitto* mosq_ = nullptr;
    int fd_ = -1;
    QSocketNotifier* read_ = nullptr;
    QSocketNotifier* write_ = nullptr;
    QTimer housekeeping_;
    runtime::GrowingPause reconnect_;
    bool connected_ = false;
    bool stopping_ = false;
    QString last_failure_;  // logged once until something changes
    QString refused_;       // the broker's refusal, told when the socket closes after it
    // The library's error lines of this connection attempt: the only place where it tells
    // why a TLS handshake failed, which it often learns only after connecting returned.
    QStringList library_errors_;
    bool tls_failed_ = false;
};

}  // namespace quellbox::mqtt
