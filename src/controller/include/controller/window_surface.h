#pragma once
// Everything the window's logic does to the window, and nothing more. The Qt window implements
// it; tests implement it with a recorder. No toolkit type crosses this line: texts are UTF-8,
// colours are the 32-bit values the logic writes and expects back unchanged.
//
// Writes that change a text or a spin-bar value raise that control's change event at once,
// before the write returns, exactly as an operator's edit does; writing the value a spin bar
// already holds raises nothing.

#include <cstdint>
#include <string>
#include <string_view>

#include "link/frames.h"
#include "link/serial_port.h"

namespace quellbox::controller {

// RGB(r, g, b) = r + 256 g + 65536 b; a value with the top bit set names a system colour by
// its low byte (0x80000011: grey text).
using Colour = std::uint32_t;

using link::channel_count;

class WindowSurface {
  public:
    virtual ~WindowSurface() = default;

    // Picture1(n), n = 1 to 16: the indicator's colour. Reading yields exactly the value last
    // written, never a resolved colour.
    virtual void set_indicator_colour(int n, Colour colour) = 0;
    virtual Colour indicator_colour(int n) const = 0;
    // Label2(n): the caption shown on top of indicator n.
    virtual void set_caption(int n, std::string_view text) = 0;

    virtual void set_openall_enabled(bool enabled) = 0;
    virtual void set_closeall_enabled(bool enabled) = 0;
    // Timer1: one tick every 50 ms while enabled.
    virtual void set_timer_enabled(bool enabled) = 0;
    // chuankou_num: a disabled field takes no typing but still accepts a written text.
    virtual void set_port_field_enabled(bool enabled) = 0;
    virtual void set_open_comm_caption(std::string_view text) = 0;

    // `add`, the board address, read afresh whenever a frame is built.
    virtual std::string add_text() const = 0;
    virtual void set_add_text(std::string_view text) = 0;
    // `chuankou_num`, the port number, read when the port is opened.
    virtual std::string port_text() const = 0;
    virtual void set_port_text(std::string_view text) = 0;

    // VScroll1 (address) and VScroll2 (port): values 0 to 255; a write outside that range is
    // refused and the bar keeps its value.
    virtual std::int16_t vscroll1_value() const = 0;
    virtual void set_vscroll1_value(std::int16_t value) = 0;
    virtual std::int16_t vscroll2_value() const = 0;
    virtual void set_vscroll2_value(std::int16_t value) = 0;

    // Shows whether the field's text is one its spin bar could take (false: e.g. red text).
    virtual void set_add_text_refused(bool refused) = 0;
    virtual void set_port_text_refused(bool refused) = 0;

    // Operator notices. They must not block: the caller is an event handler that has to
    // return to the event loop (no modal loop inside a handler).
    // `port_text` is the port number as typed; the result says what stood in the way.
    virtual void notify_open_failed(std::string_view port_text, const link::OpenResult& result) = 0;
    virtual void notify_port_lost(std::string_view device, std::string_view reason) = 0;
};

}  // namespace quellbox::controller
