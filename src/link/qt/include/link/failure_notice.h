#pragma once
// The words an operator is given when a port would not open or went away, for every program of
// the suite: what happened, to which device, and what to do, in one or two short sentences each,
// through Qt's translation system. The system's own error text is never part of them.

#include <QString>
#include <string>

#include "link/serial_port.h"

namespace quellbox::link {

struct FailureNotice {
    QString what;    // what happened, naming the device or the port number
    QString advice;  // what to do about it
};

// `port_text` is the port number as the operator gave it; it names the port when the result
// names no device (a number that reaches nothing).
FailureNotice open_failure_notice(const OpenResult& result, const QString& port_text);

// `device` and `reason` as a port reports its loss (the reason is already a sentence).
FailureNotice loss_notice(const std::string& device, const std::string& reason);

}  // namespace quellbox::link
