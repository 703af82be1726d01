#pragma once
// The open port's handle read and written without QSerialPort's buffers, where the system allows
// it (Linux). Qt reads every byte the moment it arrives, into a fresh 32 KiB buffer chunk that
// is freed again once read: one wake-up per byte and a heap that grows and is trimmed twice per
// poll tick. Here received bytes go into a fixed buffer, and once a reply has started the handle
// is not watched again until the rest of it can be there: at 9600 baud a byte takes 1.04 ms on
// the wire, so after the first byte of eight the frame cannot be whole for another 7.3 ms. A
// reply that arrives in one piece is handed on at its first wake-up. Once a board's replies
// have come in pieces after a steady delay, the line stops watching as soon as it writes a
// frame and looks once, when the reply can be whole (see reply_forecast.h): one wake-up per
// reply instead of two. A hang-up is noticed while the handle is not watched too.

#include <QObject>
#include <cstddef>
#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <span>
#include <string>

class QSerialPort;

namespace quellbox::link {

class DirectLine : public QObject {
  public:
    enum class Loss {
        hung_up,  // the far end or the driver hung up
        failed,   // the driver reported an error
    };
    struct Handlers {
        std::function<void()> arrived;  // bytes came and at least the threshold waits
        // The line is unusable; nothing is watched any more. `detail` is the system's words.
        std::function<void(Loss loss, const std::string& detail)> lost;
    };

    using QObject::QObject;

    // The receive threshold: a partial reply is not looked at again until this many can wait.
    virtual void set_threshold(std::size_t bytes) = 0;
    virtual std::size_t waiting() const = 0;
    virtual std::optional<std::uint8_t> take() = 0;
    // Drops every byte received and not yet taken, in the driver and here.
    virtual void clear() = 0;
    // Hands bytes to the driver without waiting; returns how many it took (all, unless its
    // queue is full), or nothing when the write failed and the loss was reported.
    virtual std::optional<std::size_t> write(std::span<const std::uint8_t> bytes) = 0;
    // Stops watching for good; call before the port's handle is closed.
    virtual void shut() = 0;
};

// Takes reading (and writing) of the open `port` over from Qt. Nothing where the system or
// this Qt does not allow it: the port then keeps going through QSerialPort.
std::unique_ptr<DirectLine> take_over_line(QSerialPort& port, DirectLine::Handlers handlers);

}  // namespace quellbox::link
