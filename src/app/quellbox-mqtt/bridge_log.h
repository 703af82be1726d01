#pragma once
// The bridge's words for the operator: translated through Qt (context "QuellboxMqtt") and
// written as one plain line each to stderr, where journald picks them up with its own time
// stamps. Nothing here ever receives a password.

#include <QCoreApplication>
#include <QString>
#include <string_view>

namespace quellbox::mqtt {

struct BridgeText {
    Q_DECLARE_TR_FUNCTIONS(QuellboxMqtt)
};

// "quellbox-mqtt: <text>" on stderr, flushed at once.
void log_line(const QString& text);

// Text that came from outside (a topic, a payload) made safe for one log line: printable ASCII
// kept, everything else as \xNN, cut after `limit` bytes with "...".
QString printable(std::string_view text, std::size_t limit = 64);

}  // namespace quellbox::mqtt
