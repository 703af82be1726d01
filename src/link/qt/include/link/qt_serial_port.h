#pragma once
// The serial port on QSerialPort, on the GUI thread: 9600 baud, 8 data bits, no parity,
// 1 stop bit, no flow control (0x11 and 0x13 are data).

#include <QObject>
#include <QSerialPort>
#include <QString>
#include <cstdint>

#include "link/receive_event.h"
#include "link/serial_port.h"

namespace quellbox::link {

class DirectLine;

class QtSerialPort final : public QObject, public SerialPort {
    Q_OBJECT
  public:
    explicit QtSerialPort(QObject* parent = nullptr);
    ~QtSerialPort() override;

    void set_comm_port(std::int16_t number) override;
    // Opens this path (or system name) as it is at the next open, instead of resolving a port
    // number; set_comm_port goes back to numbers.
    void set_device_path(const QString& path);
    std::int16_t comm_port() const override;
    // For programs that reopen by themselves after a loss (a watch that reconnects, the
    // bridge): until a reopen succeeds, the port number may reach only the lost device come
    // back, or a device named for the number in the runtime ports folder. Counting down the
    // list instead, a pulled USB adapter's number would move on to another device (a
    // motherboard port) and the frames meant for the board would go to whatever is there.
    void set_reopen_only_the_lost_device(bool on);
    OpenResult open() override;
    void close() override;
    bool is_open() const override;
    void set_rthreshold(std::int16_t bytes) override;
    void clear_input() override;
    bool output(std::span<const std::uint8_t> bytes) override;
    std::optional<std::uint8_t> input() override;
    std::int16_t comm_event() const override;
    void set_on_comm(Handler handler) override;
    void set_on_lost(LostHandler handler) override;

  private:
    void on_error(QSerialPort::SerialPortError error);
    void lose(const QString& reason);
    void retire_line();
    std::size_t waiting() const;
    void deliver_receive();
    void queue_receive_check();
    void finish_loss();
    // Brackets every call into QSerialPort that can raise errorOccurred synchronously: a loss
    // seen inside such a call is acted on only once Qt has returned from it.
    void enter_qt() { ++qt_depth_; }
    void leave_qt();

    QSerialPort serial_;
    // Reads and writes the open port's handle where the system allows it (a child of this,
    // so it outlives a callback that closes the port); nullptr means Qt's own buffers.
    DirectLine* line_ = nullptr;
    std::int16_t number_ = 0;
    QString device_path_;
    bool reopen_only_the_lost_ = false;
    QString opened_path_;  // the device the last successful open reached
    QString lost_path_;    // the device that went away, until a reopen succeeds
    std::int16_t threshold_ = 0;
    Handler on_comm_;
    LostHandler on_lost_;

    std::string device_;         // what the operator was told at open, for the loss report
    std::uint64_t session_ = 0;  // counts successful opens; stale queued work checks it
    int qt_depth_ = 0;
    ReceiveEvent receive_;
    bool check_queued_ = false;  // a receive check waits in the event queue
    bool loss_pending_ = false;  // loss seen, port not yet closed
    bool closing_ = false;       // errors raised by our own close() mean nothing
    QString loss_reason_;
};

}  // namespace quellbox::link
