#pragma once
// The serial port as the rest of the tool sees it: a numbered port that opens and closes,
// writes whole byte arrays, hands received bytes out one at a time and raises a receive event
// once a threshold of bytes waits. Qt's serial port implements it for real; tests use fakes.

#include <cstdint>
#include <functional>
#include <optional>
#include <span>
#include <string>

namespace quellbox::link {

// Event code reported while a receive event is delivered.
inline constexpr std::int16_t comm_event_receive = 2;

enum class OpenError {
    none,
    no_such_port,   // the number resolves to no device
    missing,        // the device node is gone
    busy,           // another program holds the device
    no_permission,  // the user may not open it
    stale_lock,     // a program that has ended left a lock file this user may not remove
    other,
};

// The program that holds a device (busy), or held it and left its lock behind (stale_lock).
struct PortHolder {
    std::string program;   // empty when only the process number is known
    std::int64_t pid = 0;  // 0 when not known
};

// Who may open a device, for telling an operator what would let them open it.
struct DeviceAccess {
    std::string owner;             // user name (or number) owning the device node
    std::string group;             // its group
    unsigned mode = 0;             // permission bits, e.g. 0660
    bool group_may_use = false;    // members of the group may read and write it
    bool listed_in_group = false;  // the user is a member, but this process does not have it yet
};

struct OpenResult {
    OpenError error = OpenError::none;
    std::string device;  // the device the port number resolved to, if any
    std::string detail;  // the system's own words, for a log; never shown to an operator raw
    std::optional<PortHolder> holder;    // busy, stale_lock: who holds (held) it, if known
    std::optional<DeviceAccess> access;  // no_permission: the device's owner, group and mode
    std::string lock_file;               // stale_lock: the file left behind

    bool ok() const { return error == OpenError::none; }
};

// The words for an operator are made from these facts, translated, in one place for every
// program: link/failure_notice.h on the Qt side.

class SerialPort {
  public:
    using Handler = std::function<void()>;
    // Called after the port closed itself because the device went away.
    using LostHandler = std::function<void(const std::string& device, const std::string& reason)>;

    virtual ~SerialPort() = default;

    // CommPort: selects the port for the next open.
    virtual void set_comm_port(std::int16_t number) = 0;
    virtual std::int16_t comm_port() const = 0;

    // PortOpen = True. Reports the device and the reason instead of assuming success.
    virtual OpenResult open() = 0;
    // PortOpen = False. Closing a closed port does nothing.
    virtual void close() = 0;
    // PortOpen, read: true exactly while the port is open.
    virtual bool is_open() const = 0;

    // RThreshold: the receive event comes once at least this many bytes wait.
    virtual void set_rthreshold(std::int16_t bytes) = 0;
    // InBufferCount = 0: every received byte not yet read is discarded.
    virtual void clear_input() = 0;
    // Output: the bytes go to the line in order, unaltered. False when the write failed.
    virtual bool output(std::span<const std::uint8_t> bytes) = 0;
    // Input: one received byte, taken out of the buffer; nothing when none waits.
    virtual std::optional<std::uint8_t> input() = 0;
    // CommEvent: comm_event_receive while a receive event is being delivered.
    virtual std::int16_t comm_event() const = 0;

    // OnComm: delivered on the user-interface thread, never inside another handler.
    virtual void set_on_comm(Handler handler) = 0;
    virtual void set_on_lost(LostHandler handler) = 0;
};

}  // namespace quellbox::link
