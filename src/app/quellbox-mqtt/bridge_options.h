#pragma once
// What the bridge is told to do: command-line options over an optional INI config file (the
// command line wins), checked as a whole before anything starts. User name and password never
// come from the command line: see credentials.h.

#include <QString>
#include <QStringList>
#include <cstdint>
#include <optional>
#include <string>
#include <variant>
#include <vector>

#include "credentials.h"

namespace quellbox::mqtt {

struct BoardConfig {
    std::uint8_t address = 1;
    std::string id;  // a valid topic level, unique on this bridge
};

struct BrokerConfig {
    QString host = QStringLiteral("localhost");
    int port = 1883;
    int keepalive_s = 30;
    bool tls = false;
    QString ca_file;  // given: TLS against this CA; empty with tls: the system's CAs
    std::optional<Credentials> credentials;
};

struct BridgeOptions {
    int serial_port = 1;    // port number, resolved the same way as in the window
    QString serial_device;  // or this device path, opened as it is (a /dev/serial/by-id link)
    std::vector<BoardConfig> boards;
    BrokerConfig broker;
    std::string prefix = "quellbox";
    bool discovery = true;
    std::string discovery_prefix = "homeassistant";
};

// Parsed options, or the message to print before exiting with status 2 (help and version are
// printed by the parser itself and exit 0).
std::variant<BridgeOptions, QString> parse_options(const QStringList& arguments);

}  // namespace quellbox::mqtt
