#pragma once
// The poll tick of every program of the suite, the window's and the companions' alike: a
// periodic timer on the clock's own grid, tick n falls due at start + n intervals, to well
// under a millisecond. Qt rounds every timer's wait up to a whole millisecond, so its ticks
// wander by up to one, and a board sees that as an uneven poll. On Linux a periodic timerfd
// drives the ticks; elsewhere, or when no timerfd can be had, a precise QTimer does. Ticks the
// event loop was too busy to take come as one, as with QTimer.
//
// The same timer also fires once at a moment of the steady clock (fire_at), for a poll that
// keeps its grid itself and wakes early when a command may go: the companions' session.

#include <QObject>
#include <QTimer>
#include <chrono>

class QSocketNotifier;

namespace quellbox::link {

class PreciseTicker : public QObject {
    Q_OBJECT
  public:
    PreciseTicker(std::chrono::milliseconds interval, QObject* parent);
    ~PreciseTicker() override;
    PreciseTicker(const PreciseTicker&) = delete;
    PreciseTicker& operator=(const PreciseTicker&) = delete;

    std::chrono::milliseconds interval() const { return interval_; }
    bool is_active() const { return active_; }
    // The first tick one interval from now.
    void start();
    // One timeout at `at` (at once if it has passed), replacing whatever was set before.
    void fire_at(std::chrono::steady_clock::time_point at);
    void stop();

  Q_SIGNALS:
    void timeout();

  private:
    void on_ready();

    std::chrono::milliseconds interval_;
    bool active_ = false;
    bool once_ = false;  // fire_at: inactive again after its timeout
    int fd_ = -1;
    QSocketNotifier* notifier_ = nullptr;
    QTimer fallback_;
};

}  // namespace quellbox::link
