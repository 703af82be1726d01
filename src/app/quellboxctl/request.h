#pragma once
// What the command line asked for, after parsing and checking: the command, its channels, the
// board and the options that shape the output.

#include <QString>
#include <cstdint>
#include <optional>
#include <vector>

namespace quellbox::ctl {

// The program's exit statuses, as --help and the man page list them.
enum ExitStatus : int {
    exit_done = 0,           // done and, for switching, confirmed by the board
    exit_usage = 2,          // bad arguments: nothing was written to the line
    exit_open_failed = 3,    // the port could not be opened
    exit_no_answer = 4,      // the board did not answer (six ticks without a status frame)
    exit_not_confirmed = 5,  // the board answered but did not reach the asked state in time
    exit_lost = 6,           // the port was lost (device unplugged or switched off)
};

enum class Command { status, on, off, toggle, all_on, all_off, watch, ports };

struct Request {
    Command command = Command::status;
    std::vector<int> channels;  // on, off, toggle: 1 to 16, in the order given
    std::optional<int> port;    // --port N (1 when neither this nor a device is given)
    QString device;             // --device PATH
    std::uint8_t address = 1;   // --address A
    int timeout_ms = 1000;      // --timeout MS, for switching
    bool json = false;
    bool verbose = false;
    bool reconnect = false;  // watch
    bool probe = false;      // ports
};

}  // namespace quellbox::ctl
