#include "link/qt_serial_port.h"

#include <QCoreApplication>
#include <QFileInfo>
#include <QMetaObject>
#include <cerrno>

#include "device_facts.h"
#include "direct_line.h"
#include "link/loss_words.h"
#include "link/port_resolver.h"

#ifndef Q_OS_WIN
#include <poll.h>
#include <unistd.h>
#endif

namespace quellbox::link {

namespace {

std::string display_name(const ResolvedPort& port) {
    if (port.description.isEmpty()) return port.device.toStdString();
    return QStringLiteral("%1 (%2)").arg(port.device, port.description).toStdString();
}

// errno of access(path, R_OK | W_OK), or 0 when the current user may read and write it.
int access_errno(const QString& path) {
#ifdef Q_OS_WIN
    Q_UNUSED(path);
    return 0;
#else
    if (::access(QFile::encodeName(path).constData(), R_OK | W_OK) == 0) return 0;
    return errno;
#endif
}

// Sentences for the operator's notice, which names the device itself.
QString hung_up_words() {
    return QCoreApplication::translate(loss_words::context, loss_words::hung_up);
}

QString failed_words() {
    return QCoreApplication::translate(loss_words::context, loss_words::failed);
}

bool device_exists(const QString& path) {
#ifdef Q_OS_WIN
    Q_UNUSED(path);
    return true;  // "COM3" is no file; Qt's own error tells whether it is there
#else
    return QFileInfo::exists(path);
#endif
}

// What poll() says about the port's handle right now, without waiting. Windows has no poll()
// on a COM handle; there Qt's own ResourceError is all that tells a lost port. The handle is a
// file descriptor here and a HANDLE on Windows, and QSerialPort keeps its type's name private.
struct LineState {
    bool hung_up = false;  // POLLHUP: the far end is gone
    bool failed = false;   // POLLERR
};

LineState line_state(auto handle) {
#ifdef Q_OS_WIN
    Q_UNUSED(handle);
    return {};
#else
    if (handle < 0) return {};
    pollfd fd{handle, POLLIN | POLLOUT, 0};
    if (::poll(&fd, 1, 0) < 0) return {};
    return {(fd.revents & POLLHUP) != 0, (fd.revents & POLLERR) != 0};
#endif
}

// Sorts a failed QSerialPort::open into the operator's categories. Qt reports a busy device
// (another program's lock file, or EBUSY from a tty held exclusively) and a device the user may
// not open alike, as PermissionError; `access_error` is errno of access(path, R_OK | W_OK), or
// 0 when that check passed, and tells the two apart.
OpenError classify_open_failure(QSerialPort::SerialPortError error, bool exists, int access_error) {
    if (!exists || error == QSerialPort::DeviceNotFoundError) return OpenError::missing;
    if (error != QSerialPort::PermissionError) return OpenError::other;
    switch (access_error) {
        case 0:
            // We may use the device, so what stood in the way was another program: Qt's lock
            // file of a live process, or a tty another program holds exclusively (EBUSY).
            return OpenError::busy;
        case EACCES:
        case EPERM:
        case EROFS:
            return OpenError::no_permission;
        case ENOENT:
            return OpenError::missing;
        default:
            return OpenError::other;
    }
}

}  // namespace

QtSerialPort::QtSerialPort(QObject* parent) : QObject(parent) {
    connect(&serial_, &QSerialPort::readyRead, this, &QtSerialPort::deliver_receive);
    connect(&serial_, &QSerialPort::errorOccurred, this, &QtSerialPort::on_error);
}

QtSerialPort::~QtSerialPort() {
    // Nothing may reach the handlers while the object is half gone.
    QObject::disconnect(&serial_, nullptr, this, nullptr);
    close();
}

void QtSerialPort::set_comm_port(std::int16_t number) {
    if (number != number_) lost_path_.clear();
    number_ = number;
    device_path_.clear();
}

void QtSerialPort::set_reopen_only_the_lost_device(bool on) {
    reopen_only_the_lost_ = on;
}

void QtSerialPort::set_device_path(const QString& path) {
    device_path_ = path;
}

std::int16_t QtSerialPort::comm_port() const {
    return number_;
}

OpenResult QtSerialPort::open() {
    OpenResult result;
    if (serial_.isOpen()) {
        result.device = device_;
        return result;
    }

    const std::optional<ResolvedPort> port =
        device_path_.isEmpty() ? resolve_port(number_) : ResolvedPort{device_path_, {}};
    if (!port) {
        result.error = OpenError::no_such_port;
        return result;
    }
    if (!lost_path_.isEmpty() && device_path_.isEmpty() && !port->named &&
        port->device != lost_path_) {
        result.error = OpenError::missing;
        result.device = lost_path_.toStdString();
        result.detail = "the number now reaches " + port->device.toStdString();
        return result;
    }

    result.device = display_name(*port);

    serial_.setPortName(port->device);
    serial_.setBaudRate(QSerialPort::Baud9600);
    serial_.setDataBits(QSerialPort::Data8);
    serial_.setParity(QSerialPort::NoParity);
    serial_.setStopBits(QSerialPort::OneStop);
    serial_.setFlowControl(QSerialPort::NoFlowControl);

    // A lock file left by a program that has ended (killed, crashed) would read as "in use"
    // for good. Qt removes such a file only when this user may open it; remove it here, and
    // where this user may not (another user's file in the shared lock folder), say so instead
    // of calling the device busy.
    const QString lock = lock_file_of(port->device);
    if (const auto left = lock_file_holder(lock); left && process_has_ended(left->pid)) {
        if (!QFile::remove(lock) && QFile::exists(lock)) {
            result.error = OpenError::stale_lock;
            result.holder = left;
            result.lock_file = lock.toStdString();
            return result;
        }
    }

    ++qt_depth_;
    const bool opened = serial_.open(QIODevice::ReadWrite);
    if (opened) {
        // Qt 6.4 hands over bytes that waited in the driver before the open (a board that
        // talked while nobody listened): they belong to nobody's question, so they go.
        serial_.clear(QSerialPort::Input);
        serial_.skip(serial_.bytesAvailable());
    }
    --qt_depth_;

    if (!opened) {
        result.error = classify_open_failure(serial_.error(), device_exists(port->device),
                                             access_errno(port->device));
        result.detail = serial_.errorString().toStdString();
        if (result.error == OpenError::busy) {
            // Qt's lock file names the holder; a tty held exclusively (EBUSY) does not, but
            // the process that has it open may be visible.
            result.holder = lock_file_holder(lock);
            if (!result.holder) result.holder = process_holding(port->device);
        } else if (result.error == OpenError::no_permission) {
            result.access = device_access(port->device);
        }
        return result;
    }
    if (loss_pending_) {
        // The device vanished while it was being opened: to the caller the open failed.
        closing_ = true;
        serial_.close();
        closing_ = false;
        loss_pending_ = false;
        result.error = OpenError::missing;
        result.detail = loss_reason_.toStdString();
        return result;
    }

    ++session_;
    device_ = result.device;
    opened_path_ = port->device;
    lost_path_.clear();
    std::unique_ptr<DirectLine> line = take_over_line(
        serial_, {[this] { deliver_receive(); },
                  // The system's own words (strerror) stay out of the operator's notice.
                  [this](DirectLine::Loss loss, const std::string& /*detail*/) {
                      const QString reason =
                          loss == DirectLine::Loss::hung_up ? hung_up_words() : failed_words();
                      if (!closing_ && !loss_pending_ && serial_.isOpen()) lose(reason);
                  }});
    if (line) {
        line_ = line.release();
        line_->setParent(this);
        line_->set_threshold(static_cast<std::size_t>(std::max<std::int16_t>(threshold_, 1)));
    }
    return result;
}

void QtSerialPort::close() {
    if (!serial_.isOpen()) return;
    retire_line();
    closing_ = true;
    serial_.close();
    closing_ = false;
    loss_pending_ = false;
}

bool QtSerialPort::is_open() const {
    return serial_.isOpen();
}

void QtSerialPort::set_rthreshold(std::int16_t bytes) {
    threshold_ = bytes;
    if (line_ != nullptr)
        line_->set_threshold(static_cast<std::size_t>(std::max<std::int16_t>(bytes, 1)));
    // Bytes may already wait; they deserve their event as if they had just arrived.
    if (serial_.isOpen() && threshold_ > 0) queue_receive_check();
}

void QtSerialPort::clear_input() {
    if (!serial_.isOpen()) return;
    if (line_ != nullptr) {
        line_->clear();
        return;
    }
    enter_qt();
    // clear() drops the driver's queue (tcflush) and Qt's buffer; skipping what is still
    // buffered afterwards makes sure nothing read before this call can come out of input().
    serial_.clear(QSerialPort::Input);
    serial_.skip(serial_.bytesAvailable());
    leave_qt();
}

bool QtSerialPort::output(std::span<const std::uint8_t> bytes) {
    if (!serial_.isOpen()) return false;
    if (bytes.empty()) return true;
    enter_qt();
    if (line_ != nullptr) {
        // Almost always the driver takes the whole frame; what it could not take goes the
        // slower way through Qt's buffer.
        const std::optional<std::size_t> took = line_->write(bytes);
        bytes = bytes.subspan(took.value_or(bytes.size()));
    }
    const auto size = static_cast<qint64>(bytes.size());
    const bool queued =
        size == 0 || serial_.write(reinterpret_cast<const char*>(bytes.data()), size) == size;
    // Hand the bytes to the driver now instead of at the next turn of the event loop, so a
    // write error shows here and the frame leaves before anything else happens.
    if (queued && size > 0) serial_.flush();
    leave_qt();
    return queued && serial_.isOpen();
}

std::optional<std::uint8_t> QtSerialPort::input() {
    if (!serial_.isOpen()) return std::nullopt;
    if (line_ != nullptr) return line_->take();
    char byte = 0;
    if (!serial_.getChar(&byte)) return std::nullopt;
    return static_cast<std::uint8_t>(byte);
}

std::int16_t QtSerialPort::comm_event() const {
    return receive_.code();
}

void QtSerialPort::set_on_comm(Handler handler) {
    on_comm_ = std::move(handler);
}

void QtSerialPort::set_on_lost(LostHandler handler) {
    on_lost_ = std::move(handler);
}

void QtSerialPort::leave_qt() {
    if (--qt_depth_ == 0 && loss_pending_) finish_loss();
}

void QtSerialPort::on_error(QSerialPort::SerialPortError error) {
    // NoError comes with every open; UnsupportedOperationError with the modem-line ioctls that
    // a pseudo-terminal refuses. Neither says anything about the line.
    if (error == QSerialPort::NoError || error == QSerialPort::UnsupportedOperationError) return;
    if (closing_ || loss_pending_ || !serial_.isOpen()) return;

    // When the far end hangs up, Qt 6.4 keeps reporting read errors from its socket notifier,
    // millions of times a second, until the port is closed. A read error alone is not a
    // disconnect, though: clear() on a live pty has been seen to raise spurious ones. The
    // handle's poll() state tells the two apart.
    const auto [hung_up, failed] = line_state(serial_.handle());
    const bool lost = error == QSerialPort::ResourceError ||
                      ((error == QSerialPort::ReadError || error == QSerialPort::WriteError) &&
                       (hung_up || failed));
    if (!lost) return;

    if (hung_up) {
        lose(hung_up_words());
    } else if (failed) {
        lose(failed_words());
    } else {
        lose(QCoreApplication::translate(loss_words::context, loss_words::refused));
    }
}

void QtSerialPort::lose(const QString& reason) {
    loss_reason_ = reason;
    loss_pending_ = true;
    if (qt_depth_ == 0) finish_loss();
}

void QtSerialPort::retire_line() {
    if (line_ == nullptr) return;
    // Its own callback may be what closes the port: it goes once that has returned.
    line_->shut();
    line_->deleteLater();
    line_ = nullptr;
}

std::size_t QtSerialPort::waiting() const {
    if (line_ != nullptr) return line_->waiting();
    return static_cast<std::size_t>(serial_.bytesAvailable());
}

void QtSerialPort::finish_loss() {
    loss_pending_ = false;
    if (reopen_only_the_lost_) lost_path_ = opened_path_;
    retire_line();
    closing_ = true;
    serial_.close();
    closing_ = false;

    // The report goes out from the event loop, never from inside a call the window made into
    // this port (a write in its poll tick) nor from inside Qt's notifier. A successful open()
    // before it is delivered makes it stale: the window would otherwise close a live port.
    const std::uint64_t session = session_;
    QMetaObject::invokeMethod(
        this,
        [this, session, device = device_, reason = loss_reason_.toStdString()] {
            if (session != session_ || serial_.isOpen()) return;
            const LostHandler handler = on_lost_;  // the handler may replace itself
            if (handler) handler(device, reason);
        },
        Qt::QueuedConnection);
}

void QtSerialPort::queue_receive_check() {
    if (check_queued_) return;
    check_queued_ = true;
    QMetaObject::invokeMethod(
        this,
        [this] {
            check_queued_ = false;
            deliver_receive();
        },
        Qt::QueuedConnection);
}

void QtSerialPort::deliver_receive() {
    const std::uint64_t session = session_;
    const auto threshold =
        serial_.isOpen() && threshold_ > 0 ? static_cast<std::size_t>(threshold_) : 0;
    const bool again = receive_.raise(
        threshold, [this] { return waiting(); },
        [this, session] { return session == session_ && serial_.isOpen() && threshold_ > 0; },
        on_comm_);
    if (again) queue_receive_check();
}

}  // namespace quellbox::link
