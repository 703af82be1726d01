#pragma once
// Measure mode's stamps. The application watches the window's events as they pass through
// QApplication::notify (the poll tick, the channels' paints); the pass-through port reports each
// receive event. Each is stamped with its time and the heap allocations it made, into buffers
// reserved up front: growing them while measuring would allocate.

#include <QApplication>
#include <QString>
#include <array>
#include <cstdint>
#include <vector>

#include "controller/window_surface.h"
#include "tools/pass_through_port.h"

namespace quellbox::ui {
class MainForm;
}  // namespace quellbox::ui
namespace quellbox::link {
class PreciseTicker;
}  // namespace quellbox::link

namespace quellbox::bench {

struct TickSample {
    std::int64_t start = 0;
    std::uint64_t allocations = 0;
};

struct ReceiveSample {
    std::int64_t start = 0;
    std::int64_t end = 0;
    bool accepted = false;
    bool changed = false;  // some channel's look differs after the handler
    std::uint64_t allocations = 0;
    std::int64_t paint_end = 0;  // end of the last channel paint this frame caused
};

struct ClickSample {
    std::int64_t t = 0;
    QString frame;  // the command frame the click must produce, as the board logs it
};

class TimingRecorder final : public tools::PortObserver, public QApplication {
  public:
    TimingRecorder(int& argc, char** argv);
    // From now on the window's ticks, paints and receive events are stamped.
    void watch(const ui::MainForm& form, const link::PreciseTicker& timer1) {
        form_ = &form;
        timer1_ = &timer1;
    }

    bool notify(QObject* receiver, QEvent* event) override;
    void receive_begins() override;
    void receive_ends(std::span<const std::uint8_t> bytes) override;

    std::vector<TickSample> ticks;
    std::vector<ReceiveSample> receives;
    std::vector<ClickSample> clicks;
    std::int64_t first_tick = 0;
    std::int64_t first_accept = 0;

  private:
    const ui::MainForm* form_ = nullptr;
    const link::PreciseTicker* timer1_ = nullptr;
    std::int64_t started_ = 0;
    std::uint64_t allocations_at_start_ = 0;
    std::array<controller::Colour, controller::channel_count + 1> colours_before_{};
    int paint_target_ = -1;  // the receive sample whose frame the next channel paints show
};

}  // namespace quellbox::bench
