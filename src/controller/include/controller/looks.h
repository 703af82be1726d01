#pragma once
// The four looks a channel can show, the one mapping from a colour back to its kind, and the
// captions of the open/close button. The colour values are exact: the indicator colour is the
// tool's only record of what the board last reported, and what a click asks for, what the
// channel says in words and how it is painted all follow from its kind.

#include <optional>
#include <string_view>

#include "controller/window_surface.h"

namespace quellbox::controller {

struct Look {
    Colour colour;
    std::string_view caption;
};

inline constexpr Colour colour_energized = 0x00FF00;      // RGB(0, 255, 0)
inline constexpr Colour colour_released = 0x0000FF;       // RGB(255, 0, 0)
inline constexpr Colour colour_not_known = 0x00FFFF;      // RGB(255, 255, 0)
inline constexpr Colour colour_port_closed = 0x80000011;  // system colour: grey text

inline constexpr std::string_view caption_energized = "  吸合";  // two leading spaces
inline constexpr std::string_view caption_released = "  断开";   // two leading spaces
inline constexpr std::string_view caption_not_known = "状态未知";

inline constexpr Look energized_look{colour_energized, caption_energized};
inline constexpr Look released_look{colour_released, caption_released};
inline constexpr Look not_known_look{colour_not_known, caption_not_known};
inline constexpr Look port_closed_look{colour_port_closed, caption_not_known};

enum class LookKind { energized, released, not_known, port_closed };

// The kind a colour stands for; nothing for a colour that is none of the four.
constexpr std::optional<LookKind> kind_of(Colour colour) {
    switch (colour) {
        case colour_energized:
            return LookKind::energized;
        case colour_released:
            return LookKind::released;
        case colour_not_known:
            return LookKind::not_known;
        case colour_port_closed:
            return LookKind::port_closed;
        default:
            return std::nullopt;
    }
}

constexpr const Look& look_of(LookKind kind) {
    switch (kind) {
        case LookKind::energized:
            return energized_look;
        case LookKind::released:
            return released_look;
        case LookKind::not_known:
            return not_known_look;
        case LookKind::port_closed:
            break;
    }
    return port_closed_look;
}

inline constexpr std::string_view caption_open_port = "打开串口";
inline constexpr std::string_view caption_close_port = "关闭串口";

}  // namespace quellbox::controller
