// quellbox-mqtt over TLS against a real broker: certificates made for the test with openssl, a
// TLS listener beside a plain one on loopback. The right CA connects; a certificate from another
// CA and one for another host name are refused, each time with the cause in the bridge's first
// word about the broker, and the bridge never falls back to plain MQTT.

#include <gtest/gtest.h>

#include <QProcess>
#include <QTemporaryDir>
#include <stdexcept>

#include "mqtt_support.h"

namespace quellbox::e2e {
namespace {

// A CA, a server certificate it signed for 127.0.0.1 and localhost, one it signed for another
// host, and an unrelated CA.
class TestCertificates {
  public:
    TestCertificates() {
        make_ca("ca");
        make_ca("other-ca");
        make_server("server", "IP:127.0.0.1,DNS:localhost");
        make_server("elsewhere", "DNS:broker.invalid");
    }
    QString file(const QString& name) const { return dir_.filePath(name); }

  private:
    void openssl(const QStringList& arguments) const {
        QProcess p;
        p.setWorkingDirectory(dir_.path());
        p.setProcessChannelMode(QProcess::MergedChannels);
        p.start(QStringLiteral("openssl"), arguments);
        if (!p.waitForFinished(static_cast<int>(patience.count())) || p.exitCode() != 0) {
            throw std::runtime_error("openssl " + arguments.join(' ').toStdString() + ": " +
                                     p.readAll().toStdString());
        }
    }
    // Elliptic-curve keys: made in milliseconds, unlike RSA ones.
    static QStringList new_key() {
        return {"-newkey", "ec", "-pkeyopt", "ec_paramgen_curve:prime256v1", "-nodes"};
    }
    void make_ca(const QString& name) const {
        openssl(QStringList{"req", "-x509"} + new_key() +
                QStringList{"-keyout", name + ".key", "-out", name + ".crt", "-days", "2", "-subj",
                            "/CN=Quellbox test " + name});
    }
    void make_server(const QString& name, const QString& names) const {
        openssl(
            QStringList{"req"} + new_key() +
            QStringList{"-keyout", name + ".key", "-out", name + ".csr", "-subj", "/CN=" + name});
        openssl({"x509", "-req", "-in", name + ".csr", "-CA", "ca.crt", "-CAkey", "ca.key",
                 "-CAcreateserial", "-days", "2", "-out", name + ".crt", "-extfile",
                 write_extensions(name, names)});
    }
    QString write_extensions(const QString& name, const QString& names) const {
        QFile ext(file(name + ".ext"));
        if (!ext.open(QIODevice::WriteOnly)) throw std::runtime_error("cannot write extensions");
        ext.write(("subjectAltName=" + names + "\n").toUtf8());
        return ext.fileName();
    }

    QTemporaryDir dir_;
};

const TestCertificates& certificates() {
    static const TestCertificates made;
    return made;
}

tools::BrokerTls served(const QString& name) {
    return {certificates().file(name + ".crt"), certificates().file(name + ".key")};
}

QStringList tls_bridge(const Broker& broker, int serial_port, const QString& ca) {
    return {QStringLiteral("--broker"),      QStringLiteral("127.0.0.1"),
            QStringLiteral("--broker-port"), QString::number(broker.tls_port()),
            QStringLiteral("--ca-file"),     certificates().file(ca + ".crt"),
            QStringLiteral("--port"),        QString::number(serial_port),
            QStringLiteral("--boards"),      QStringLiteral("1"),
            QStringLiteral("--no-discovery")};
}

const QString about_the_broker = QStringLiteral("board board1 (address 1): ");

// Starts the bridge `times` times; each time its first line about the broker must name `cause`
// and it must never get through.
void refused_every_time(const Broker& broker, const QStringList& arguments, const QString& cause,
                        int times) {
    Watcher watch(broker, QStringLiteral("quellbox/#"));
    for (int i = 0; i < times; ++i) {
        BridgeRun bridge(arguments);
        ASSERT_TRUE(bridge.wait_for_log(about_the_broker)) << bridge.log().toStdString();
        const QString first = bridge.log().split('\n').filter(about_the_broker).first();
        EXPECT_TRUE(first.contains(cause)) << "start " << i + 1 << ": " << first.toStdString();
        settle(300ms);
        EXPECT_EQ(bridge.count_log(QStringLiteral("connected to the broker")), 0);
    }
    EXPECT_TRUE(watch.messages().isEmpty()) << "the bridge got through to the broker";
}

TEST(MqttTls, RightCaConnects) {
    Broker broker(std::nullopt, false, served("server"));
    broker.start();
    BoardSim sim({"--port", "21"});
    Watcher watch(broker, QStringLiteral("quellbox/#"));
    BridgeRun bridge(tls_bridge(broker, 21, "ca"));
    EXPECT_TRUE(watch.wait_for(QStringLiteral("quellbox/board1/availability"), "online"))
        << bridge.log().toStdString();
}

TEST(MqttTls, CertificateOfAnotherCaIsRefusedAndSaysSoEveryTime) {
    Broker broker(std::nullopt, false, served("server"));
    broker.start();
    BoardSim sim({"--port", "22"});
    refused_every_time(broker, tls_bridge(broker, 22, "other-ca"), QStringLiteral("not trusted"),
                       6);
}

TEST(MqttTls, CertificateForAnotherHostIsRefusedAndSaysSoEveryTime) {
    Broker broker(std::nullopt, false, served("elsewhere"));
    broker.start();
    BoardSim sim({"--port", "23"});
    refused_every_time(broker, tls_bridge(broker, 23, "ca"), QStringLiteral("does not name"), 6);
}

}  // namespace
}  // namespace quellbox::e2e
