#pragma once
// What both bench modes take from the window: the moments that setting up waits for (first
// tick, first paint, first status frame accepted) and, for every receive event, whether it
// accepted a status frame and whether that changed a look. The timing recorder and the
// callgrind profiler build on it.

#include <array>
#include <cstdint>
#include <span>

#include "controller/looks.h"
#include "tools/pass_through_port.h"
#include "watched_events.h"

namespace quellbox::bench {

struct Milestones {
    std::int64_t first_tick = 0;
    std::int64_t first_paint = 0;
    std::int64_t first_accept = 0;
    std::int64_t last_tick_start = 0;
};

class WindowObserver : public EventObserver, public tools::PortObserver {
  public:
    void attach(const ui::MainForm& form) { form_ = &form; }
    const Milestones& milestones() const { return milestones_; }

    void begin(Watch watch) final;
    void end(Watch watch) final;
    bool painted() const final { return milestones_.first_paint != 0; }
    void receive_begins() final;
    void receive_ends(std::span<const std::uint8_t> bytes) final;

  protected:
    virtual void on_begin(Watch /*watch*/) {}
    virtual void on_end(Watch /*watch*/, std::int64_t /*start*/, std::int64_t /*end*/) {}
    virtual void on_receive_begins() {}
    virtual void on_receive_ends(std::int64_t /*start*/, std::int64_t /*end*/, bool /*accepted*/,
                                 bool /*changed*/) {}
    // Around this class's own look-taking, which a profile must not count.
    virtual void own_work_begins() {}
    virtual void own_work_ends() {}

  private:
    bool looks_changed() const;

    const ui::MainForm* form_ = nullptr;
    Milestones milestones_;
    std::int64_t event_start_ = 0;
    std::int64_t receive_start_ = 0;
    std::array<controller::Colour, controller::channel_count + 1> colours_before_{};
};

}  // namespace quellbox::bench
