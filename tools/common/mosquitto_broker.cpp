#include "tools/mosquitto_broker.h"

#include <arpa/inet.h>
#include <netinet/in.h>
#include <pwd.h>
#include <sys/socket.h>
#include <unistd.h>

#include <QFile>
#include <chrono>
#include <stdexcept>

#include "tools/event_waits.h"

namespace quellbox::tools {

namespace {

using namespace std::chrono_literals;

sockaddr_in loopback(int port) {
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_port = htons(static_cast<std::uint16_t>(port));
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    return address;
}

// A port nobody listens on right now: the system's pick for a socket bound to port 0.
int free_port() {
    const int fd = ::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
    sockaddr_in address = loopback(0);
    socklen_t size = sizeof address;
    if (fd < 0 || ::bind(fd, reinterpret_cast<sockaddr*>(&address), size) != 0 ||
        ::getsockname(fd, reinterpret_cast<sockaddr*>(&address), &size) != 0) {
        throw std::runtime_error("no free loopback port");
    }
    ::close(fd);
    return ntohs(address.sin_port);
}

bool accepts_connections(int port) {
    const int fd = ::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
    const sockaddr_in address = loopback(port);
    const bool ok = ::connect(fd, reinterpret_cast<const sockaddr*>(&address), sizeof address) == 0;
    ::close(fd);
    return ok;
}

}  // namespace

Broker::Broker(std::optional<BrokerLogin> login, bool tcp_nodelay,
               const std::optional<BrokerTls>& tls)
    : login_(std::move(login)), port_(free_port()) {
    QStringList config{
        QStringLiteral("listener %1 127.0.0.1").arg(port_),
        QStringLiteral("persistence false"),
        QStringLiteral("log_dest stderr"),
        QStringLiteral("log_type error"),
        // Run as whoever runs us (as root, the broker would switch to its own user and no
        // longer read its files).
        QStringLiteral("user %1").arg(QString::fromLocal8Bit(::getpwuid(::getuid())->pw_name)),
    };
    if (tcp_nodelay) config << QStringLiteral("set_tcp_nodelay true");
    if (tls) {
        tls_port_ = free_port();
        // Listener settings follow their listener line; the plain one above keeps none of these.
        config << QStringLiteral("listener %1 127.0.0.1").arg(tls_port_)
               << QStringLiteral("certfile %1").arg(tls->cert_file)
               << QStringLiteral("keyfile %1").arg(tls->key_file);
    }
    if (login_) {
        const QString passwords = dir_.filePath(QStringLiteral("passwords"));
        const int rc = QProcess::execute(QStringLiteral("mosquitto_passwd"),
                                         {QStringLiteral("-b"), QStringLiteral("-c"), passwords,
                                          login_->user, login_->password});
        if (rc != 0) throw std::runtime_error("mosquitto_passwd failed");
        config << QStringLiteral("allow_anonymous false")
               << QStringLiteral("password_file %1").arg(passwords);
    } else {
        config << QStringLiteral("allow_anonymous true");
    }
    QFile file(dir_.filePath(QStringLiteral("mosquitto.conf")));
    if (!file.open(QIODevice::WriteOnly)) throw std::runtime_error("cannot write broker config");
    file.write(config.join(QLatin1Char('\n')).toUtf8() + '\n');
    process_.setProcessChannelMode(QProcess::ForwardedChannels);
}

Broker::~Broker() {
    stop();
}

void Broker::start() {
    process_.start(QStringLiteral("mosquitto"),
                   {QStringLiteral("-c"), dir_.filePath(QStringLiteral("mosquitto.conf"))});
    if (!wait_until(
            [this] {
                return accepts_connections(port_) &&
                       (tls_port_ == 0 || accepts_connections(tls_port_));
            },
            10s)) {
        throw std::runtime_error("the broker did not start");
    }
}

void Broker::stop() {
    if (process_.state() == QProcess::NotRunning) return;
    process_.terminate();
    if (!process_.waitForFinished(10'000)) {
        process_.kill();
        process_.waitForFinished();
    }
}

}  // namespace quellbox::tools
