#pragma once
// The parts of port-number resolution that need no system query: Windows' "COM<n>", the name
// of a port link in the runtime folder, and the order in which listed serial devices get their
// numbers (USB adapters first, then the others, each group in natural name order). Port 0 and
// negative numbers name nothing.

#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace quellbox::link {

// "COM<n>" for n >= 1.
std::optional<std::string> windows_port_name(int number);

// "com<n>": the link `<runtime dir>/quellbox/ports/com<n>` that wins over listed devices.
std::string port_link_name(int number);

// ttyUSB* and ttyACM*: the devices a USB relay board shows up as.
bool is_usb_adapter(std::string_view name);

// Natural order of two names: runs of ASCII digits compare by value (of any length), everything
// else byte by byte; equal values with more leading zeros sort after the shorter spelling.
bool natural_less(std::string_view a, std::string_view b);

// Port names (ttyUSB0, ttyS1, ...) in numbering order: port n is element n - 1.
std::vector<std::string> order_port_names(std::vector<std::string> names);

}  // namespace quellbox::link
