#pragma once
// How a port number reaches a device. On Windows port n is "COM<n>". On Linux and macOS a link
// named com<n> in the per-user runtime folder <runtime>/quellbox/ports/ wins (the virtual board
// publishes itself there, and an operator may add one by hand: ln -s /dev/ttyUSB0 .../com3);
// otherwise port n is the n-th serial device listed, USB adapters (ttyUSB*, ttyACM*) first in
// natural name order, then the others. Port 0, negative numbers and numbers past the list
// resolve to nothing.

#include <QString>
#include <optional>

namespace quellbox::link {

struct ResolvedPort {
    QString device;       // path or system name to open
    QString description;  // what the system says about it, may be empty
    // Reached through the runtime ports folder: someone named this device for the number, as
    // against counting down the list of devices.
    bool named = false;
};

// <QStandardPaths::RuntimeLocation>/quellbox/ports (not created here). Empty when the system
// offers no runtime location at all.
QString runtime_ports_folder();

std::optional<ResolvedPort> resolve_port(int number);

// One line for the port field's tooltip: "1 -> /dev/ttyUSB0, USB-Serial CH340" or
// "4 -> no serial device".
QString describe_port(int number);

}  // namespace quellbox::link
