#pragma once
// A real Mosquitto broker for the bridge's tests and benchmark: on a free loopback port, with a
// generated config in a temporary folder, anonymous or with one account.

#include <QProcess>
#include <QString>
#include <QTemporaryDir>
#include <optional>

namespace quellbox::tools {

struct BrokerLogin {
    QString user;
    QString password;
};

// A second listener that speaks only TLS, with this certificate and key (PEM files).
struct BrokerTls {
    QString cert_file;
    QString key_file;
};

class Broker {
  public:
    // Anonymous, or with this one account and anonymous access refused; `tcp_nodelay` turns
    // Nagle's algorithm off on the broker's sockets. Not started yet.
    explicit Broker(std::optional<BrokerLogin> login = std::nullopt, bool tcp_nodelay = false,
                    const std::optional<BrokerTls>& tls = std::nullopt);
    ~Broker();

    int port() const { return port_; }
    // The TLS listener's port, 0 without one.
    int tls_port() const { return tls_port_; }
    const std::optional<BrokerLogin>& login() const { return login_; }
    // Starts the broker and waits (running the event loop, at most ten seconds) until it
    // accepts connections; throws if it does not. No persistence: a restart forgets every
    // retained message.
    void start();
    void stop();

  private:
    std::optional<BrokerLogin> login_;
    QTemporaryDir dir_;
    QProcess process_;
    int port_ = 0;
    int tls_port_ = 0;
};

}  // namespace quellbox::tools
