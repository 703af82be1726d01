#include "mqtt_connection.h"

#include <mosquitto.h>

#include <QFile>
#include <algorithm>
#include <cerrno>
#include <cstring>

#include "bridge_log.h"

namespace quellbox::mqtt {

namespace {

constexpr std::chrono::seconds first_backoff{1};
constexpr std::chrono::seconds max_backoff{30};
constexpr std::chrono::milliseconds housekeeping_period{1000};
constexpr int qos = 1;

QString without_full_stop(QString words) {
    if (words.endsWith(QLatin1Char('.'))) words.chop(1);
    return words;
}

QString library_error(int rc) {
    if (rc == MOSQ_ERR_ERRNO) return QString::fromLocal8Bit(std::strerror(errno));
    QString words = without_full_stop(QString::fromUtf8(mosquitto_strerror(rc)));
    if (rc == MOSQ_ERR_TLS) {
        words += QLatin1String(" (") +
                 BridgeText::tr(
                     "check the CA file and that the broker's certificate names this "
                     "host") +
                 QLatin1Char(')');
    }
    return words;
}

}  // namespace

MosquittoLibrary::MosquittoLibrary() {
    mosquitto_lib_init();
}

MosquittoLibrary::~MosquittoLibrary() {
    mosquitto_lib_cleanup();
}

MqttConnection::MqttConnection(const BrokerConfig& broker, const std::string& client_id,
                               QString label, const LastWill& will, Events events)
    : broker_(broker),
      label_(std::move(label)),
      events_(std::move(events)),
      reconnect_(first_backoff, max_backoff, [this] { try_connect(); }) {
    mosq_ = mosquitto_new(client_id.c_str(), true, this);
    if (mosq_ == nullptr) qFatal("mosquitto_new: out of memory");
    // States and acknowledgements are small and should leave at once: without this, Nagle's
    // algorithm holds a message back until the broker acknowledges the previous one, which
    // its delayed ACK can stretch to most of a poll tick.
    mosquitto_int_option(mosq_, MOSQ_OPT_TCP_NODELAY, 1);
    mosquitto_connect_callback_set(mosq_, &MqttConnection::on_connect_cb);
    mosquitto_message_callback_set(mosq_, &MqttConnection::on_message_cb);
    mosquitto_log_callback_set(mosq_, &MqttConnection::on_log_cb);
    mosquitto_will_set(mosq_, will.topic.c_str(), static_cast<int>(will.payload.size()),
                       will.payload.data(), qos, true);
    if (broker_.credentials) {
        mosquitto_username_pw_set(mosq_, broker_.credentials->username.c_str(),
                                  broker_.credentials->password.c_str());
    }
    if (broker_.tls) {
        const QByteArray ca = QFile::encodeName(broker_.ca_file);
        const int rc =
            mosquitto_tls_set(mosq_, ca.isEmpty() ? nullptr : ca.constData(),
                              ca.isEmpty() ? "/etc/ssl/certs" : nullptr, nullptr, nullptr, nullptr);
        if (rc != MOSQ_ERR_SUCCESS) {
            log_line(BridgeText::tr("%1: cannot set up TLS: %2").arg(label_, library_error(rc)));
        }
    }

    housekeeping_.setInterval(housekeeping_period);
    housekeeping_.setTimerType(Qt::CoarseTimer);
    connect(&housekeeping_, &QTimer::timeout, this, [this] {
        mosquitto_loop_misc(mosq_);
        sync_socket();
    });
}

MqttConnection::~MqttConnection() {
    drop_notifiers();
    mosquitto_destroy(mosq_);
}

void MqttConnection::start() {
    try_connect();
}

void MqttConnection::try_connect() {
    library_errors_.clear();
    tls_failed_ = false;
    // Asynchronous: the TCP connect, the TLS handshake and the CONNECT packet complete through
    // the notifiers, or at once on loopback: a handshake failure may come either way.
    const int rc = mosquitto_connect_async(mosq_, broker_.host.toUtf8().constData(), broker_.port,
                                           broker_.keepalive_s);
    if (rc == MOSQ_ERR_TLS) {
        retry_later(tls_failure());
        return;
    }
    if (rc != MOSQ_ERR_SUCCESS) {
        retry_later(BridgeText::tr("cannot reach the broker %1:%2: %3")
                        .arg(broker_.host)
                        .arg(broker_.port)
                        .arg(library_error(rc)));
        return;
    }
    housekeeping_.start();
    sync_socket();
}

void MqttConnection::retry_later(const QString& why) {
    if (why != last_failure_) {
        log_line(BridgeText::tr("%1: %2; trying again with growing pauses (up to %3 s)")
                     .arg(label_, why)
                     .arg(max_backoff.count()));
        last_failure_ = why;
    }
    reconnect_.schedule();
}

void MqttConnection::on_connect_cb(mosquitto*, void* self, int rc) {
    static_cast<MqttConnection*>(self)->on_connect(rc);
}

void MqttConnection::on_message_cb(mosquitto*, void* self, const mosquitto_message* message) {
    auto* connection = static_cast<MqttConnection*>(self);
    if (!connection->events_.message || message->topic == nullptr) return;
    const auto* payload = static_cast<const char*>(message->payload);
    connection->events_.message(
        message->topic,
        std::string_view(payload != nullptr ? payload : "",
                         static_cast<std::size_t>(std::max(message->payloadlen, 0))),
        message->retain);
}

void MqttConnection::on_log_cb(mosquitto*, void* self, int level, const char* text) {
    if ((level & MOSQ_LOG_ERR) == 0 || text == nullptr) return;
    static_cast<MqttConnection*>(self)->library_errors_.append(QString::fromUtf8(text));
}

void MqttConnection::after_io(int rc) {
    if (rc == MOSQ_ERR_TLS) tls_failed_ = true;
    sync_socket();
}

QString MqttConnection::tls_failure() const {
    const QString broker = QStringLiteral("%1:%2").arg(broker_.host).arg(broker_.port);
    const QString told = library_errors_.join(QLatin1String("; "));
    // The library checks the name itself after OpenSSL accepted the chain, and says so.
    if (told.contains(QLatin1String("host name verification failed"))) {
        return BridgeText::tr(
                   "the TLS certificate of the broker %1 does not name %2, the host "
                   "connected to: connect by a name the certificate carries, or "
                   "issue it for this one")
            .arg(broker, broker_.host);
    }
    if (told.contains(QLatin1String("certificate verify failed"))) {
        return BridgeText::tr(
                   "the TLS certificate of the broker %1 is not trusted: no CA in %2 "
                   "signed it (check --ca-file / ca_file)")
            .arg(broker,
                 broker_.ca_file.isEmpty() ? QStringLiteral("/etc/ssl/certs") : broker_.ca_file);
    }
    return BridgeText::tr("the TLS handshake with the broker %1 failed: %2")
        .arg(broker, told.isEmpty() ? library_error(MOSQ_ERR_TLS) : told);
}

void MqttConnection::on_connect(int rc) {
    if (rc != 0) {
        // The library closes the socket after this; sync_socket() then schedules the retry.
        QString why = BridgeText::tr("the broker %1:%2 refused the connection: %3")
                          .arg(broker_.host)
                          .arg(broker_.port)
                          .arg(without_full_stop(QString::fromUtf8(mosquitto_connack_string(rc))));
        if (rc == 4 || rc == 5) {
            why += QLatin1String("; ") +
                   BridgeText::tr(
                       "check the user name and password (--credentials or "
                       "QUELLBOX_MQTT_USERNAME / QUELLBOX_MQTT_PASSWORD) and the "
                       "broker's access list");
        }
        last_failure_.clear();
        refused_ = why;
        return;
    }
    connected_ = true;
    reconnect_.reset();
    last_failure_.clear();
    log_line(BridgeText::tr("%1: connected to the broker %2:%3")
                 .arg(label_, broker_.host)
                 .arg(broker_.port));
    if (events_.connected) events_.connected();
}

void MqttConnection::publish(const std::string& topic, std::string_view payload, bool retain) {
    if (!connected_) return;
    mosquitto_publish(mosq_, nullptr, topic.c_str(), static_cast<int>(payload.size()),
                      payload.data(), qos, retain);
    sync_socket();
}

void MqttConnection::subscribe(const std::string& filter) {
    if (!connected_) return;
    mosquitto_subscribe(mosq_, nullptr, filter.c_str(), qos);
    sync_socket();
}

void MqttConnection::stop() {
    stopping_ = true;
    reconnect_.cancel();
    housekeeping_.stop();
    if (fd_ < 0) return;
    mosquitto_disconnect(mosq_);
    // Whatever the socket did not take at once goes now; a broker that stalls gets a few tries.
    for (int i = 0; i < 50 && mosquitto_want_write(mosq_) && mosquitto_socket(mosq_) >= 0; ++i)
        mosquitto_loop_write(mosq_, 1);
    drop_notifiers();
    connected_ = false;
}

void MqttConnection::drop_notifiers() {
    // Disabled at once (the descriptor number may be reused soon), deleted from the event
    // loop: this may run inside one of their own signals.
    for (QSocketNotifier* n : {read_, write_}) {
        if (n == nullptr) continue;
        n->setEnabled(false);
        n->deleteLater();
    }
    read_ = write_ = nullptr;
    fd_ = -1;
}

void MqttConnection::sync_socket() {
    const int fd = mosquitto_socket(mosq_);
    if (fd != fd_) {
        drop_notifiers();
        if (fd >= 0) {
            fd_ = fd;
            read_ = new QSocketNotifier(fd, QSocketNotifier::Read, this);
            write_ = new QSocketNotifier(fd, QSocketNotifier::Write, this);
            connect(read_, &QSocketNotifier::activated, this,
                    [this] { after_io(mosquitto_loop_read(mosq_, 1)); });
            connect(write_, &QSocketNotifier::activated, this,
                    [this] { after_io(mosquitto_loop_write(mosq_, 1)); });
        }
    }
    if (fd_ >= 0) {
        write_->setEnabled(mosquitto_want_write(mosq_));
        return;
    }
    // No socket: the connection ended (or never came up).
    housekeeping_.stop();
    const bool was_connected = connected_;
    connected_ = false;
    if (stopping_ || reconnect_.is_pending()) return;
    QString why = refused_;
    refused_.clear();
    if (why.isEmpty() && !was_connected &&
        (tls_failed_ || (broker_.tls && !library_errors_.isEmpty())))
        why = tls_failure();
    if (why.isEmpty()) {
        why = was_connected ? BridgeText::tr("lost the connection to the broker %1:%2")
                                  .arg(broker_.host)
                                  .arg(broker_.port)
                            : BridgeText::tr("could not connect to the broker %1:%2")
                                  .arg(broker_.host)
                                  .arg(broker_.port);
    }
    if (was_connected) last_failure_.clear();
    retry_later(why);
}

}  // namespace quellbox::mqtt
