#include "ui/colours.h"

#include "controller/looks.h"

namespace quellbox::ui {
namespace {

// Green, red or yellow: the painted colour of a look that tells the relay's state (or that the
// board is silent), which the grey of a closed port must never be taken for.
bool looks_like_channel_state(const QColor& c) {
    using controller::LookKind;
    for (const LookKind kind : {LookKind::energized, LookKind::released, LookKind::not_known}) {
        if (c.rgb() == rgb_colour(controller::look_of(kind).colour).rgb()) return true;
    }
    return false;
}

}  // namespace

QColor rgb_colour(Colour value) {
    return QColor(static_cast<int>(value & 0xFF), static_cast<int>((value >> 8) & 0xFF),
                  static_cast<int>((value >> 16) & 0xFF));
}

QColor resolve_colour(Colour value, const QPalette& palette) {
    if ((value & system_colour_flag) == 0) return rgb_colour(value);
    if (controller::kind_of(value) == controller::LookKind::port_closed) {
        const QColor grey = palette.color(QPalette::Disabled, QPalette::Text);
        if (!looks_like_channel_state(grey)) return grey;
    }
    // The logic names no other system colour; a neutral grey is safer than a guess that might
    // look like a channel state.
    return QColor(fallback_grey);
}

}  // namespace quellbox::ui
