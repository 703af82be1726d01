#include "link/win_serial_port.h"

#include <algorithm>

#include "link/loss_words.h"
#include "link/port_naming.h"
#include "port_errors.h"
#include "system_words.h"

namespace quellbox::link::win {

namespace {

// The driver's queues, as the port has always been set up: 1024 bytes in, 512 out.
constexpr DWORD in_queue = 1024;
constexpr DWORD out_queue = 512;

std::wstring widen(const std::string& ascii) {
    return std::wstring(ascii.begin(), ascii.end());
}

HANDLE new_event() {
    // Manual reset, as overlapped I/O wants; each operation resets it when it starts, and
    // this port resets it when an operation is done with and no next one starts.
    return CreateEventW(nullptr, TRUE, FALSE, nullptr);
}

void reset(OVERLAPPED& overlapped) {
    const HANDLE event = overlapped.hEvent;
    overlapped = OVERLAPPED{};
    overlapped.hEvent = event;
}

// A second open of a port that another program holds is refused even when it asks for no
// access at all, which a port's security settings never refuse.
bool held_by_another(const std::wstring& path) {
    const HANDLE probe = CreateFileW(path.c_str(), 0, 0, nullptr, OPEN_EXISTING, 0, nullptr);
    if (probe == INVALID_HANDLE_VALUE) return GetLastError() == ERROR_ACCESS_DENIED;
    CloseHandle(probe);
    return false;
}

// 9600 8N1, binary, no flow control by modem lines or by XON/XOFF, nothing discarded or
// replaced. DTR and RTS are raised and left alone, as opening a port does on Linux: some
// adapters and isolated line drivers draw power from them. No timeouts: a read returns once
// all the bytes it asked for came, a write once all its bytes went.
bool configure(HANDLE port) {
    // Only a recommendation to the driver; a driver that ignores it keeps its own sizes.
    SetupComm(port, in_queue, out_queue);
    DCB dcb{};
    dcb.DCBlength = sizeof dcb;
    if (!GetCommState(port, &dcb)) return false;
    dcb.BaudRate = CBR_9600;
    dcb.ByteSize = 8;
    dcb.Parity = NOPARITY;
    dcb.StopBits = ONESTOPBIT;
    dcb.fBinary = TRUE;
    dcb.fParity = FALSE;
    dcb.fOutxCtsFlow = FALSE;
    dcb.fOutxDsrFlow = FALSE;
    dcb.fDtrControl = DTR_CONTROL_ENABLE;
    dcb.fDsrSensitivity = FALSE;
    dcb.fTXContinueOnXoff = TRUE;
    dcb.fOutX = FALSE;
    dcb.fInX = FALSE;
    dcb.fErrorChar = FALSE;
    dcb.fNull = FALSE;
    dcb.fRtsControl = RTS_CONTROL_ENABLE;
    // A framing or overrun error must not stop every later read until someone clears it.
    dcb.fAbortOnError = FALSE;
    if (!SetCommState(port, &dcb)) return false;
    COMMTIMEOUTS timeouts{};
    if (!SetCommTimeouts(port, &timeouts)) return false;
    // Bytes that waited from before the open answer nobody's question.
    return PurgeComm(port, PURGE_RXCLEAR | PURGE_TXCLEAR) != 0;
}

}  // namespace

WinSerialPort::WinSerialPort(HandleLoop& loop) : loop_(loop) {
    read_.overlapped.hEvent = new_event();
    write_.overlapped.hEvent = new_event();
    deferred_ = new_event();
    loop_.watch(deferred_, [this] { on_deferred(); });
}

WinSerialPort::~WinSerialPort() {
    close();
    loop_.unwatch(deferred_);
    CloseHandle(deferred_);
    CloseHandle(read_.overlapped.hEvent);
    CloseHandle(write_.overlapped.hEvent);
}

void WinSerialPort::set_comm_port(std::int16_t number) {
    number_ = number;
}

std::int16_t WinSerialPort::comm_port() const {
    return number_;
}

OpenResult WinSerialPort::open() {
    OpenResult result;
    if (is_open()) {
        result.device = device_;
        return result;
    }
    const std::optional<std::string> name = windows_port_name(number_);
    if (!name) {
        result.error = OpenError::no_such_port;
        return result;
    }
    result.device = *name;

    // Two windows of this tool on one port would take each other's answers. Windows's own
    // drivers refuse the second open anyway; this claim holds where a driver does not (wine's
    // serial ports let any number of programs in). It goes with the process, so it never
    // outlives a program that ended.
    const std::wstring claim_name = L"Global\\quellbox.serial." + widen(*name);
    const HANDLE claim = CreateEventW(nullptr, TRUE, FALSE, claim_name.c_str());
    const DWORD claim_error = GetLastError();
    if (claim == nullptr ? claim_error == ERROR_ACCESS_DENIED
                         : claim_error == ERROR_ALREADY_EXISTS) {
        if (claim != nullptr) CloseHandle(claim);
        result.error = OpenError::busy;
        result.detail = "another window of this tool has " + *name + " open";
        return result;
    }

    const std::wstring path = L"\\\\.\\" + widen(*name);
    const HANDLE port = CreateFileW(path.c_str(), GENERIC_READ | GENERIC_WRITE, 0, nullptr,
                                    OPEN_EXISTING, FILE_FLAG_OVERLAPPED, nullptr);
    if (port == INVALID_HANDLE_VALUE) {
        const DWORD error = GetLastError();
        result.error = open_error_of(error, [&path] { return held_by_another(path); });
        result.detail = system_words(error);
        if (claim != nullptr) CloseHandle(claim);
        return result;
    }
    if (!configure(port)) {
        const DWORD error = GetLastError();
        CloseHandle(port);
        if (claim != nullptr) CloseHandle(claim);
        result.error = OpenError::other;
        result.detail = "the port refused its settings: " + system_words(error);
        return result;
    }

    port_ = port;
    claim_ = claim;
    device_ = *name;
    ++session_;
    loop_.watch(read_.overlapped.hEvent, [this] { finish_read(); });
    loop_.watch(write_.overlapped.hEvent, [this] { finish_write(); });
    start_read();
    if (!is_open()) {
        // Gone in the moment it opened: to the caller, the open failed.
        loss_report_due_ = false;
        result.error = OpenError::missing;
        result.detail = loss_reason_;
    }
    return result;
}

void WinSerialPort::close() {
    if (is_open()) shut();
}

bool WinSerialPort::is_open() const {
    return port_ != INVALID_HANDLE_VALUE;
}

void WinSerialPort::set_rthreshold(std::int16_t bytes) {
    threshold_ = bytes;
    // Bytes may already wait; they deserve their event as if they had just arrived.
    if (is_open() && threshold_ > 0) {
        receive_check_due_ = true;
        defer();
    }
}

void WinSerialPort::clear_input() {
    if (!is_open()) return;
    PurgeComm(port_, PURGE_RXCLEAR);
    received_.clear();
    // A byte that the pending read took before the purge is as old as those the purge dropped.
    // A read that failed or came back empty is left for finish_read to report.
    if (read_.pending && HasOverlappedIoCompleted(&read_.overlapped)) {
        DWORD count = 0;
        if (GetOverlappedResult(port_, &read_.overlapped, &count, FALSE) && count > 0) {
            read_.pending = false;
            ResetEvent(read_.overlapped.hEvent);
            start_read();
        }
    }
}

bool WinSerialPort::output(std::span<const std::uint8_t> bytes) {
    if (!is_open()) return false;
    if (bytes.empty()) return true;
    if (write_.pending && HasOverlappedIoCompleted(&write_.overlapped)) finish_write();
    if (!is_open()) return false;
    if (write_.pending) {
        // Goes out right after the write in progress, in order.
        unsent_.insert(unsent_.end(), bytes.begin(), bytes.end());
        return true;
    }
    write_.bytes.assign(bytes.begin(), bytes.end());
    return start_write();
}

std::optional<std::uint8_t> WinSerialPort::input() {
    if (!is_open() || received_.empty()) return std::nullopt;
    const std::uint8_t byte = received_.front();
    received_.pop_front();
    return byte;
}

std::int16_t WinSerialPort::comm_event() const {
    return receive_.code();
}

void WinSerialPort::set_on_comm(Handler handler) {
    on_comm_ = std::move(handler);
}

void WinSerialPort::set_on_lost(LostHandler handler) {
    on_lost_ = std::move(handler);
}

void WinSerialPort::start_read() {
    if (!is_open() || read_.pending) return;
    // As much as already waits in the driver, else one byte: the read then completes with the
    // first byte that comes, and the next one takes whatever followed it.
    COMSTAT status{};
    DWORD errors = 0;
    const DWORD waiting = ClearCommError(port_, &errors, &status) ? status.cbInQue : 0;
    read_.bytes.resize(std::clamp<DWORD>(waiting, 1, in_queue));
    reset(read_.overlapped);
    if (!ReadFile(port_, read_.bytes.data(), static_cast<DWORD>(read_.bytes.size()), nullptr,
                  &read_.overlapped)) {
        const DWORD error = GetLastError();
        if (error != ERROR_IO_PENDING) {
            lose(loss_words_of(error));
            return;
        }
    }
    // Also when it completed at once: its event is set, and finish_read takes the bytes.
    read_.pending = true;
}

std::optional<DWORD> WinSerialPort::completed(Transfer& transfer) {
    if (!transfer.pending) return std::nullopt;
    DWORD count = 0;
    if (!GetOverlappedResult(port_, &transfer.overlapped, &count, FALSE)) {
        const DWORD error = GetLastError();
        if (error == ERROR_IO_INCOMPLETE) return std::nullopt;
        transfer.pending = false;
        lose(loss_words_of(error));
        return std::nullopt;
    }
    transfer.pending = false;
    ResetEvent(transfer.overlapped.hEvent);
    return count;
}

void WinSerialPort::finish_read() {
    const auto done = completed(read_);
    if (!done) return;
    const DWORD count = *done;
    if (count == 0) {
        // Without a timeout a read ends only once it has its bytes. Coming back empty, it says
        // the line is gone (a pseudo-terminal's far end that closed, under wine, does this
        // again and again at once: reading on would spin).
        lose(loss_words::hung_up);
        return;
    }
    received_.insert(received_.end(), read_.bytes.begin(), read_.bytes.begin() + count);
    start_read();
    deliver_receive();
}

bool WinSerialPort::start_write() {
    reset(write_.overlapped);
    if (!WriteFile(port_, write_.bytes.data(), static_cast<DWORD>(write_.bytes.size()), nullptr,
                   &write_.overlapped)) {
        const DWORD error = GetLastError();
        if (error != ERROR_IO_PENDING) {
            lose(loss_words_of(error));
            return false;
        }
    }
    write_.pending = true;
    return true;
}

void WinSerialPort::finish_write() {
    const auto count = completed(write_);
    if (!count) return;
    if (*count < write_.bytes.size()) {
        // No write timeout either: a write that ends short did not reach the line.
        lose(loss_words::failed);
        return;
    }
    if (!unsent_.empty()) {
        write_.bytes.swap(unsent_);
        unsent_.clear();
        start_write();
    }
}

void WinSerialPort::deliver_receive() {
    const std::uint64_t session = session_;
    const auto threshold = is_open() && threshold_ > 0 ? static_cast<std::size_t>(threshold_) : 0;
    const bool again = receive_.raise(
        threshold, [this] { return received_.size(); },
        [this, session] { return session == session_ && is_open() && threshold_ > 0; }, on_comm_);
    if (again) {
        receive_check_due_ = true;
        defer();
    }
}

void WinSerialPort::defer() {
    SetEvent(deferred_);
}

void WinSerialPort::on_deferred() {
    ResetEvent(deferred_);
    if (receive_check_due_) {
        receive_check_due_ = false;
        deliver_receive();
    }
    if (loss_report_due_) {
        loss_report_due_ = false;
        // An open that succeeded since makes the report stale: the window would close a live
        // port.
        if (lost_session_ != session_ || is_open()) return;
        const LostHandler handler = on_lost_;  // the handler may replace itself
        if (handler) handler(device_, loss_reason_);
    }
}

void WinSerialPort::lose(const char* reason) {
    if (!is_open()) return;
    shut();
    // Reported from the loop, never from inside the call that found the loss (a write in the
    // window's poll tick, say).
    loss_reason_ = reason;
    lost_session_ = session_;
    loss_report_due_ = true;
    defer();
}

void WinSerialPort::shut() {
    loop_.unwatch(read_.overlapped.hEvent);
    loop_.unwatch(write_.overlapped.hEvent);
    if (read_.pending || write_.pending) CancelIoEx(port_, nullptr);
    // Cancelled operations end at once; their buffers stay untouched until they have.
    for (Transfer* transfer : {&read_, &write_}) {
        if (!transfer->pending) continue;
        DWORD count = 0;
        GetOverlappedResult(port_, &transfer->overlapped, &count, TRUE);
        transfer->pending = false;
    }
    ResetEvent(read_.overlapped.hEvent);
    ResetEvent(write_.overlapped.hEvent);
    CloseHandle(port_);
    port_ = INVALID_HANDLE_VALUE;
    if (claim_ != nullptr) CloseHandle(claim_);
    claim_ = nullptr;
    received_.clear();
    unsent_.clear();
    receive_check_due_ = false;
}

}  // namespace quellbox::link::win
