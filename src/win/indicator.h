#pragma once
// Picture1(n) on Windows: a box of its own window class, filled with the channel's colour and
// sunk into the form, with Label2(n), a transparent static text, on top. The box tells its
// channel's name and state in words as its window text ("第一路: 吸合"), which is what a screen
// reader reads for it. It takes the focus with Tab, shows it with a focus frame, and Space
// presses it like a click.

#include <windows.h>

#include <functional>
#include <string_view>

#include "controller/window_surface.h"

namespace quellbox::win {

// The identifiers of the box and of its caption, for channel n.
constexpr int indicator_id(int n) {
    return 300 + n;
}
constexpr int caption_id(int n) {
    return 400 + n;
}

class Indicator {
  public:
    using Click = std::function<void(int channel)>;

    Indicator(HWND parent, int channel, controller::Colour colour, Click on_box, Click on_caption);
    ~Indicator();
    Indicator(const Indicator&) = delete;
    Indicator& operator=(const Indicator&) = delete;

    HWND box() const { return box_; }
    HWND caption() const { return caption_; }

    // The value exactly as written; the screen shows it resolved (a system colour by its index).
    controller::Colour colour() const { return colour_; }
    void set_colour(controller::Colour colour);
    void set_caption(std::string_view text);
    // Paints the colour again as the system now resolves it (the system colours changed).
    void resolve_again();
    // Places the box and its caption for this dpi and gives the caption its font.
    void place(UINT dpi, HFONT caption_font);

  private:
    static LRESULT CALLBACK procedure(HWND window, UINT message, WPARAM w, LPARAM l);
    LRESULT handle(UINT message, WPARAM w, LPARAM l);
    void paint();
    void describe_state();

    int channel_;
    controller::Colour colour_;
    Click on_box_;
    Click on_caption_;
    HWND box_ = nullptr;
    HWND caption_ = nullptr;
    HBRUSH fill_ = nullptr;
    bool pressed_ = false;
};

}  // namespace quellbox::win
