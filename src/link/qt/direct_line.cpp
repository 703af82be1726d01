#include "direct_line.h"

#include <QSerialPort>

#include "reply_forecast.h"

// The only system-specific part of the serial adapter: everywhere else the port stays on Qt's
// own reading and writing.
#ifdef Q_OS_LINUX
#include <poll.h>
#include <sys/epoll.h>
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

// The handle and an alarm (a timerfd) in one epoll set, which one QSocketNotifier watches for
// good: pausing the handle is an epoll_ctl, not a notifier switched off and on, which with
// GLib's event loop would allocate and wake the loop each time. epoll reports a hang-up of the
// handle even while it is paused. Both are edge-triggered: each expiry of the alarm is reported
// once, so it need not be read; and the handle is looked at only when bytes arrive. Watched
// level-triggered, every turn of the event loop made the kernel ask the tty whether input
// waits, and that question waits for any byte the driver is handing over at that moment.
class EpollLine final : public DirectLine {
  public:
    EpollLine(int handle, int epoll, int alarm, Handlers handlers)
        : handle_(handle),
          epoll_(epoll),
          alarm_(alarm),
          notifier_(epoll, QSocketNotifier::Read, this),
          handlers_(std::move(handlers)) {
        connect(&notifier_, &QSocketNotifier::activated, this, &EpollLine::on_activity);
    }
    ~EpollLine() override { shut(); }

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
        if (epoll_ < 0) return;
        ::tcflush(handle_, TCIFLUSH);
        head_ = 0;
        count_ = 0;
        disarm();
        watch(true);
    }

    std::optional<std::size_t> write(std::span<const std::uint8_t> bytes) override {
        if (epoll_ < 0) return std::nullopt;
        // Whether to look for the reply only once it can be whole is settled before the frame
        // goes: pausing the handle makes the kernel look at it, and right after the write that
        // look may have to wait until the board's first byte has been processed.
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
        if (epoll_ < 0) return;
        notifier_.setEnabled(false);
        ::close(epoll_);
        ::close(alarm_);
        epoll_ = -1;
        alarm_ = -1;
    }

  private:
    enum class Fill { got, nothing, lost };

    void on_activity() {
        std::array<epoll_event, 2> events{};
        const int ready = ::epoll_wait(epoll_, events.data(), events.size(), 0);
        bool alarm_rang = false;
        bool hung_up = false;
        for (int i = 0; i < ready; ++i) {
            if (events[static_cast<std::size_t>(i)].data.fd == alarm_) {
                alarm_rang = true;
            } else if ((events[static_cast<std::size_t>(i)].events & (EPOLLHUP | EPOLLERR)) != 0) {
                hung_up = true;
            }
        }
        if (alarm_rang) quiet_ = false;
        // Reported once only: remembered until the bytes read with it have been handed on.
        hung_up_ = hung_up_ || hung_up;

        const Fill fill = read_handle();
        if (fill == Fill::lost) return;  // reported; nothing here may be touched any more
        if (hung_up_ && fill == Fill::nothing) {
            lose(Loss::hung_up, {});
            return;
        }
        if (fill == Fill::got) {
            if (alarm_rang) {
                forecast_.looked(count_, threshold_);
            } else {
                forecast_.woke(Clock::now(), count_, threshold_);
            }
        }

        if (count_ >= threshold_) {
            forecast_.answered();
            disarm();
            watch(true);
            come_back_for_hang_up();
            if (fill == Fill::got && handlers_.arrived) handlers_.arrived();
            return;
        }
        if (count_ == buffer_.size()) {  // nobody takes: leave the rest in the driver
            watch(false);
            come_back_for_hang_up();
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
        come_back_for_hang_up();
    }

    // A hang-up that came with bytes is told once those have been handed on: the alarm brings
    // us back at once, and the next look finds nothing more to read.
    void come_back_for_hang_up() {
        if (hung_up_) arm_at(Clock::now());
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
        if (watching_ == on || epoll_ < 0) return;
        epoll_event event{};
        // Hang-ups and errors are reported either way.
        event.events = std::uint32_t{EPOLLET} | (on ? std::uint32_t{EPOLLIN} : 0U);
        event.data.fd = handle_;
        ::epoll_ctl(epoll_, EPOLL_CTL_MOD, handle_, &event);
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
    int epoll_;
    int alarm_;
    QSocketNotifier notifier_;
    Handlers handlers_;
    ReplyForecast forecast_;
    std::array<std::uint8_t, 256> buffer_{};
    std::size_t head_ = 0;
    std::size_t count_ = 0;
    std::size_t threshold_ = 1;
    bool watching_ = true;
    bool quiet_ = false;
    bool hung_up_ = false;
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

    const int epoll = ::epoll_create1(EPOLL_CLOEXEC);
    const int alarm = ::timerfd_create(CLOCK_MONOTONIC, TFD_NONBLOCK | TFD_CLOEXEC);
    epoll_event watched{};
    watched.events = std::uint32_t{EPOLLIN} | std::uint32_t{EPOLLET};
    watched.data.fd = handle;
    epoll_event alarm_event{};
    alarm_event.events = std::uint32_t{EPOLLIN} | std::uint32_t{EPOLLET};
    alarm_event.data.fd = alarm;
    if (epoll < 0 || alarm < 0 || ::epoll_ctl(epoll, EPOLL_CTL_ADD, handle, &watched) != 0 ||
        ::epoll_ctl(epoll, EPOLL_CTL_ADD, alarm, &alarm_event) != 0) {
        if (epoll >= 0) ::close(epoll);
        if (alarm >= 0) ::close(alarm);
        return nullptr;
    }
    qt_reader->setEnabled(false);
    return std::make_unique<EpollLine>(handle, epoll, alarm, std::move(handlers));
}

#else

std::unique_ptr<DirectLine> take_over_line(QSerialPort&, DirectLine::Handlers) {
    return nullptr;
}

#endif

}  // namespace quellbox::link
