#include "direct_line.h"

#include <QSerialPort>

#include "reply_forecast.h"

// The only system-specific part of the serial adapter: everywhere else the port stays on Qt's
// own reading and writing.
#ifdef Q_OS_LINUX
#include <poll.h>
#include <sys/timerfd.h>
#include <termios.h>
#include <unistd.h>

#include <QSocketNotifier>
#include <algorithm>
#include <array>
#include <cerrno>
#include <chrono>
#include <cstring>

#include "link/timespec_of.h"
#endif

namespace quellbox::link {

#ifdef Q_OS_LINUX
namespace {

using Clock = ReplyForecast::Clock;

// The handle and an alarm (a timerfd), each under a QSocketNotifier of its own. Pausing the
// handle switches its notifier off, which on Qt's own event loop (the window's and the bridge's)
// is bookkeeping without a system call. An epoll set holding both, as the line once had, was
// asked about its ready list at every turn of the loop and changed by two epoll_ctl calls per
// reply. The handle is watched level-triggered from the end of one reply to
// the next frame and while a reply's first byte is awaited, never while the line waits for the
// rest of a reply, nor while its buffer is full. A hang-up keeps the handle readable, so it is
// seen at the next look or wake-up and, since every poll writes, within a tick.
class NotifierLine final : public DirectLine {
  public:
    NotifierLine(int handle, int alarm, Handlers handlers)
        : handle_(handle),
          alarm_(alarm),
          reader_(handle, QSocketNotifier::Read, this),
          alarm_notifier_(alarm, QSocketNotifier::Read, this),
          handlers_(std::move(handlers)) {
        connect(&reader_, &QSocketNotifier::activated, this, [this] { on_activity(false); });
        connect(&alarm_notifier_, &QSocketNotifier::activated, this, &NotifierLine::on_alarm);
    }
    ~NotifierLine() override { shut(); }

    void set_threshold(std::size_t bytes) override { threshold_ = std::max<std::size_t>(bytes, 1); }
    std::size_t waiting() const override { return count_; }

    std::optional<std::uint8_t> take() override {
        if (count_ == 0) return std::nullopt;
        const std::uint8_t byte = buffer_[head_];
        ++head_;
        if (--count_ == 0) head_ = 0;
        if (!watching_ && !quiet_) watch(true);  // it was full
        return byte;
    }

    void clear() override {
        if (alarm_ < 0) return;
        ::tcflush(handle_, TCIFLUSH);
        head_ = 0;
        count_ = 0;
        disarm();
        watch(true);
    }

    std::optional<std::size_t> write(std::span<const std::uint8_t> bytes) override {
        if (alarm_ < 0) return std::nullopt;
        // Settled before the frame goes, so that the reply's first byte cannot wake us.
        const std::optional<Clock::time_point> whole_at =
            count_ < threshold_ ? forecast_.written(Clock::now(), threshold_) : std::nullopt;
        if (whole_at) watch(false);
        const ssize_t n = ::write(handle_, bytes.data(), bytes.size());
        if (n < 0 && errno != EAGAIN && errno != EINTR) {
            lose(errno == EIO ? Loss::hung_up : Loss::failed, std::strerror(errno));
            return std::nullopt;
        }
        const std::size_t took = n < 0 ? 0 : static_cast<std::size_t>(n);
        if (whole_at && took == bytes.size()) {
            arm_at(*whole_at);
        } else if (whole_at) {
            watch(true);
        }
        return took;
    }

    void shut() override {
        if (alarm_ < 0) return;
        reader_.setEnabled(false);
        alarm_notifier_.setEnabled(false);
        ::close(alarm_);
        alarm_ = -1;
    }

  private:
    enum class Fill { got, nothing, lost };

    void on_alarm() {
        std::uint64_t expirations = 0;
        (void)!::read(alarm_, &expirations, sizeof expirations);
        // A reply handed on by a wake-up of the handle in the same turn of the loop has
        // already called the look off.
        if (quiet_) on_activity(true);
    }

    void on_activity(bool alarm_rang) {
        if (alarm_rang) quiet_ = false;
        const Fill fill = read_handle();
        if (fill == Fill::lost) return;  // reported; nothing here may be touched any more
        if (fill == Fill::got) {
            if (alarm_rang) {
                forecast_.looked(count_, threshold_);
            } else {
                forecast_.woke(Clock::now(), count_, threshold_);
            }
        }

        // Full, nobody takes: the rest stays in the driver, unwatched until some are taken (a
        // readable handle watched would call us back at every turn of the loop).
        const bool full = count_ == buffer_.size();
        if (count_ >= threshold_) {
            forecast_.answered();
            disarm();
            watch(!full);
            if (fill == Fill::got && handlers_.arrived) handlers_.arrived();
            return;
        }
        if (full) {
            watch(false);
            return;
        }
        if (fill == Fill::got && !alarm_rang) {
            // A reply has started: look again once the rest can be on the wire.
            watch(false);
            arm(threshold_ - count_);
        } else {
            // After a quiet period that did not complete it, the next byte wakes us (and may
            // start another).
            watch(true);
        }
    }

    Fill read_handle() {
        if (count_ == buffer_.size()) return Fill::nothing;
        if (head_ + count_ == buffer_.size()) {
            std::memmove(buffer_.data(), buffer_.data() + head_, count_);
            head_ = 0;
        }
        std::uint8_t* free_space = buffer_.data() + head_ + count_;
        const ssize_t n = ::read(handle_, free_space, buffer_.size() - head_ - count_);
        if (n > 0) {
            count_ += static_cast<std::size_t>(n);
            return Fill::got;
        }
        if (n < 0) {
            if (errno == EAGAIN || errno == EINTR) return Fill::nothing;
            lose(errno == EIO ? Loss::hung_up : Loss::failed, std::strerror(errno));
            return Fill::lost;
        }
        // The port reads with VMIN 0, so an empty queue reads as 0 bytes: only the handle's
        // poll state tells a hang-up.
        pollfd state{handle_, POLLIN, 0};
        if (::poll(&state, 1, 0) > 0 && (state.revents & (POLLHUP | POLLERR)) != 0) {
            lose((state.revents & POLLHUP) != 0 ? Loss::hung_up : Loss::failed, {});
            return Fill::lost;
        }
        return Fill::nothing;
    }

    void watch(bool on) {
        if (watching_ == on || alarm_ < 0) return;
        reader_.setEnabled(on);
        watching_ = on;
    }

    void arm(std::size_t missing_bytes) {
        arm_at(Clock::now() + static_cast<Clock::rep>(missing_bytes) * byte_time +
               ReplyForecast::margin);
    }

    void arm_at(Clock::time_point t) {
        itimerspec setting{};
        setting.it_value = timespec_of(t.time_since_epoch());
        ::timerfd_settime(alarm_, TFD_TIMER_ABSTIME, &setting, nullptr);
        quiet_ = true;
    }

    void disarm() {
        if (!quiet_) return;
        const itimerspec off{};
        ::timerfd_settime(alarm_, 0, &off, nullptr);
        quiet_ = false;
    }

    // Stops everything first: the handler may close the port and let go of this line.
    void lose(Loss loss, const std::string& detail) {
        shut();
        if (handlers_.lost) handlers_.lost(loss, detail);
    }

    int handle_;
    int alarm_;  // -1 once shut
    QSocketNotifier reader_;
    QSocketNotifier alarm_notifier_;
    Handlers handlers_;
    ReplyForecast forecast_;
    std::array<std::uint8_t, 256> buffer_{};
    std::size_t head_ = 0;
    std::size_t count_ = 0;
    std::size_t threshold_ = 1;
    bool watching_ = true;
    bool quiet_ = false;
};

}  // namespace

std::unique_ptr<DirectLine> take_over_line(QSerialPort& port, DirectLine::Handlers handlers) {
    const int handle = static_cast<int>(port.handle());
    if (handle < 0) return nullptr;
    // Qt's read notifier has to go quiet, or it would take the bytes first. Without one that
    // can be found, Qt keeps the port.
    QSocketNotifier* qt_reader = nullptr;
    for (QSocketNotifier* n : port.findChildren<QSocketNotifier*>(Qt::FindDirectChildrenOnly)) {
        if (n->type() == QSocketNotifier::Read && n->socket() == handle) qt_reader = n;
    }
    if (qt_reader == nullptr) return nullptr;

    const int alarm = ::timerfd_create(CLOCK_MONOTONIC, TFD_NONBLOCK | TFD_CLOEXEC);
    if (alarm < 0) return nullptr;
    qt_reader->setEnabled(false);
    return std::make_unique<NotifierLine>(handle, alarm, std::move(handlers));
}

#else

std::unique_ptr<DirectLine> take_over_line(QSerialPort&, DirectLine::Handlers) {
    return nullptr;
}

#endif

}  // namespace quellbox::link
