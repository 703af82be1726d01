#pragma once
// The serial port on Windows's communications API, for the Windows window: "\\.\COM<n>" opened
// for overlapped I/O, 9600 baud, 8 data bits, no parity, 1 stop bit, no handshaking of any kind
// (0x11 and 0x13 are data), binary. Nothing here waits for the line: a read is always pending,
// and its completion, a write's completion and this port's own deferred work are handles that
// the window's HandleLoop watches, so every callback runs on the window's thread.

#include <windows.h>

#include <cstdint>
#include <deque>
#include <optional>
#include <string>
#include <vector>

#include "link/handle_loop.h"
#include "link/receive_event.h"
#include "link/serial_port.h"

namespace quellbox::link::win {

class WinSerialPort final : public SerialPort {
  public:
    explicit WinSerialPort(HandleLoop& loop);
    ~WinSerialPort() override;
    WinSerialPort(const WinSerialPort&) = delete;
    WinSerialPort& operator=(const WinSerialPort&) = delete;

    void set_comm_port(std::int16_t number) override;
    std::int16_t comm_port() const override;
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
    // One overlapped operation with the bytes it reads or writes; the bytes stay put until the
    // system has finished with them.
    struct Transfer {
        OVERLAPPED overlapped{};
        std::vector<std::uint8_t> bytes;
        bool pending = false;
    };

    // How many bytes a pending transfer moved once it has finished; nothing while it still runs
    // or when it failed (the line is then lost).
    std::optional<DWORD> completed(Transfer& transfer);
    void start_read();
    void finish_read();
    bool start_write();
    void finish_write();
    void deliver_receive();
    void on_deferred();
    void defer();
    void lose(const char* reason);
    // Ends the pending operations and closes the handle; the session's loss report, if any,
    // stays due.
    void shut();

    HandleLoop& loop_;
    std::int16_t number_ = 0;
    HANDLE port_ = INVALID_HANDLE_VALUE;
    HANDLE claim_ = nullptr;  // this program's claim on the port's name, while open
    std::string device_;      // "COM<n>" of the open port, for the loss report

    Transfer read_;
    Transfer write_;
    std::vector<std::uint8_t> unsent_;  // bytes output() took while a write was pending
    std::deque<std::uint8_t> received_;

    // Set for work that must not run inside the call that found it: a receive event still due,
    // a loss report.
    HANDLE deferred_ = nullptr;
    bool receive_check_due_ = false;
    bool loss_report_due_ = false;
    std::uint64_t lost_session_ = 0;
    std::string loss_reason_;

    std::uint64_t session_ = 0;  // counts successful opens
    std::int16_t threshold_ = 0;
    ReceiveEvent receive_;
    Handler on_comm_;
    LostHandler on_lost_;
};

}  // namespace quellbox::link::win
