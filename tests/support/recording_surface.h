#pragma once
// A window surface that records every write in order ("colour 3 ffff", "caption 3 状态未知",
// "openall 0", ...) and behaves like the real controls where the logic relies on it: reading a
// colour yields the value written, spin bars refuse values outside 0..255, and writing a new
// text or bar value raises the control's change event at once, through the hooks below.

#include <array>
#include <cstdio>
#include <functional>
#include <string>
#include <vector>

#include "controller/looks.h"
#include "controller/window_surface.h"

namespace quellbox::test {

class RecordingSurface : public controller::WindowSurface {
  public:
    std::vector<std::string> log;
    std::array<controller::Colour, 17> colours{};  // [0] unused
    std::array<std::string, 17> captions{};
    bool openall = true, closeall = true, timer = true, port_field = true;
    std::string open_comm_caption = std::string(controller::caption_open_port);
    std::string add = "1", port = "1";
    std::int16_t vscroll1 = 1, vscroll2 = 1;
    bool add_refused = false, port_refused = false;
    std::vector<std::string> notices;

    // Change events; wire them to the logic's handlers.
    std::function<void()> on_add_change, on_port_change, on_vscroll1_change, on_vscroll2_change;

    RecordingSurface() {
        colours.fill(controller::not_known_look.colour);
        captions.fill(std::string(controller::not_known_look.caption));
    }

    // The log lines that the two writes of a channel look produce, for expected logs.
    static std::string colour_line(int n, controller::Colour colour) {
        char hex[16];
        std::snprintf(hex, sizeof hex, "%x", colour);
        return "colour " + std::to_string(n) + " " + hex;
    }
    static std::string caption_line(int n, std::string_view text) {
        return "caption " + std::to_string(n) + " " + std::string(text);
    }

    // The log of giving every channel, 1 to 16, the same look.
    static std::vector<std::string> all_channels_lines(controller::Colour colour,
                                                       std::string_view text) {
        std::vector<std::string> lines;
        for (int n = 1; n <= controller::channel_count; ++n) {
            lines.push_back(colour_line(n, colour));
            lines.push_back(caption_line(n, text));
        }
        return lines;
    }

    void set_indicator_colour(int n, controller::Colour colour) override {
        log.push_back(colour_line(n, colour));
        colours.at(static_cast<std::size_t>(n)) = colour;
    }
    controller::Colour indicator_colour(int n) const override {
        return colours.at(static_cast<std::size_t>(n));
    }
    void set_caption(int n, std::string_view text) override {
        log.push_back(caption_line(n, text));
        captions.at(static_cast<std::size_t>(n)) = text;
    }
    void set_openall_enabled(bool e) override { flag("openall", openall, e); }
    void set_closeall_enabled(bool e) override { flag("closeall", closeall, e); }
    void set_timer_enabled(bool e) override { flag("timer", timer, e); }
    void set_port_field_enabled(bool e) override { flag("port_field", port_field, e); }
    void set_open_comm_caption(std::string_view text) override {
        log.push_back("open_comm " + std::string(text));
        open_comm_caption = text;
    }

    std::string add_text() const override { return add; }
    void set_add_text(std::string_view text) override { write_text(add, text, on_add_change); }
    std::string port_text() const override { return port; }
    void set_port_text(std::string_view text) override { write_text(port, text, on_port_change); }

    std::int16_t vscroll1_value() const override { return vscroll1; }
    void set_vscroll1_value(std::int16_t v) override { write_bar(vscroll1, v, on_vscroll1_change); }
    std::int16_t vscroll2_value() const override { return vscroll2; }
    void set_vscroll2_value(std::int16_t v) override { write_bar(vscroll2, v, on_vscroll2_change); }

    void set_add_text_refused(bool r) override { add_refused = r; }
    void set_port_text_refused(bool r) override { port_refused = r; }

    // "open failed: <port text>: <error number> <device>".
    void notify_open_failed(std::string_view port_text, const link::OpenResult& result) override {
        notices.push_back("open failed: " + std::string(port_text) + ": " +
                          std::to_string(static_cast<int>(result.error)) + " " + result.device);
    }
    void notify_port_lost(std::string_view device, std::string_view reason) override {
        notices.push_back("port lost: " + std::string(device) + ": " + std::string(reason));
    }

    // The operator types: the text changes and its change event runs.
    void type_add(std::string_view text) { write_text(add, text, on_add_change); }
    void type_port(std::string_view text) { write_text(port, text, on_port_change); }

  private:
    void flag(const char* name, bool& field, bool value) {
        log.push_back(std::string(name) + " " + (value ? "1" : "0"));
        field = value;
    }
    static void write_text(std::string& field, std::string_view text,
                           const std::function<void()>& changed) {
        if (field == text) return;  // like a text box: no change, no event
        field = text;
        if (changed) changed();
    }
    static void write_bar(std::int16_t& field, std::int16_t value,
                          const std::function<void()>& changed) {
        if (value < 0 || value > 255 || value == field) return;
        field = value;
        if (changed) changed();
    }
};

}  // namespace quellbox::test
