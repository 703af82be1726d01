#pragma once
// Trying something again after a pause that doubles with every failure, up to a longest
// pause: how every program of the suite reopens a lost serial port or reconnects to a broker.
// A resource that stays away costs one attempt per pause and never a busy loop; one that comes
// back quickly is found quickly. Runs on the event loop: the attempt is a queued call, never
// made from inside schedule().

#include <QObject>
#include <QTimer>
#include <chrono>
#include <functional>

namespace quellbox::runtime {

class GrowingPause final : public QObject {
  public:
    GrowingPause(std::chrono::milliseconds first, std::chrono::milliseconds longest,
                 std::function<void()> attempt);

    // The next attempt after the current pause; the pause after it is twice as long (at most
    // the longest). A pending attempt is moved, not doubled up.
    void schedule();
    // After a success: the next failure starts again from the first pause.
    void reset();
    void cancel();
    bool is_pending() const { return timer_.isActive(); }
    std::chrono::milliseconds longest() const { return longest_; }

  private:
    std::chrono::milliseconds first_;
    std::chrono::milliseconds longest_;
    std::chrono::milliseconds next_;
    QTimer timer_;
};

}  // namespace quellbox::runtime
