#pragma once
// What the system can tell about a serial device that would not open: the lock file that other
// programs leave beside it, the program holding it, and who may open it. Used by the adapter to
// turn a bare "permission error" into something an operator can act on. Empty answers where the
// system has no such thing (Windows).

#include <QString>
#include <optional>

#include "link/serial_port.h"

namespace quellbox::link {

// The lock file Qt's serial port takes for `device` (e.g. /run/lock/LCK..ttyUSB0); empty when no
// lock folder is usable. Follows QSerialPort's own choice, so both name the same file.
QString lock_file_of(const QString& device);

// The process named in a lock file, whether or not it still runs; nothing without a readable pid.
std::optional<PortHolder> lock_file_holder(const QString& lock_file);

// True when `pid` names no running process.
bool process_has_ended(std::int64_t pid);

// A running process other than this one that has `device` open, found through /proc (only the
// processes this user may look into).
std::optional<PortHolder> process_holding(const QString& device);

// The device node's owner, group and mode, and whether this user is a member of the group.
std::optional<DeviceAccess> device_access(const QString& device);

}  // namespace quellbox::link
